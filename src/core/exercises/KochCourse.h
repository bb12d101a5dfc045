#pragma once
// The Koch course: the orders characters are learnt in, the groups of one lesson
// (drawn from the lesson's characters with the random source passed in), the pass
// rule, and the history of runs (a CSV beside the receiving history).

#include "exercises/PracticeText.h"
#include "exercises/ReceiveHistory.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace koch {

// An order: its characters in the order learnt, each a token as the engine sends it
// ("K", "Ø", ",", "<AR>"). Lesson n (1-based) uses the first n + 1 characters.
QStringList courseOrder();    // 41 characters, 40 lessons
QStringList classicOrder();   // 40 characters, 39 lessons

constexpr int kMinOrderLength = 2;        // characters: one lesson
constexpr double kPassPercent = 90;       // accuracy that offers the next lesson
constexpr int kBiasFromLesson = 10;       // first lesson drawing newest and weak more often
constexpr int kNewestCount = 2;           // characters counted as the newest
constexpr double kNewestExtraWeight = 1;  // added to the base weight 1 of a newest character
constexpr double kWeakExtraWeight = 2;    // times the error rate (0..1) of a weak character
constexpr int kGroupsPerLine = 5;

int lessonCount(const QStringList &order);
// The characters of lesson (clamped to the order's lessons).
QStringList lessonCharacters(const QStringList &order, int lesson);

// A learner's own order, typed as characters one after the other: blanks are
// skipped, letters upper-cased, "<", two letters and ">" one prosign.
struct ParsedOrder {
    enum class Problem { None, Unsendable, Repeated, TooShort };
    QStringList characters;
    Problem problem = Problem::None;
    QString culprit;    // the character at fault (Unsendable, Repeated)
};
ParsedOrder parseOrder(QStringView text);
// The order as the learner types it: tokens side by side.
QString orderText(const QStringList &order);

enum class GroupLengths { Varied, Fixed5 };
constexpr int kMinGroupLength = 2;
constexpr int kMaxGroupLength = 7;
// Relative weights of the varied lengths 2..7: toward the middle.
inline constexpr double kLengthWeights[] = {1, 2, 3, 3, 2, 1};

// The draw weight of each lesson character: 1, plus kNewestExtraWeight for the newest
// ones and kWeakExtraWeight times the error rate for weak ones from kBiasFromLesson on.
// errorRates: per token, 0..1 (characters without one count 0).
std::vector<double> drawWeights(const QStringList &characters, int lesson,
                                const QHash<QString, double> &errorRates);

// The index a draw r (0 <= r < 1) picks among weights (not all zero).
qsizetype weightedIndex(const std::vector<double> &weights, double r);

// Groups of the lesson, kGroupsPerLine to a line ended by CR LF, each group followed
// by a blank, until at least characterCount characters were drawn.
QString lessonText(const QStringList &order, int lesson, GroupLengths lengths,
                   int characterCount, const QHash<QString, double> &errorRates,
                   practice::Uniform random);

// Characters a run of minutes holds at cpm real characters per minute, the gap
// after each group counted as one.
int runCharacters(int minutes, int cpm, GroupLengths lengths);

inline bool passed(double accuracyPercent) { return accuracyPercent >= kPassPercent; }

// One run of a lesson: the order's key ("kursus", "klassisk", "egen"), the lesson and
// the run's scores.
struct Run {
    QString order;
    int lesson = 0;
    receive::Attempt attempt;
};

class KochHistory {
public:
    explicit KochHistory(QString path);
    // "koch.csv" in the receiving history's folder.
    static QString defaultPath();
    static QString header();
    const QString &path() const { return m_path; }

    struct Contents {
        std::vector<Run> runs;   // oldest first
        int skipped = 0;
        bool readable = true;
    };
    Contents read() const;
    bool append(const Run &run);

    static QByteArray row(const Run &run);
    static bool parseRow(QStringView line, Run &run);

private:
    QString m_path;
};

} // namespace koch
