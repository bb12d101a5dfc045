#include "exercises/Keyer.h"

namespace keying {
namespace {

constexpr int kDit = 0;
constexpr int kDah = 1;

int leverOf(Element e) { return e == Element::Dah ? kDah : kDit; }
Element elementOf(int lever) { return lever == kDah ? Element::Dah : Element::Dit; }

} // namespace

Keyer::Keyer(KeyerMode mode, qint32 dotSamples) : m_mode(mode), m_dot(qMax(1, dotSamples)) {}

void Keyer::setMode(KeyerMode mode)
{
    m_mode = mode;
    reset();
}

void Keyer::setDotLength(qint32 samples)
{
    m_dot = qMax(1, samples);
}

void Keyer::reset()
{
    m_held[0] = m_held[1] = false;
    m_memory[0] = m_memory[1] = false;
    m_element = Element::None;
    m_keyed = false;
    m_remaining = 0;
}

void Keyer::setLevers(bool left, bool right)
{
    const bool dit = m_swapped ? right : left;
    const bool dah = m_swapped ? left : right;
    const bool now[2] = {dit, dah};
    const bool busy = m_remaining > 0;
    for (int lever : {kDah, kDit}) {   // levers pressed together: the dit counts as later
        const bool pressed = now[lever] && !m_held[lever];
        if (pressed) {
            m_lastPressed = lever;
            // A press during an element or its gap is kept for after it; the single
            // dot's dit lever is only ever heard through this memory.
            if (m_mode == KeyerMode::SingleDot ? lever == kDit || busy
                                               : busy && lever != leverOf(m_element))
                m_memory[lever] = true;
        }
        m_held[lever] = now[lever];
    }
}

Element Keyer::decide() const
{
    const bool atRest = m_element == Element::None;
    const int last = leverOf(m_element);
    const int other = 1 - last;
    switch (m_mode) {
    case KeyerMode::Straight:
        return Element::None;
    case KeyerMode::IambicA:
    case KeyerMode::IambicB:
        if (atRest)
            return m_held[kDit] ? Element::Dit : m_held[kDah] ? Element::Dah : Element::None;
        if (m_memory[other] || (m_held[kDit] && m_held[kDah]))
            return elementOf(other);
        if (m_held[last])
            return elementOf(last);
        return m_held[other] ? elementOf(other) : Element::None;
    case KeyerMode::Ultimatic:
        if (!atRest && m_memory[other])
            return elementOf(other);
        if (m_held[kDit] && m_held[kDah])
            return elementOf(m_lastPressed);
        return m_held[kDit] ? Element::Dit : m_held[kDah] ? Element::Dah : Element::None;
    case KeyerMode::SingleDot:
        if (m_memory[kDit])
            return Element::Dit;
        return m_held[kDah] || m_memory[kDah] ? Element::Dah : Element::None;
    }
    return Element::None;
}

void Keyer::start(Element e)
{
    m_element = e;
    m_keyed = true;
    m_memory[leverOf(e)] = false;
    m_remaining = e == Element::Dah ? 3 * m_dot : m_dot;
}

bool Keyer::tick()
{
    if (m_mode == KeyerMode::Straight) {
        m_keyed = m_held[kDit] || m_held[kDah];
        m_element = m_keyed ? Element::Straight : Element::None;
        return m_keyed;
    }
    if (m_remaining == 0) {
        // At rest, or the gap after an element has just ended.
        const Element next = decide();
        if (next == Element::None) {
            m_element = Element::None;
            m_keyed = false;
            return false;
        }
        start(next);
    }
    // Mode B hears the other lever held at any time during the element or its gap.
    if (m_mode == KeyerMode::IambicB && m_held[1 - leverOf(m_element)])
        m_memory[1 - leverOf(m_element)] = true;
    const bool keyed = m_keyed;
    if (--m_remaining == 0 && m_keyed) {
        m_keyed = false;
        m_remaining = m_dot;   // the gap after every element: one dot
    }
    return keyed;
}

} // namespace keying
