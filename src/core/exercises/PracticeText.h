#pragma once
// The rules every generated practice text follows: three opening prosigns, groups of
// five characters drawn uniformly from a set, each followed by a blank, lines ended by
// CR LF, and the closing prosign. The random source is passed in.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>

namespace practice {

// A source of uniform random numbers r with 0 <= r < 1.
using Uniform = std::function<double()>;

// A source seeded with seed: the same seed gives the same numbers (tests).
Uniform seededUniform(std::uint64_t seed);
// A source seeded from the high-resolution clock, made afresh for every generation:
// two generations, however close together, get different seeds.
Uniform clockSeededUniform();

inline constexpr QStringView kOpening = u"<KA><KA><KA>";   // start of transmission, 3 times
inline constexpr QStringView kClosing = u"<AR>";           // end of message
inline constexpr QStringView kLineBreak = u"\r\n";
constexpr int kGroupLength = 5;          // characters per group
constexpr int kMinGroupCount = 1;        // limits of a typed group count
constexpr int kMaxGroupCount = 300;

// The 0-based position a draw r picks in a set of `length` characters: the 1-based
// position Int(r * length + 1), less one. Kept inside the set even where r * length
// rounds up to length (r just below 1). length must be at least 1.
qsizetype drawPosition(double r, qsizetype length);

// The value of a typed count: leading blanks skipped, then the digits from there up
// to the first other character ("12x" is 12; "", "x" and "-5" are 0). Values beyond
// the int range saturate, so any text gives a number to check against the limits.
int readCount(QStringView text);

// Builds one practice text. Every group and every repetition is followed by one
// blank, so every line but the opening one ends in a blank before its CR LF.
class PracticeText {
public:
    explicit PracticeText(Uniform random);

    // "<KA><KA><KA>" followed by lineBreaks CR LFs.
    void opening(int lineBreaks);
    void lineBreak();
    // One line: piece and a blank, `times` times over, then CR LF.
    void repeatLine(QStringView piece, int times);
    // One group: five draws from set (nothing when set is empty), then a blank.
    void group(QStringView set);
    // count groups from set, with CR LF after every perLine-th group.
    void groups(QStringView set, int count, int perLine);
    // Appends "<AR>" and hands the finished text over.
    QString close();

    const QString &text() const { return m_text; }

private:
    Uniform m_random;
    QString m_text;
};

// The text of the five-letter group generator: count groups from set, five to a
// line after the opening and an empty line, then a line break and "<AR>". The
// caller keeps count within kMinGroupCount..kMaxGroupCount.
QString groupText(QStringView set, int count, Uniform random);

} // namespace practice
