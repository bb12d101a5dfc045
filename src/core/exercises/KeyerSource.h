#pragma once
// The keyer as a sidetone source: the UI thread sets the levers, the stream's thread
// runs the keyer sample by sample and synthesises the tone from its output, and the
// keyed marks go back to the UI thread through a lock-free queue.

#include "engine/sound_device/SidetoneStream.h"
#include "exercises/Keyer.h"

#include <array>
#include <atomic>

namespace keying {

// A key-down or key-up of the keyer's output, at a sample of the stream's clock.
struct KeyEvent {
    qint64 sample = 0;
    bool down = false;
    Element element = Element::None;   // what went down (Dit, Dah, or Straight)
};

class KeyerSource : public SidetoneSource {
public:
    // toneHz and amplitude (peak, sample units) as set in the CW settings.
    KeyerSource(qint32 dotSamples, int toneHz, int amplitude);

    // --- UI thread ---------------------------------------------------------------
    void setLevers(bool left, bool right);
    void setMode(KeyerMode mode, bool swapped);
    // The next key event, if any; false when the queue is empty. An event is handed
    // over once it can no longer be taken back: kLongestTakeBack after its sample.
    bool takeEvent(KeyEvent &event);
    // Samples rendered so far (the stream's clock).
    qint64 clock() const { return m_clock.load(std::memory_order_acquire); }
    // Key events lost because the UI thread did not take them in time.
    int lostEvents() const { return m_lost.load(std::memory_order_relaxed); }

    // --- the stream's thread ------------------------------------------------------
    void render(std::span<std::int16_t> out) override;
    // Goes back to an earlier sample and renders from there as if the levers had been
    // as they are now since then: a lever change is heard as soon as the stream can
    // play it, not behind what it had queued. The keyer's own timing is kept, so what
    // is heard is still exactly what the keyer keyed.
    std::int64_t takeBack(std::int64_t maxSamples) override;

    static constexpr int kRampSamples = 220;   // 5 ms raised-cosine rise and fall
    static constexpr int kQueueSize = 1024;    // key events; at 60 WPM about 10 s of keying
    // The most takeBack() goes back (100 ms).
    static constexpr qint64 kLongestTakeBack = 4410;

private:
    // Everything a sample is rendered from.
    struct Voice {
        Keyer keyer{KeyerMode::IambicB};
        unsigned levers = 0;   // as the keyer last saw them
        bool keyed = false;
        int ramp = 0;          // 0 silent .. kRampSamples full
        // The tone's phase as a point on the unit circle, turned by (m_cos, m_sin)
        // each sample: a rotation instead of a sine per sample.
        double x = 1;
        double y = 0;
    };
    // The voice before a sample, every kSnapshotEvery samples, for takeBack().
    struct Snapshot {
        qint64 clock = -1;
        quint64 leverChanges = 0;   // lever changes recorded before it
        Voice voice;
    };
    struct LeverChange {
        qint64 sample;
        unsigned levers;
    };
    static constexpr int kSnapshotEvery = 128;
    static constexpr int kSnapshots = int(kLongestTakeBack / kSnapshotEvery) + 3;
    static constexpr int kLeverChanges = 256;
    static constexpr int kPending = 256;

    std::int16_t step(qint64 clock, bool emit);
    void hold(const KeyEvent &event);
    void post(const KeyEvent &event);

    // Written by the UI thread, read by the stream's thread.
    std::atomic<unsigned> m_levers{0};     // bit 0 left, bit 1 right
    std::atomic<unsigned> m_mode{0};       // KeyerMode | swapped << 8 | 1 << 16 once set
    // The queue: the stream's thread writes the slot at m_tail then publishes it;
    // the UI thread reads up to m_tail and moves m_head.
    std::array<KeyEvent, kQueueSize> m_queue{};
    std::atomic<unsigned> m_head{0};
    std::atomic<unsigned> m_tail{0};
    std::atomic<int> m_lost{0};
    std::atomic<qint64> m_clock{0};

    // The stream's thread only (or under its lock).
    Voice m_voice;
    unsigned m_appliedMode = 0;
    qint64 m_floor = 0;                    // takeBack() never goes before it
    std::array<Snapshot, kSnapshots> m_snapshots;
    std::array<LeverChange, kLeverChanges> m_leverChanges{};
    quint64 m_leverCount = 0;
    std::array<KeyEvent, kPending> m_pending;   // key events that can still be taken back
    quint64 m_pendingHead = 0;
    quint64 m_pendingTail = 0;
    double m_cos;
    double m_sin;
    double m_amplitude;
    std::array<float, kRampSamples + 1> m_envelope{};
};

} // namespace keying
