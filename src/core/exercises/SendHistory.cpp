#include "exercises/SendHistory.h"

#include "exercises/CsvFields.h"

#include "exercises/ReceiveHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace keying {
namespace {

constexpr int kFieldCount = 11;

constexpr const char *kModeKeys[kKeyerModeCount] = {"haandnoegle", "iambisk_a", "iambisk_b",
                                                    "ultimatic", "enkeltprik"};

bool readInt(QStringView text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= 0;
}

bool readDouble(QStringView text, double &value, double highest)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && value >= 0 && value <= highest;
}

} // namespace

QString modeKey(KeyerMode mode)
{
    return QString::fromLatin1(kModeKeys[int(mode)]);
}

bool modeFromKey(QStringView key, KeyerMode &mode)
{
    for (int i = 0; i < kKeyerModeCount; ++i) {
        if (key == QLatin1String(kModeKeys[i])) {
            mode = KeyerMode(i);
            return true;
        }
    }
    return false;
}

SendHistory::SendHistory(QString path) : m_path(std::move(path)) {}

QString SendHistory::defaultPath()
{
    const QString receiving = receive::ReceiveHistory::defaultPath();
    return QFileInfo(receiving).absolutePath() + QStringLiteral("/sendetraening.csv");
}

QString SendHistory::header()
{
    return QStringLiteral("tidspunkt,wpm,tilstand,sendt,rigtige,forkerte,manglende,ekstra,"
                          "noejagtighed_pct,noeglet_wpm,haandskrift");
}

QByteArray SendHistory::row(const SendAttempt &a)
{
    QStringList f{a.when.toString(Qt::ISODate), QString::number(a.wpm), modeKey(a.mode)};
    for (const int n : {a.sent, a.correct, a.wrong, a.missing, a.extra})
        f << QString::number(n);
    f << QString::number(a.accuracy, 'f', 1) << QString::number(a.keyedWpm, 'f', 1)
      << QString::number(a.fistScore);
    return (f.join(u',') + u'\n').toUtf8();
}

bool SendHistory::parseRow(QStringView line, SendAttempt &a)
{
    const QList<QStringView> f = line.split(u',');
    if (f.size() != kFieldCount)
        return false;
    a.when = QDateTime::fromString(f[0].toString(), Qt::ISODate);
    return a.when.isValid() && readInt(f[1], a.wpm) && modeFromKey(f[2], a.mode)
        && readInt(f[3], a.sent) && readInt(f[4], a.correct) && readInt(f[5], a.wrong)
        && readInt(f[6], a.missing) && readInt(f[7], a.extra)
        && readDouble(f[8], a.accuracy, 100) && readDouble(f[9], a.keyedWpm, 1000)
        && readInt(f[10], a.fistScore) && a.fistScore <= 100;
}

SendHistory::Contents SendHistory::read() const
{
    Contents c;
    c.readable = csv::forEachRow(m_path, header(), [&c](QStringView line) {
        SendAttempt a;
        if (parseRow(line, a))
            c.attempts.push_back(a);
        else
            ++c.skipped;
    });
    return c;
}

bool SendHistory::append(const SendAttempt &attempt)
{
    return csv::appendRows(m_path, header(), row(attempt)).ok();
}

} // namespace keying
