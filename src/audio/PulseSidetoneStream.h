#pragma once
// The sidetone stream on the sound server: a playback stream of its own, on the
// looping device's connection, that asks its source for every block just before the
// block is queued, and asks the server to queue as little as it can play without gaps.

#include "engine/sound_device/SoundDevice.h"

#include <QObject>

#include <atomic>
#include <vector>

class PulseConnection;
struct pa_stream;

// Use it from the UI thread, which must run an event loop (failed arrives there).
class PulseSidetoneStream : public SidetoneStream {
public:
    // The server is asked to keep about 86 ms queued and to ask for 40 ms pieces:
    // about 3 ms of that in the sink, the rest in the stream, so a busy machine has
    // 40 ms to answer a request, with 25 wake-ups a second. A key change is not heard
    // behind that queue: refresh() renders again all but the sink's part of it.
    static constexpr int kTargetBytes = 7586;
    static constexpr int kMinRequestBytes = 3528;
    static constexpr int kLongestRefresh = 4410;   // samples rendered again at most

    // The connection (made, or re-made after a loss, by start()) must outlive the stream.
    explicit PulseSidetoneStream(PulseConnection &connection);
    ~PulseSidetoneStream() override;
    PulseSidetoneStream(const PulseSidetoneStream &) = delete;
    PulseSidetoneStream &operator=(const PulseSidetoneStream &) = delete;

    bool start(SidetoneSource *source) override;
    void stop() override;
    bool isRunning() const override { return m_running; }
    SoundError error() const override { return m_error; }
    int latencyMs() const override;
    int underruns() const override { return m_underruns.load(std::memory_order_relaxed); }
    void refresh() override;

private:
    static void stateChanged(pa_stream *stream, void *self);
    static void writable(pa_stream *stream, size_t bytes, void *self);
    static void underflow(pa_stream *stream, void *self);
    static void timingArrived(pa_stream *stream, int success, void *self);
    void dropStream();   // the loop's lock held

    PulseConnection &m_connection;
    // UI thread only.
    QObject m_receiver;              // the loop thread's failure message is queued to it
    bool m_running = false;
    SoundError m_error = SoundError::None;
    // Set by the UI thread with the loop's lock held; read by the loop thread's
    // callbacks, which libpulse runs with that lock held.
    pa_stream *m_stream = nullptr;
    SidetoneSource *m_source = nullptr;
    std::vector<std::int16_t> m_again;   // what a refresh renders again
    bool m_refreshing = false;           // fresh timing asked for
    // Either thread.
    std::atomic<int> m_underruns{0};
    std::atomic<unsigned> m_generation{0};   // one per start; stale failures are dropped
};
