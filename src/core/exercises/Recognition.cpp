#include "exercises/Recognition.h"

#include "engine/Morse.h"
#include "engine/MorseTable.h"
#include "engine/constants.h"
#include "exercises/KochCourse.h"

#include <algorithm>

namespace recognition {

qint64 soundSamples(const QString &token, int wpm)
{
    const QStringView key = token.size() == 4 && token.startsWith(u'<') ? QStringView(token).mid(1, 2)
                                                                        : QStringView(token);
    return qint64(morse::lookupPattern(key).size()) * Morse::dotLength(wpm);
}

void ReactionClock::start(qint64 soundEnd)
{
    m_soundEnd = soundEnd;
    m_endMs.reset();
}

void ReactionClock::notified(int count, qint64 nowMs)
{
    if (m_endMs || count < 1)
        return;
    const qint64 heard = qint64(count) * morse::kHalfSamples;
    m_endMs = nowMs + (m_soundEnd - heard) * 1000 / morse::kSampleRate;
}

std::optional<qint64> ReactionClock::soundEndMs() const
{
    return m_endMs;
}

std::optional<int> ReactionClock::reactionMs(qint64 keyMs) const
{
    if (!m_endMs)
        return std::nullopt;
    return int(std::max<qint64>(0, keyMs - *m_endMs));
}

RecognitionRun::RecognitionRun(QStringList characters, practice::Uniform random)
    : m_characters(std::move(characters)), m_random(std::move(random))
{
}

std::vector<double> RecognitionRun::weights() const
{
    double sum = 0;
    int count = 0;
    for (const Tally &t : m_tallies) {
        sum += double(t.reactionSum);
        count += t.reactions;
    }
    const double runMean = count > 0 ? sum / count : 0;   // ms
    std::vector<double> w;
    for (const QString &c : m_characters) {
        const Tally t = m_tallies.value(c);
        double weight = 1 + kWrongExtraWeight * (t.asked - t.right);
        if (t.reactions > 0 && double(t.reactionSum) / t.reactions > runMean)
            weight += kSlowExtraWeight;
        w.push_back(weight);
    }
    return w;
}

QString RecognitionRun::next()
{
    if (m_characters.isEmpty())
        return {};
    return m_characters[koch::weightedIndex(weights(), m_random())];
}

void RecognitionRun::answer(const QString &character, bool right, std::optional<int> reactionMs)
{
    Tally &t = m_tallies[character];
    ++t.asked;
    t.right += right ? 1 : 0;
    if (reactionMs) {
        t.reactionSum += *reactionMs;
        ++t.reactions;
    }
    ++m_answered;
}

} // namespace recognition
