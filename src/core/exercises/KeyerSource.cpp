#include "exercises/KeyerSource.h"

#include "engine/constants.h"

#include <cmath>
#include <numbers>

namespace keying {

KeyerSource::KeyerSource(qint32 dotSamples, int toneHz, int amplitude)
    : m_keyer(KeyerMode::IambicB, dotSamples),
      m_cos(std::cos(2.0 * std::numbers::pi * toneHz / morse::kSampleRate)),
      m_sin(std::sin(2.0 * std::numbers::pi * toneHz / morse::kSampleRate)),
      m_amplitude(std::clamp(amplitude, 0, 32767))
{
    for (int i = 0; i <= kRampSamples; ++i)
        m_envelope[size_t(i)] = float(0.5 - 0.5 * std::cos(std::numbers::pi * i / kRampSamples));
}

void KeyerSource::setLevers(bool left, bool right)
{
    m_levers.store((left ? 1u : 0u) | (right ? 2u : 0u), std::memory_order_release);
}

void KeyerSource::setMode(KeyerMode mode, bool swapped)
{
    m_mode.store(unsigned(mode) | (swapped ? 1u << 8 : 0u) | 1u << 16, std::memory_order_release);
}

bool KeyerSource::takeEvent(KeyEvent &event)
{
    const unsigned head = m_head.load(std::memory_order_relaxed);
    if (head == m_tail.load(std::memory_order_acquire))
        return false;
    event = m_queue[head % kQueueSize];
    m_head.store(head + 1, std::memory_order_release);
    return true;
}

void KeyerSource::post(const KeyEvent &event)
{
    const unsigned tail = m_tail.load(std::memory_order_relaxed);
    if (tail - m_head.load(std::memory_order_acquire) >= unsigned(kQueueSize)) {
        m_lost.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    m_queue[tail % kQueueSize] = event;
    m_tail.store(tail + 1, std::memory_order_release);
}

void KeyerSource::render(std::span<std::int16_t> out)
{
    const unsigned mode = m_mode.load(std::memory_order_acquire);
    if (mode != m_appliedMode) {
        m_appliedMode = mode;
        m_keyer.setMode(KeyerMode(mode & 0xff));
        m_keyer.setSwapped((mode >> 8 & 1) != 0);
    }
    qint64 clock = m_clock.load(std::memory_order_relaxed);
    for (std::int16_t &sample : out) {
        // The levers are read every sample: a press is keyed at the next one.
        const unsigned levers = m_levers.load(std::memory_order_relaxed);
        m_keyer.setLevers((levers & 1) != 0, (levers & 2) != 0);
        const Element before = m_keyer.element();
        const bool keyed = m_keyer.tick();
        if (keyed != m_keyed) {
            post({clock, keyed, keyed ? m_keyer.element() : before});
            m_keyed = keyed;
        }
        m_ramp = keyed ? std::min(m_ramp + 1, kRampSamples) : std::max(m_ramp - 1, 0);
        if (m_ramp == 0) {
            sample = 0;
            m_x = 1;   // every element starts at the same phase
            m_y = 0;
        } else {
            sample = std::int16_t(std::lround(m_amplitude * m_envelope[size_t(m_ramp)] * m_y));
            const double x = m_x * m_cos - m_y * m_sin;
            m_y = m_x * m_sin + m_y * m_cos;
            m_x = x;
        }
        ++clock;
    }
    // Rounding errors would grow the circle over a long tone.
    const double radius = std::sqrt(m_x * m_x + m_y * m_y);
    m_x /= radius;
    m_y /= radius;
    m_clock.store(clock, std::memory_order_release);
}

} // namespace keying
