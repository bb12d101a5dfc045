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
    // The next key event, if any; false when the queue is empty.
    bool takeEvent(KeyEvent &event);
    // Samples rendered so far (the stream's clock).
    qint64 clock() const { return m_clock.load(std::memory_order_acquire); }
    // Key events lost because the UI thread did not take them in time.
    int lostEvents() const { return m_lost.load(std::memory_order_relaxed); }

    // --- the stream's thread ------------------------------------------------------
    void render(std::span<std::int16_t> out) override;

    static constexpr int kRampSamples = 220;   // 5 ms raised-cosine rise and fall
    static constexpr int kQueueSize = 1024;    // key events; at 60 WPM about 10 s of keying

private:
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

    // The stream's thread only.
    Keyer m_keyer;
    unsigned m_appliedMode = 0;
    bool m_keyed = false;
    int m_ramp = 0;                // 0 silent .. kRampSamples full
    // The tone's phase as a point on the unit circle, turned by (m_cos, m_sin) each
    // sample: a rotation instead of a sine per sample.
    double m_x = 1;
    double m_y = 0;
    double m_cos;
    double m_sin;
    double m_amplitude;
    std::array<float, kRampSamples + 1> m_envelope{};
};

} // namespace keying
