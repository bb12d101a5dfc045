#include "exercises/CsvFields.h"

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

bool appendRows(const QString &path, const QString &header, const QByteArray &rows)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes;
    const qint64 size = file.size();
    if (size == 0) {
        bytes = header.toUtf8() + '\n';
    } else {
        file.seek(size - 1);
        char last = 0;
        if (file.read(&last, 1) != 1)
            return false;
        if (last != '\n')
            bytes = "\n";
    }
    bytes += rows;
    if (!file.seek(size) || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    file.close();
    return file.error() == QFileDevice::NoError;
}

bool forEachRow(const QString &path, const QString &header,
                const std::function<void(QStringView line)> &take)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError)
        return false;
    bool first = true;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const bool isHeader = first && line == header;
        first = false;
        if (!isHeader)
            take(line);
    }
    return true;
}

} // namespace csv
