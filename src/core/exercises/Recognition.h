#pragma once
// Instant recognition: the clock that dates the end of a character's sound by the
// device's play position, and a run that brings slow and wrong characters back more
// often.

#include "exercises/PracticeText.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace recognition {

// Samples from the start of sending to the end of token's last element, at wpm:
// every symbol of its pattern is one dot length. 0 when the table lacks it.
qint64 soundSamples(const QString &token, int wpm);

// Dates the end of the sound on the listener's clock. The device reports each half
// it has played (the k-th notification: sample k x 22050 heard); the first one pins
// sample numbers to the clock, so the end is known from what was heard, not from
// when the samples were written.
class ReactionClock {
public:
    // Sending began; its sound ends at sample soundEnd.
    void start(qint64 soundEnd);
    // The count-th notification of this sending (1-based) arrived at nowMs.
    void notified(int count, qint64 nowMs);
    // The clock time at which the last sample was heard; nullopt until a
    // notification pinned the clock.
    std::optional<qint64> soundEndMs() const;
    // From the end of the sound to keyMs; 0 for a key during the sound.
    std::optional<int> reactionMs(qint64 keyMs) const;

private:
    qint64 m_soundEnd = 0;
    std::optional<qint64> m_endMs;
};

constexpr int kRunLength = 50;                 // characters in a run
constexpr double kWrongExtraWeight = 2;        // per wrong answer in the run
constexpr double kSlowExtraWeight = 1;         // a mean reaction above the run's mean

struct Tally {
    int asked = 0;
    int right = 0;
    qint64 reactionSum = 0;   // ms, over the answers with a reaction time
    int reactions = 0;
    std::optional<double> meanReactionMs() const
    {
        return reactions > 0 ? std::optional<double>(double(reactionSum) / reactions) : std::nullopt;
    }
};

class RecognitionRun {
public:
    RecognitionRun(QStringList characters, practice::Uniform random);

    // The next character: weight 1, plus kWrongExtraWeight per wrong answer to it in
    // this run, plus kSlowExtraWeight when its mean reaction is above the run's.
    QString next();
    void answer(const QString &character, bool right, std::optional<int> reactionMs);
    int answered() const { return m_answered; }
    bool finished() const { return m_answered >= kRunLength; }
    std::vector<double> weights() const;

    const QStringList &characters() const { return m_characters; }
    const QHash<QString, Tally> &tallies() const { return m_tallies; }

private:
    QStringList m_characters;
    practice::Uniform m_random;
    QHash<QString, Tally> m_tallies;
    int m_answered = 0;
};

} // namespace recognition
