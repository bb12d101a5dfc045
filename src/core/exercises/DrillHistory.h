#pragma once
// The history of callsign and word runs: one CSV row per finished run, in the
// conventions of the receiving history (a header row, "." as the decimal point,
// UTF-8, the user's data folder), and the best ten runs of one setting.

#include <QDateTime>
#include <QString>

#include <vector>

namespace drill {

struct RunRecord {
    QDateTime when;         // local time, to the second
    QString source;         // what was copied: "kald", "dansk", "engelsk", ... or a file name
    int count = 0;          // items in the run
    int step = 0;           // words per minute per copy
    int startWpm = 0;
    int topWpm = 0;
    int finalWpm = 0;
    int points = 0;
    int exact = 0;          // items copied exactly
};

class DrillHistory {
public:
    explicit DrillHistory(QString path);

    // "<data folder>/Telvok's Morsetræningsprogram/<file>": kaldesignaltraening.csv
    // and ordtraening.csv.
    static QString callsPath();
    static QString wordsPath();
    static QString header();

    const QString &path() const { return m_path; }

    struct Contents {
        std::vector<RunRecord> runs;   // oldest first
        int skipped = 0;               // damaged rows left out
        bool readable = true;          // false: there, but not a file that can be read
    };
    Contents read() const;
    // Adds a row; false when it could not be written whole (the file is then as it was).
    bool append(const RunRecord &run);

    static QByteArray row(const RunRecord &run);
    static bool parseRow(QStringView line, RunRecord &run);

private:
    QString m_path;
};

constexpr int kBestCount = 10;

// The best runs of one setting (source, count and step), most points first, the
// earlier run first among equals.
std::vector<RunRecord> bestRuns(const std::vector<RunRecord> &runs, const QString &source,
                                int count, int step);

} // namespace drill
