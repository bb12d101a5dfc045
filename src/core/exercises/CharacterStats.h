#pragma once
// Statistics per character: every scored character of the receiving practice, the
// Koch course and the recognition drill as one CSV row (when, character, right or
// not, what it was taken for, reaction time) beside the receiving history, and what
// the statistics window and the weak-character groups compute from them.

#include "exercises/CopyScore.h"
#include "exercises/PracticeText.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace stats {

struct Event {
    QDateTime when;        // written as ISO 8601 to the second
    QString character;     // the token as sent: "K", "Ø", "<AR>"
    bool right = false;
    QString takenFor;      // what was copied instead; empty: missed (or right)
    int reactionMs = -1;   // from the end of the sound to the key; -1: not measured
};

// The events of a scored copy: each sent character (word gaps and extras aside) right,
// taken for another or missed.
std::vector<Event> eventsFromScore(const receive::Score &score, const QDateTime &when);

constexpr int kRecentCount = 100;      // events the accuracy is taken over
constexpr int kTrendMinimum = 10;      // events before a trend is shown

struct Confusion {
    QString takenFor;      // empty: missed
    int count = 0;
};

struct Summary {
    QString character;
    int total = 0;                     // events ever
    int recent = 0;                    // events in the accuracy (up to kRecentCount)
    double accuracy = 0;               // per cent over the recent events
    // Percentage points: the newer half of the recent events against the older half;
    // absent with fewer than kTrendMinimum recent events.
    std::optional<double> trend;
    std::vector<Confusion> confusions; // over all events, the most frequent first
    std::optional<double> meanReactionMs;
    double errorRate() const { return 1 - accuracy / 100; }
};

// One summary per character seen, the weakest first (lowest accuracy, then the more
// often seen). events: oldest first.
std::vector<Summary> summarize(const std::vector<Event> &events);
QHash<QString, double> errorRates(const std::vector<Summary> &summaries);

// One character's accuracy over time: after each of its events, the per cent right
// of its last `window` events (fewer at the start).
std::vector<double> accuracyCurve(const std::vector<Event> &events, const QString &character,
                                  int window = 20);

// The practice text of "Øv svage tegn": the opening, count five-character groups with
// characters drawn weighted by their recent error rate, and the closing, laid out like
// every generated text. Empty when no character has an error.
QString weakGroups(const std::vector<Summary> &summaries, int count, practice::Uniform random);

class CharacterStats {
public:
    explicit CharacterStats(QString path);
    // "tegnstatistik.csv" in the receiving history's folder.
    static QString defaultPath();
    // "tegnstatistik.csv" beside the receiving history at historyPath.
    static QString pathBeside(const QString &historyPath);
    static QString header();
    const QString &path() const { return m_path; }

    struct Contents {
        std::vector<Event> events;   // oldest first
        int skipped = 0;             // damaged rows left out
        bool readable = true;
    };
    Contents read() const;
    // Adds the events' rows in one write. False when the file cannot be written.
    bool append(const std::vector<Event> &events);

    static QByteArray row(const Event &event);
    static bool parseRow(QStringView line, Event &event);

private:
    QString m_path;
};

} // namespace stats
