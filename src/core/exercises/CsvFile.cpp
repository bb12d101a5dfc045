#include "exercises/CsvFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace csv {

QString quoted(const QString &field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n')
        && !field.contains(u'\r'))
        return field;
    QString out = field;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QStringList fields(QStringView line)
{
    QStringList out;
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
            out << field;
            field.clear();
        } else {
            field += c;
        }
    }
    if (inQuotes)
        return {};
    out << field;
    return out;
}

Rows readRows(const QString &path, const QString &header)
{
    Rows r;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return r;
    // A FIFO would block the window, a device may never end.
    QFile file(path);
    if (!info.isFile() || info.size() > kLargestHistoryBytes || !file.open(QIODevice::ReadOnly)) {
        r.readable = false;
        return r;
    }
    const QByteArray bytes = file.read(kLargestHistoryBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kLargestHistoryBytes) {
        r.readable = false;
        return r;
    }
    const QString text = QString::fromUtf8(bytes);
    bool first = true;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (std::exchange(first, false) && line == header)
            continue;
        r.rows << line.toString();
    }
    return r;
}

bool appendRow(const QString &path, const QString &header, const QByteArray &row,
               qint64 *rowStart, qint64 *rowEnd)
{
    const QFileInfo info(path);
    if ((info.exists() || info.isSymLink()) && !info.isFile())
        return false;
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 size = file.size();
    QByteArray bytes;
    if (size == 0) {
        bytes = header.toUtf8() + '\n';
    } else {
        char last = 0;
        if (!file.seek(size - 1) || file.read(&last, 1) != 1)
            return false;
        if (last != '\n')
            bytes = "\n";
    }
    const qint64 start = size + bytes.size();
    bytes += row;
    const bool written = file.seek(size) && file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        // Whatever part of the row reached the disk goes again: no cut-off row.
        file.resize(size);
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        QFile::resize(path, size);
        return false;
    }
    if (rowStart)
        *rowStart = start;
    if (rowEnd)
        *rowEnd = size + bytes.size();
    return true;
}

} // namespace csv
