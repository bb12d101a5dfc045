#pragma once
// Scores a learner's copy of a received text: both texts split into characters (a
// prosign such as <KA> is one, a run of blanks and line breaks one word gap), aligned
// by edit distance within a band that follows the best path, and counted.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace receive {

// One character of a text: its Unicode value, a prosign (kProsignFlag with its two
// letters), or the word gap kWordGap.
using Token = std::uint32_t;
inline constexpr Token kWordGap = ' ';
inline constexpr Token kProsignFlag = 0x80000000u;

constexpr int kBandHalfWidth = 128;   // cells each side of a row's centre: the longest
                                      // run of missed or extra characters followed

// A token and where it starts in its text (QString offset).
struct Located {
    Token token;
    qsizetype offset;
};

// The characters of a sent text as the engine sends them: "<" and the two characters
// after it are one prosign (dropped, like the engine does, when the table lacks it),
// characters without a pattern are dropped. Upper-cased; leading and trailing gaps
// dropped; a run of blanks, tabs and line breaks becomes one gap.
std::vector<Located> sentTokens(QStringView text);
// The characters of a typed copy: "<", two letters and ">" form a prosign, any other
// character counts as typed. Upper-cased, gaps as for the sent text.
std::vector<Located> copyTokens(QStringView text);

QString tokenText(Token token);
inline bool isProsign(Token token) { return (token & kProsignFlag) != 0; }

enum class Step : std::uint8_t { Correct, Wrong, Missing, Extra };

// One column of the alignment; sent is absent (0) for Extra, copied for Missing.
struct Column {
    Step step;
    Token sent;
    Token copied;
};

// How often one character of the sent text was sent, and how often it was missed or
// taken for another.
struct CharacterErrors {
    Token character;
    int sent = 0;
    int errors = 0;
};

struct Score {
    std::vector<Column> alignment;
    // Characters; word gaps are aligned but not counted.
    int sent = 0;
    int correct = 0;
    int wrong = 0;
    int missing = 0;
    int extra = 0;
    // Every character of the sent text, the most errors first (then the higher share).
    std::vector<CharacterErrors> perCharacter;
    // Words of the sent text with at least one character that is no prosign: the
    // five-character groups of a generated text.
    int groupCount = 0;

    // Per cent: correct / (sent + extra), so that typed extras cost as well; 0 when
    // nothing was sent.
    double accuracy() const;
    bool hasErrors() const { return wrong + missing + extra > 0; }
    // The single characters (no prosigns) that were missed or wrong, worst first.
    QString wrongCharacters() const;
};

// Aligns copy to sent and counts. heard: the offset in sent up to which the learner
// surely heard the text (a stopped sending); characters after it that the copy did
// not reach are not counted as missing. -1: all of sent was heard.
Score scoreCopy(QStringView sent, QStringView copy, qsizetype heard = -1);

// The distinct characters of a sent text: single ones in code order, then prosigns.
QString characterSet(QStringView sent);

// The edit-distance alignment of two token sequences (substitution, omission and
// insertion cost 1; a word gap is never taken for a character). Memory and time grow
// with the lengths times the band, not with the product of the lengths.
std::vector<Column> align(const std::vector<Token> &sent, const std::vector<Token> &copy);

} // namespace receive
