#pragma once
// The history of scored sending attempts, sendetraening.csv beside the receiving
// history and written the same way: a header row, one comma-separated row per attempt,
// "." as the decimal point, UTF-8; damaged rows are skipped when read.

#include "exercises/Keyer.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace keying {

struct SendAttempt {
    QDateTime when;             // local time, ISO 8601 to the second
    int wpm = 0;                // the speed set
    KeyerMode mode = KeyerMode::IambicB;
    int sent = 0;               // characters of the target
    int correct = 0;
    int wrong = 0;
    int missing = 0;
    int extra = 0;
    double accuracy = 0;        // per cent, one decimal
    double keyedWpm = 0;        // one decimal; 0 when no dot was keyed
    int fistScore = 0;          // 0-100
};

// The mode's word in the file and in the settings store ("iambisk_b" ...).
QString modeKey(KeyerMode mode);
bool modeFromKey(QStringView key, KeyerMode &mode);

class SendHistory {
public:
    explicit SendHistory(QString path);

    // "<data folder>/<program title>/sendetraening.csv", beside the receiving history.
    static QString defaultPath();
    static QString header();
    const QString &path() const { return m_path; }

    struct Contents {
        std::vector<SendAttempt> attempts;   // oldest first
        int skipped = 0;                     // damaged rows left out
        bool readable = true;                // false: the file exists but cannot be read
    };
    Contents read() const;
    // Adds a row (folder and header made first). False when it cannot be written; the
    // rows already there stay as they were.
    bool append(const SendAttempt &attempt);

    static QByteArray row(const SendAttempt &attempt);
    static bool parseRow(QStringView line, SendAttempt &attempt);

private:
    QString m_path;
};

} // namespace keying
