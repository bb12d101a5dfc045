#include "exercises/SpeedDrill.h"

#include "exercises/CopyScore.h"

#include <algorithm>
#include <cmath>

namespace drill {

int nextSpeed(int wpm, bool exact, const SpeedRule &rule)
{
    const int next = exact ? wpm + rule.step : wpm - rule.step;
    return std::clamp(next, rule.floor, std::max(rule.floor, rule.ceiling));
}

int itemLength(QStringView item)
{
    int n = 0;
    for (const receive::Located &t : receive::sentTokens(item)) {
        if (t.token != receive::kWordGap)
            ++n;
    }
    return n;
}

int mistakes(QStringView sent, QStringView typed)
{
    const receive::Score s = receive::scoreCopy(sent, typed);
    return s.wrong + s.missing + s.extra;
}

int points(int length, int wpm, int mistakeCount, bool replayed)
{
    double p = 0;
    if (mistakeCount == 0)
        p = double(wpm) * length;
    else if (mistakeCount <= kMaxPartialMistakes)
        p = 2.0 * length * wpm / (5.0 * mistakeCount);
    if (replayed)
        p /= 2;
    return static_cast<int>(std::lround(p));
}

Run::Run(int startWpm, SpeedRule rule, int length)
    : m_rule(rule), m_length(length),
      m_start(std::clamp(startWpm, rule.floor, std::max(rule.floor, rule.ceiling))),
      m_wpm(m_start), m_top(m_start)
{
}

int Run::exactCount() const
{
    return static_cast<int>(std::count_if(m_copies.begin(), m_copies.end(),
                                          [](const Copy &c) { return c.exact(); }));
}

const Copy &Run::record(const QString &sent, const QString &typed, bool replayed)
{
    Copy c{sent, typed, m_wpm, replayed, mistakes(sent, typed), 0};
    c.points = drill::points(itemLength(sent), m_wpm, c.mistakes, replayed);
    m_points += c.points;
    m_top = std::max(m_top, m_wpm);
    m_wpm = nextSpeed(m_wpm, c.exact(), m_rule);
    m_copies.push_back(std::move(c));
    return m_copies.back();
}

} // namespace drill
