#include "exercises/KeyerSource.h"

#include "engine/constants.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace keying {

KeyerSource::KeyerSource(qint32 dotSamples, int toneHz, int amplitude)
    : m_cos(std::cos(2.0 * std::numbers::pi * toneHz / morse::kSampleRate)),
      m_sin(std::sin(2.0 * std::numbers::pi * toneHz / morse::kSampleRate)),
      m_amplitude(std::clamp(amplitude, 0, 32767))
{
    m_voice.keyer = Keyer(KeyerMode::IambicB, dotSamples);
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

// An event waits here until it can no longer be taken back.
void KeyerSource::hold(const KeyEvent &event)
{
    if (m_pendingTail - m_pendingHead == quint64(kPending)) {
        // Full (a key hammered faster than any fist): the oldest goes out early and
        // nothing before it is taken back any more.
        const KeyEvent &oldest = m_pending[m_pendingHead++ % kPending];
        m_floor = std::max(m_floor, oldest.sample + 1);
        post(oldest);
    }
    m_pending[m_pendingTail++ % kPending] = event;
}

std::int16_t KeyerSource::step(qint64 clock, bool emit)
{
    Voice &v = m_voice;
    v.keyer.setLevers((v.levers & 1) != 0, (v.levers & 2) != 0);
    const Element before = v.keyer.element();
    const bool keyed = v.keyer.tick();
    if (keyed != v.keyed) {
        if (emit)
            hold({clock, keyed, keyed ? v.keyer.element() : before});
        v.keyed = keyed;
    }
    v.ramp = keyed ? std::min(v.ramp + 1, kRampSamples) : std::max(v.ramp - 1, 0);
    if (v.ramp == 0) {
        v.x = 1;   // every element starts at the same phase
        v.y = 0;
        return 0;
    }
    const auto sample = std::int16_t(std::lround(m_amplitude * m_envelope[size_t(v.ramp)] * v.y));
    const double x = v.x * m_cos - v.y * m_sin;
    v.y = v.x * m_sin + v.y * m_cos;
    v.x = x;
    return sample;
}

void KeyerSource::render(std::span<std::int16_t> out)
{
    qint64 clock = m_clock.load(std::memory_order_relaxed);
    const unsigned mode = m_mode.load(std::memory_order_acquire);
    if (mode != m_appliedMode) {
        m_appliedMode = mode;
        m_voice.keyer.setMode(KeyerMode(mode & 0xff));
        m_voice.keyer.setSwapped((mode >> 8 & 1) != 0);
        m_floor = clock;
    }
    for (std::int16_t &sample : out) {
        if (clock % kSnapshotEvery == 0) {
            // Rounding errors would grow the circle over a long tone; mended here, where
            // a rendering again from the snapshot mends them the same way.
            const double radius = std::sqrt(m_voice.x * m_voice.x + m_voice.y * m_voice.y);
            m_voice.x /= radius;
            m_voice.y /= radius;
            m_snapshots[size_t(clock / kSnapshotEvery % kSnapshots)] = {clock, m_leverCount, m_voice};
        }
        // The levers are read every sample: a press is keyed at the next one.
        const unsigned levers = m_levers.load(std::memory_order_relaxed);
        if (levers != m_voice.levers) {
            m_leverChanges[m_leverCount++ % kLeverChanges] = {clock, levers};
            m_voice.levers = levers;
        }
        sample = step(clock, true);
        ++clock;
    }
    while (m_pendingHead != m_pendingTail && m_pending[m_pendingHead % kPending].sample < clock - kLongestTakeBack)
        post(m_pending[m_pendingHead++ % kPending]);
    m_clock.store(clock, std::memory_order_release);
}

std::int64_t KeyerSource::takeBack(std::int64_t maxSamples)
{
    const qint64 clock = m_clock.load(std::memory_order_relaxed);
    const qint64 to = std::max(clock - std::min<qint64>(maxSamples, kLongestTakeBack), m_floor);
    if (to >= clock)
        return 0;
    const qint64 from = to / kSnapshotEvery * kSnapshotEvery;
    const Snapshot &snapshot = m_snapshots[size_t(from / kSnapshotEvery % kSnapshots)];
    if (snapshot.clock != from || m_leverCount - snapshot.leverChanges > quint64(kLeverChanges))
        return 0;
    // What was keyed from `to` on never happened.
    while (m_pendingTail != m_pendingHead && m_pending[(m_pendingTail - 1) % kPending].sample >= to)
        --m_pendingTail;
    // From the snapshot up to `to` as it went, with the levers as they were then.
    m_voice = snapshot.voice;
    quint64 change = snapshot.leverChanges;
    for (qint64 t = from; t < to; ++t) {
        for (; change < m_leverCount && m_leverChanges[change % kLeverChanges].sample == t; ++change)
            m_voice.levers = m_leverChanges[change % kLeverChanges].levers;
        step(t, false);
    }
    m_leverCount = change;   // the changes after `to` are replaced by the levers as they are
    m_clock.store(to, std::memory_order_release);
    return clock - to;
}

} // namespace keying
