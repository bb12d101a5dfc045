#pragma once
// The keyer of the sending practice: turns the two levers of a key or paddle into a
// keyed tone, one sample at a time, so that every element and gap of the paddle modes
// is a whole number of dot lengths to the sample.

#include <QtGlobal>

namespace keying {

enum class KeyerMode {
    Straight,    // any lever keys the tone while held
    IambicA,     // alternation while squeezed; stops after the element in progress
    IambicB,     // as A, plus one alternate element after a squeeze is released
    Ultimatic,   // while squeezed the lever pressed last repeats
    SingleDot,   // the dah lever repeats; a press of the dit lever inserts one dit
};
inline constexpr int kKeyerModeCount = 5;

enum class Element : quint8 { None, Dit, Dah, Straight };

class Keyer {
public:
    explicit Keyer(KeyerMode mode = KeyerMode::IambicB, qint32 dotSamples = 4410);

    void setMode(KeyerMode mode);
    KeyerMode mode() const { return m_mode; }
    void setDotLength(qint32 samples);
    qint32 dotLength() const { return m_dot; }
    // Swapped: the right lever keys dits and the left one dahs.
    void setSwapped(bool swapped) { m_swapped = swapped; }
    bool swapped() const { return m_swapped; }

    // The lever state the next tick sees.
    void setLevers(bool left, bool right);

    // Advances one sample; true when the tone is keyed during it.
    bool tick();
    // The element being keyed (None in a gap or at rest).
    Element element() const { return m_keyed ? m_element : Element::None; }
    // Back to rest: no element, no memory, levers up.
    void reset();

private:
    Element decide() const;
    void start(Element e);

    KeyerMode m_mode;
    qint32 m_dot;
    bool m_swapped = false;
    bool m_held[2] = {false, false};     // [0] dit lever, [1] dah lever
    bool m_memory[2] = {false, false};   // a press to be keyed after the element
    int m_lastPressed = 0;               // lever index of the most recent press
    Element m_element = Element::None;   // the element in progress or the last one
    bool m_keyed = false;                // in the mark of m_element
    qint32 m_remaining = 0;              // samples left of the mark or of its gap; 0: at rest
};

} // namespace keying
