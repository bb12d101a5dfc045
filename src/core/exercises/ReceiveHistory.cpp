#include "exercises/ReceiveHistory.h"

#include "program/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace receive {
namespace {

constexpr int kFieldCount = 12;

// RFC 4180 quoting: a field holding a comma, a quote or a line break is quoted, its
// quotes doubled.
QString quoted(const QString &field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n')
        && !field.contains(u'\r'))
        return field;
    QString out = field;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

// The fields of one line, quotes undone; empty when a quoted field is not closed.
QStringList splitFields(QStringView line)
{
    QStringList fields;
    QString field;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (inQuotes) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                inQuotes = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            inQuotes = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    if (inQuotes)
        return {};
    fields << field;
    return fields;
}

bool readInt(const QString &text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);   // C locale: plain digits
    return ok && value >= 0;
}

} // namespace

ReceiveHistory::ReceiveHistory(QString path) : m_path(std::move(path)) {}

QString ReceiveHistory::defaultPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data + QLatin1Char('/') + program::title() + QStringLiteral("/modtagetraening.csv");
}

QString ReceiveHistory::header()
{
    return QStringLiteral("tidspunkt,wpm,farnsworth,tegn_pr_minut,sendt,rigtige,forkerte,"
                          "manglende,ekstra,noejagtighed_pct,tegn,forhold");
}

QStringList countTexts(const Attempt &a)
{
    QStringList texts;
    for (const int n : {a.wpm, a.farnsworth, a.cpm, a.sent, a.correct, a.wrong, a.missing, a.extra})
        texts << QString::number(n);
    return texts;
}

QByteArray ReceiveHistory::row(const Attempt &a)
{
    const QStringList fields = QStringList{a.when.toString(Qt::ISODate)} + countTexts(a)
        + QStringList{QString::number(a.accuracy, 'f', 1),   // QString::number never localises
                      quoted(a.characters), quoted(a.conditions)};
    return (fields.join(u',') + QStringLiteral("\n")).toUtf8();
}

bool ReceiveHistory::parseRow(QStringView line, Attempt &a)
{
    const QStringList f = splitFields(line);
    // Rows written before the conditions column have one field less.
    if (f.size() != kFieldCount && f.size() != kFieldCount - 1)
        return false;
    a.conditions = f.value(kFieldCount - 1);
    a.when = QDateTime::fromString(f[0], Qt::ISODate);
    bool ok = a.when.isValid();
    ok = ok && readInt(f[1], a.wpm) && readInt(f[2], a.farnsworth) && readInt(f[3], a.cpm)
        && readInt(f[4], a.sent) && readInt(f[5], a.correct) && readInt(f[6], a.wrong)
        && readInt(f[7], a.missing) && readInt(f[8], a.extra);
    bool accuracyOk = false;
    a.accuracy = f[9].toDouble(&accuracyOk);
    a.characters = f[10];
    return ok && accuracyOk && a.accuracy >= 0 && a.accuracy <= 100;
}

ReceiveHistory::Contents ReceiveHistory::read() const
{
    Contents c;
    QFile file(m_path);
    if (!file.exists())
        return c;
    if (!file.open(QIODevice::ReadOnly)) {
        c.readable = false;
        return c;
    }
    const QString text = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        c.readable = false;
        return c;
    }
    bool first = true;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (first && (line == header() || line == header().section(u',', 0, kFieldCount - 2))) {
            first = false;
            continue;
        }
        first = false;
        Attempt a;
        if (parseRow(line, a))
            c.attempts.push_back(a);
        else
            ++c.skipped;
    }
    return c;
}

bool ReceiveHistory::append(const Attempt &attempt)
{
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes;
    const qint64 size = file.size();
    if (size == 0) {
        bytes = header().toUtf8() + '\n';
    } else {
        // A last row cut off without its line end keeps its own line.
        file.seek(size - 1);
        char last = 0;
        if (file.read(&last, 1) != 1)
            return false;
        if (last != '\n')
            bytes = "\n";
    }
    const qint64 rowStart = size + bytes.size();
    bytes += row(attempt);
    if (!file.seek(size) || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    file.close();
    if (file.error() != QFileDevice::NoError)
        return false;
    m_lastRowStart = rowStart;
    m_lastRowEnd = size + bytes.size();
    return true;
}

bool ReceiveHistory::replaceLast(const Attempt &attempt)
{
    QFile file(m_path);
    if (m_lastRowStart < 0 || file.size() != m_lastRowEnd || !file.open(QIODevice::ReadOnly))
        return append(attempt);
    const QByteArray before = file.read(m_lastRowStart);
    file.close();
    if (before.size() != m_lastRowStart)
        return append(attempt);
    QSaveFile out(m_path);
    const QByteArray newRow = row(attempt);
    if (!out.open(QIODevice::WriteOnly) || out.write(before) != before.size()
        || out.write(newRow) != newRow.size() || !out.commit())
        return false;
    m_lastRowEnd = m_lastRowStart + newRow.size();
    return true;
}

} // namespace receive
