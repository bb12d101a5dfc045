#pragma once
// Reads the text back from keyed marks: exactly from the keyer's elements in the paddle
// modes, adaptively from the key-down and key-up times of a straight key.

#include "exercises/Keyer.h"

#include <QString>
#include <QStringView>

#include <map>
#include <string>
#include <vector>

namespace keying {

// One mark or gap of an attempt, as the decoder classified it (lengths in samples).
struct Interval {
    enum Kind : quint8 { Dot, Dash, ElementGap, CharacterGap, WordGap };
    Kind kind;
    qint64 length;
};

class SendDecoder {
public:
    // dotSamples: the dot length of the set speed, the first guess of a straight key's
    // unit and the fixed unit of the paddle modes.
    explicit SendDecoder(qint32 dotSamples);

    void reset(qint32 dotSamples);
    // The text to be sent: a pattern that stands for two things in the table (a
    // character and a prosign: "+" and <AR>, "=" and <BT>, "(" and <KN>) is read as
    // the one the text holds. Kept across reset().
    void setExpected(QStringView text);

    // A mark keyed from start for length samples. kind Dit or Dah is taken as it is;
    // Straight is told by its length. Marks under kSpikeSamples are ignored.
    void addMark(qint64 start, qint64 length, Element kind);
    // The key has been up from the last mark until now: the character is finished
    // once the gap is longer than an element gap.
    void idle(qint64 now);

    const QString &text() const { return m_text; }
    // The dot length the decoder now takes a straight key's unit to be (samples).
    double unit() const;
    const std::vector<Interval> &intervals() const { return m_intervals; }
    // Where the last mark ended (-1: none yet).
    qint64 lastMarkEnd() const { return m_lastEnd; }

    static constexpr qint64 kSpikeSamples = 441;   // 10 ms at 44100 Hz
    static constexpr int kAverageOf = 4;           // dots and dashes in the moving averages

private:
    void finishCharacter();
    static double average(const std::vector<double> &values);

    qint32 m_dot;
    std::vector<double> m_dots;      // the latest straight-key dot lengths, oldest first
    std::vector<double> m_dashes;
    std::string m_pattern;           // the character being keyed, in the table's symbols
    std::map<std::string, QString, std::less<>> m_spellings;   // pattern -> as the text spells it
    QString m_text;
    std::vector<Interval> m_intervals;
    qint64 m_lastEnd = -1;
    bool m_exact = false;            // the last mark came from the keyer's elements
};

} // namespace keying
