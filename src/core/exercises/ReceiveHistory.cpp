#include "exercises/ReceiveHistory.h"

#include "engine/FileTarget.h"
#include "engine/UserFile.h"
#include "exercises/CsvFields.h"
#include "program/ProgramInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace receive {
namespace {

constexpr int kFieldCount = 12;

using csv::quoted;
using csv::splitFields;

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
    const UserFileContents file = readUserFile(m_path, kMaxBytes);
    if (file.result.file == FileError::NotFound)
        return c;
    if (!file.result.ok()) {
        c.readable = false;
        return c;
    }
    const QString text = QString::fromUtf8(file.bytes);
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

FileResult ReceiveHistory::append(const Attempt &attempt)
{
    qint64 start = -1;
    qint64 end = -1;
    const FileResult result = csv::appendRows(m_path, header(), row(attempt), &start, &end);
    if (result.ok()) {
        m_lastRowStart = start;
        m_lastRowEnd = end;
    }
    return result;
}

FileResult ReceiveHistory::replaceLast(const Attempt &attempt)
{
    if (m_lastRowStart < 0)
        return append(attempt);
    const UserFileContents old = readUserFile(m_path, kMaxBytes);
    if (!old.result.ok() || old.bytes.size() != m_lastRowEnd)
        return append(attempt);
    FileTarget out;
    if (!out.open(m_path))
        return out.result();
    if (out.isSequential()) {
        out.fail(FileResult::fileFailure(FileError::NotRegular));
        return out.result();
    }
    const QByteArray newRow = row(attempt);
    if (!out.write(QByteArrayView(old.bytes).first(m_lastRowStart)) || !out.write(newRow)
        || !out.commit())
        return out.result();
    m_lastRowEnd = m_lastRowStart + newRow.size();
    return {};
}

} // namespace receive
