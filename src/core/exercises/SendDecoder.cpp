#include "exercises/SendDecoder.h"

#include "engine/MorseTable.h"
#include "exercises/CopyScore.h"

#include <numeric>

namespace keying {
namespace {

constexpr double kDashAbove = 2.0;         // units: a longer mark is a dash
constexpr double kElementGapUpTo = 2.0;    // units
constexpr double kWordGapAbove = 5.0;      // units; between: a character gap

void push(std::vector<double> &values, double v, size_t keep)
{
    values.push_back(v);
    if (values.size() > keep)
        values.erase(values.begin());
}

} // namespace

SendDecoder::SendDecoder(qint32 dotSamples) { reset(dotSamples); }

void SendDecoder::reset(qint32 dotSamples)
{
    m_dot = qMax(1, dotSamples);
    m_dots.assign(1, double(m_dot));
    m_dashes.assign(1, 3.0 * m_dot);
    m_pattern.clear();
    m_text.clear();
    m_intervals.clear();
    m_lastEnd = -1;
}

void SendDecoder::setExpected(QStringView text)
{
    m_spellings.clear();
    std::map<std::string, QString, std::less<>> seen;
    for (const receive::Located &l : receive::sentTokens(text)) {
        if (l.token == receive::kWordGap)
            continue;
        const QString spelling = receive::tokenText(l.token);
        const QString key = receive::isProsign(l.token) ? spelling.mid(1, 2) : spelling;
        const std::string pattern(morse::lookupPattern(key));
        if (pattern.empty())
            continue;
        const auto [at, added] = seen.emplace(pattern, spelling);
        if (!added && at->second != spelling)
            at->second.clear();   // the text spells it both ways: the table decides
    }
    for (auto &[pattern, spelling] : seen) {
        if (!spelling.isEmpty() && spelling != morse::lookupCharacter(pattern))
            m_spellings.emplace(pattern, spelling);
    }
}

double SendDecoder::average(const std::vector<double> &values)
{
    return std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
}

double SendDecoder::unit() const
{
    return (average(m_dots) + average(m_dashes) / 3.0) / 2.0;
}

void SendDecoder::finishCharacter()
{
    if (m_pattern.empty())
        return;
    const auto spelled = m_spellings.find(m_pattern);
    const QString c = spelled != m_spellings.end() ? spelled->second : morse::lookupCharacter(m_pattern);
    m_text += c.isEmpty() ? QStringLiteral("*") : c;   // a pattern the table lacks
    m_pattern.clear();
}

void SendDecoder::addMark(qint64 start, qint64 length, Element kind)
{
    if (length < kSpikeSamples)
        return;
    const bool exact = kind == Element::Dit || kind == Element::Dah;
    const double u = exact ? double(m_dot) : unit();
    if (m_lastEnd >= 0) {
        const qint64 gap = start - m_lastEnd;
        Interval::Kind gapKind = Interval::ElementGap;
        if (double(gap) > kWordGapAbove * u)
            gapKind = Interval::WordGap;
        else if (double(gap) > kElementGapUpTo * u)
            gapKind = Interval::CharacterGap;
        m_intervals.push_back({gapKind, gap});
        if (gapKind != Interval::ElementGap)
            finishCharacter();
        if (gapKind == Interval::WordGap && !m_text.isEmpty())
            m_text += u' ';
    }
    const bool dash = exact ? kind == Element::Dah : double(length) > kDashAbove * u;
    if (!exact)
        push(dash ? m_dashes : m_dots, double(length), kAverageOf);
    m_intervals.push_back({dash ? Interval::Dash : Interval::Dot, length});
    if (!m_pattern.empty())
        m_pattern += ' ';
    m_pattern += dash ? "123" : "4";
    m_lastEnd = start + length;
    m_exact = exact;
}

void SendDecoder::idle(qint64 now)
{
    const double u = m_exact ? double(m_dot) : unit();
    if (m_lastEnd >= 0 && double(now - m_lastEnd) > kElementGapUpTo * u)
        finishCharacter();
}

} // namespace keying
