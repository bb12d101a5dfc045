#pragma once
// A sidetone stream without hardware: advance() pulls samples from the source as a
// sound server would, in blocks, and keeps all of them for the test to look at.

#include "engine/sound_device/SoundDevice.h"

#include <QtGlobal>

#include <vector>

class SimulatedSidetoneStream : public SidetoneStream {
public:
    bool start(SidetoneSource *source) override;
    void stop() override;
    bool isRunning() const override { return m_source != nullptr; }
    SoundError error() const override { return m_error; }
    int latencyMs() const override { return m_source ? 0 : -1; }
    int underruns() const override { return 0; }
    // Renders again what the source takes back of the samples still queued.
    void refresh() override;

    // Pulls `samples` samples in blocks of at most blockSamples. No-op when stopped.
    void advance(qint64 samples, int blockSamples = 441);
    const std::vector<std::int16_t> &played() const { return m_played; }
    void clearPlayed() { m_played.clear(); }
    // The latest samples pulled that count as queued, not yet heard (0 by default).
    void setQueued(qint64 samples) { m_queued = samples; }
    // Samples rendered again by the latest refresh().
    qint64 lastRefresh() const { return m_lastRefresh; }

    // Test controls: the next start fails, or the running stream dies now.
    void setStartFails(bool fails) { m_startFails = fails; }
    void failNow();

private:
    SidetoneSource *m_source = nullptr;
    std::vector<std::int16_t> m_played;
    std::vector<std::int16_t> m_block;
    SoundError m_error = SoundError::None;
    qint64 m_queued = 0;
    qint64 m_lastRefresh = 0;
    bool m_startFails = false;
};
