#pragma once
// A run of single items (calls or words) copied one at a time at a speed that follows
// the learner: up a step after an exact copy, down a step after a miss, within a floor
// and a ceiling; points by speed and length, partial credit for a near miss.

#include <QString>
#include <QStringView>

#include <vector>

namespace drill {

constexpr int kMinWpm = 5;      // the engine's slowest and fastest speeds
constexpr int kMaxWpm = 60;
constexpr int kMaxPartialMistakes = 3;   // more mistakes than this earn nothing

struct SpeedRule {
    int step = 1;                // words per minute, 1 or 2
    int floor = kMinWpm;
    int ceiling = kMaxWpm;
};

// The speed after a copy: exact raises it by a step, otherwise lowered, kept within
// the rule's floor and ceiling.
int nextSpeed(int wpm, bool exact, const SpeedRule &rule);

// Characters of an item as the engine sends them (a prosign counts once).
int itemLength(QStringView item);

// Wrong, missing and extra characters of a copy, by the receiving practice's alignment.
int mistakes(QStringView sent, QStringView typed);

// Points for one copy: speed × length when exact; 2 × length × speed ÷ (5 × mistakes)
// for one to three mistakes, nothing for more; halved when the item was replayed.
// Rounded to whole points.
int points(int length, int wpm, int mistakeCount, bool replayed);

// One item of a run, as played and as typed.
struct Copy {
    QString sent;
    QString typed;
    int wpm = 0;
    bool replayed = false;
    int mistakes = 0;
    int points = 0;
    bool exact() const { return mistakes == 0; }
};

// The run so far: the speed for the next item, and the figures of the report.
class Run {
public:
    Run(int startWpm, SpeedRule rule, int length);

    int wpm() const { return m_wpm; }
    int startWpm() const { return m_start; }
    // The fastest and the last speed an item was played at.
    int topWpm() const { return m_top; }
    int finalWpm() const { return m_copies.empty() ? m_start : m_copies.back().wpm; }
    int length() const { return m_length; }
    bool finished() const { return static_cast<int>(m_copies.size()) >= m_length; }
    int points() const { return m_points; }
    int exactCount() const;
    const std::vector<Copy> &copies() const { return m_copies; }

    // Scores a copy of the item just played at wpm() and moves the speed on.
    const Copy &record(const QString &sent, const QString &typed, bool replayed);

private:
    SpeedRule m_rule;
    int m_length;
    int m_start;
    int m_wpm;
    int m_top;
    int m_points = 0;
    std::vector<Copy> m_copies;
};

} // namespace drill
