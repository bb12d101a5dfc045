#include "exercises/CopyScore.h"

#include "engine/Cp1252.h"
#include "engine/MorseTable.h"

#include <algorithm>
#include <climits>
#include <map>

namespace receive {
namespace {

constexpr int kInfinite = INT_MAX / 4;   // a cell no path reaches; sums stay in range
constexpr int kGapForCharacter = 3;      // dearer than omission plus insertion: never chosen

enum Move : std::uint8_t { kDiagonal, kOmission, kInsertion };

bool isGapCharacter(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n' || c == u'\t';
}

Token prosign(QChar first, QChar second)
{
    return kProsignFlag | (Token(first.unicode() & 0x7FFF) << 16) | Token(second.unicode());
}

// Appends a gap for a run of gap characters, never at the start or twice in a row.
void addGap(std::vector<Located> &tokens, qsizetype offset)
{
    if (!tokens.empty() && tokens.back().token != kWordGap)
        tokens.push_back({kWordGap, offset});
}

void dropTrailingGap(std::vector<Located> &tokens)
{
    if (!tokens.empty() && tokens.back().token == kWordGap)
        tokens.pop_back();
}

} // namespace

std::vector<Located> sentTokens(QStringView text)
{
    std::vector<Located> tokens;
    tokens.reserve(size_t(text.size()));
    for (qsizetype p = 0; p < text.size();) {
        const QChar c = cp1252::upper(text[p]);
        if (c == u'<') {
            // As the engine reads it: "<", two characters and one more (the ">").
            const QString letters = cp1252::upper(text.mid(p + 1, 2).toString());
            if (!morse::lookupPattern(letters).empty() && letters.size() == 2)
                tokens.push_back({prosign(letters[0], letters[1]), p});
            p += 4;
            continue;
        }
        if (isGapCharacter(c))
            addGap(tokens, p);
        else if (!morse::lookupPattern(QStringView(&c, 1)).empty())
            tokens.push_back({Token(c.unicode()), p});
        ++p;
    }
    dropTrailingGap(tokens);
    return tokens;
}

std::vector<Located> copyTokens(QStringView text)
{
    std::vector<Located> tokens;
    tokens.reserve(size_t(text.size()));
    const auto isLetter = [](QChar c) { return c >= u'A' && c <= u'Z'; };
    for (qsizetype p = 0; p < text.size();) {
        const QChar c = cp1252::upper(text[p]);
        if (c == u'<' && p + 3 < text.size() && text[p + 3] == u'>') {
            const QChar a = cp1252::upper(text[p + 1]);
            const QChar b = cp1252::upper(text[p + 2]);
            if (isLetter(a) && isLetter(b)) {
                tokens.push_back({prosign(a, b), p});
                p += 4;
                continue;
            }
        }
        if (isGapCharacter(c))
            addGap(tokens, p);
        else
            tokens.push_back({Token(c.unicode()), p});
        ++p;
    }
    dropTrailingGap(tokens);
    return tokens;
}

QString tokenText(Token token)
{
    if (isProsign(token)) {
        return QStringLiteral("<") + QChar(char16_t((token >> 16) & 0x7FFF))
            + QChar(char16_t(token & 0xFFFF)) + QStringLiteral(">");
    }
    return QString(QChar(char16_t(token)));
}

std::vector<Column> align(const std::vector<Token> &sent, const std::vector<Token> &copy)
{
    // Row i holds the cells (i, j) for j in [lo[i], hi[i]]: sent[0, i) against
    // copy[0, j). Each row's band is centred one column right of the previous row's
    // cheapest cell, so it follows the best path through missed and extra runs of up
    // to kBandHalfWidth characters; the last row reaches the corner (n, m).
    const qsizetype n = qsizetype(sent.size());
    const qsizetype m = qsizetype(copy.size());
    std::vector<qsizetype> lo(size_t(n + 1)), hi(size_t(n + 1)), start(size_t(n + 1));
    std::vector<std::uint8_t> moves;
    moves.reserve(size_t(n * (2 * kBandHalfWidth + 1) + m + 1));

    // The costs of two rows, indexed by column + 1; every cell outside a row's band
    // holds kInfinite, so the three moves need no range checks.
    std::vector<int> previous(size_t(m + 2), kInfinite), current(size_t(m + 2), kInfinite);
    lo[0] = 0;
    hi[0] = n == 0 ? m : std::min<qsizetype>(m, kBandHalfWidth);
    for (qsizetype j = 0; j <= hi[0]; ++j) {
        previous[size_t(j + 1)] = int(j);
        moves.push_back(kInsertion);
    }
    qsizetype centre = 0;
    for (qsizetype i = 1; i <= n; ++i) {
        const qsizetype plo = lo[size_t(i - 1)], phi = hi[size_t(i - 1)];
        qsizetype best = plo;
        for (qsizetype j = plo + 1; j <= phi; ++j) {
            const int c = previous[size_t(j + 1)];
            const int b = previous[size_t(best + 1)];
            if (c < b || (c == b && std::abs(j - centre) < std::abs(best - centre)))
                best = j;
        }
        centre = std::min(m, best + 1);
        const qsizetype l = std::max<qsizetype>(0, centre - kBandHalfWidth);
        const qsizetype h = i == n ? m : std::min(m, centre + kBandHalfWidth);
        lo[size_t(i)] = l;
        hi[size_t(i)] = h;
        start[size_t(i)] = qsizetype(moves.size());
        moves.resize(moves.size() + size_t(h - l + 1));
        std::uint8_t *move = moves.data() + start[size_t(i)];
        const Token a = sent[size_t(i - 1)];
        const bool aGap = a == kWordGap;
        const int *up = previous.data() + 1;   // up[j]: cell (i - 1, j); up[-1] exists
        int *row = current.data() + 1;
        for (qsizetype j = l; j <= h; ++j) {
            // On a tie an omission wins: seen from the end, the copy's characters then
            // pair with the earliest sent ones, and a copy that stops short leaves the
            // rest of the text missing at the end rather than spread over it.
            int cost = up[j] + 1;
            std::uint8_t step = kOmission;
            if (j > 0) {
                const Token b = copy[size_t(j - 1)];
                const int sub = a == b ? 0 : (aGap != (b == kWordGap) ? kGapForCharacter : 1);
                if (up[j - 1] + sub < cost) {
                    cost = up[j - 1] + sub;
                    step = kDiagonal;
                }
            }
            if (row[j - 1] + 1 < cost) {
                cost = row[j - 1] + 1;
                step = kInsertion;
            }
            row[j] = cost;
            move[j - l] = step;
        }
        // The previous row's band goes back to "unreached" before it is reused.
        std::fill(previous.begin() + plo + 1, previous.begin() + phi + 2, kInfinite);
        std::swap(previous, current);
    }

    std::vector<Column> columns;
    columns.reserve(size_t(std::max(n, m)) + 16);
    qsizetype i = n, j = m;
    while (i > 0 || j > 0) {
        const std::uint8_t move = i == 0 ? std::uint8_t(kInsertion) : moves[size_t(start[size_t(i)] + j - lo[size_t(i)])];
        if (move == kDiagonal) {
            const Token a = sent[size_t(i - 1)], b = copy[size_t(j - 1)];
            columns.push_back({a == b ? Step::Correct : Step::Wrong, a, b});
            --i;
            --j;
        } else if (move == kOmission) {
            columns.push_back({Step::Missing, sent[size_t(i - 1)], 0});
            --i;
        } else {
            columns.push_back({Step::Extra, 0, copy[size_t(j - 1)]});
            --j;
        }
    }
    std::reverse(columns.begin(), columns.end());
    return columns;
}

double Score::accuracy() const
{
    const int base = sent + extra;
    return base == 0 ? 0.0 : 100.0 * correct / base;
}

QString Score::wrongCharacters() const
{
    QString out;
    for (const CharacterErrors &e : perCharacter) {
        if (e.errors > 0 && !isProsign(e.character))
            out += tokenText(e.character);
    }
    return out;
}

Score scoreCopy(QStringView sent, QStringView copy, qsizetype heard)
{
    const std::vector<Located> a = sentTokens(sent);
    const std::vector<Located> b = copyTokens(copy);
    std::vector<Token> at, bt;
    at.reserve(a.size());
    bt.reserve(b.size());
    for (const Located &l : a)
        at.push_back(l.token);
    for (const Located &l : b)
        bt.push_back(l.token);

    Score s;
    s.alignment = align(at, bt);
    if (heard >= 0) {
        // Characters after the copy's end that the learner may not have heard yet.
        qsizetype sentIndex = qsizetype(a.size());
        while (!s.alignment.empty() && s.alignment.back().step == Step::Missing
               && a[size_t(sentIndex - 1)].offset >= heard) {
            s.alignment.pop_back();
            --sentIndex;
        }
        while (!s.alignment.empty() && s.alignment.back().step == Step::Missing
               && s.alignment.back().sent == kWordGap)
            s.alignment.pop_back();
    }

    std::map<Token, CharacterErrors> perCharacter;
    bool wordHasGroup = false;
    for (const Column &c : s.alignment) {
        if (c.step == Step::Extra) {
            s.extra += c.copied != kWordGap;
            continue;
        }
        if (c.sent == kWordGap) {
            s.groupCount += wordHasGroup;
            wordHasGroup = false;
            continue;
        }
        wordHasGroup = wordHasGroup || !isProsign(c.sent);
        ++s.sent;
        CharacterErrors &e = perCharacter[c.sent];
        e.character = c.sent;
        ++e.sent;
        switch (c.step) {
        case Step::Correct: ++s.correct; break;
        case Step::Wrong: ++s.wrong; ++e.errors; break;
        case Step::Missing: ++s.missing; ++e.errors; break;
        case Step::Extra: break;
        }
    }
    s.groupCount += wordHasGroup;
    for (const auto &[token, e] : perCharacter)
        s.perCharacter.push_back(e);
    std::stable_sort(s.perCharacter.begin(), s.perCharacter.end(),
                     [](const CharacterErrors &x, const CharacterErrors &y) {
                         if (x.errors != y.errors)
                             return x.errors > y.errors;
                         // The higher share of errors first: x.errors / x.sent > y.errors / y.sent.
                         return qint64(x.errors) * y.sent > qint64(y.errors) * x.sent;
                     });
    return s;
}

QString characterSet(QStringView sent)
{
    std::vector<Token> tokens;
    for (const Located &l : sentTokens(sent)) {
        if (l.token != kWordGap)
            tokens.push_back(l.token);
    }
    // Prosigns carry the top bit, so they sort after every single character.
    std::sort(tokens.begin(), tokens.end());
    tokens.erase(std::unique(tokens.begin(), tokens.end()), tokens.end());
    QString out;
    for (Token t : tokens)
        out += tokenText(t);
    return out;
}

} // namespace receive
