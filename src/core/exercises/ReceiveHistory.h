#pragma once
// The history of scored receiving attempts: one CSV row per attempt (comma-separated,
// a header row, "." as the decimal point, UTF-8) in the user's data folder.

#include "engine/FileResult.h"

#include <QDateTime>
#include <QStringList>
#include <QString>

#include <vector>

namespace receive {

struct Attempt {
    QDateTime when;        // local time, written as ISO 8601 to the second
    int wpm = 0;           // words per minute
    int farnsworth = 0;    // extra dot lengths after every character
    int cpm = 0;           // real characters per minute
    int sent = 0;
    int correct = 0;
    int wrong = 0;
    int missing = 0;
    int extra = 0;
    double accuracy = 0;   // per cent, written with one decimal
    QString characters;    // the set of characters the text used
    QString conditions;    // band conditions as telvok-cw-send options; empty: clean
};

// The eight whole numbers of an attempt, wpm to extra, as plain digits in the
// order of the history's columns (the file and the window's table share it).
QStringList countTexts(const Attempt &attempt);

class ReceiveHistory {
public:
    explicit ReceiveHistory(QString path);

    // "<data folder>/Telvok's Morsetræningsprogram/modtagetraening.csv", the data
    // folder being $XDG_DATA_HOME or ~/.local/share (the platform's equivalent elsewhere).
    static QString defaultPath();
    static QString header();

    const QString &path() const { return m_path; }

    // A history larger than this is not read (about 200 000 attempts), in bytes.
    static constexpr qint64 kMaxBytes = qint64(16) << 20;

    struct Contents {
        std::vector<Attempt> attempts;   // oldest first
        int skipped = 0;                 // damaged rows left out
        bool readable = true;            // false: the file exists but cannot be read
    };
    // A missing file is an empty, readable history; anything but a regular file of
    // at most kMaxBytes is unreadable (never waited on, never read without end).
    Contents read() const;

    // Adds a row (the folder and header made first when missing). On failure the
    // file is cut back to what it held: the rows already in it stay as they were.
    FileResult append(const Attempt &attempt);
    // Replaces the row the last append of this object wrote, when nothing has been
    // added behind it since; otherwise appends. The file is replaced whole or not at all.
    FileResult replaceLast(const Attempt &attempt);

    static QByteArray row(const Attempt &attempt);
    // The attempt of one row; false for a damaged row.
    static bool parseRow(QStringView line, Attempt &attempt);

private:
    QString m_path;
    qint64 m_lastRowStart = -1;   // file offset of the row the last append wrote
    qint64 m_lastRowEnd = -1;
};

} // namespace receive
