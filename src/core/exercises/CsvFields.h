#pragma once
// The CSV conventions of the practice histories: comma-separated fields, RFC 4180
// quoting, a header row, UTF-8, rows only ever appended.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace csv {

// A field holding a comma, a quote or a line break is quoted, its quotes doubled.
QString quoted(const QString &field);
// The fields of one line, quotes undone; empty when a quoted field is not closed.
QStringList splitFields(QStringView line);

// Appends rows (whole lines, each ended by "\n") to the file at path, making the
// folder and the header row first when they are missing. A last row cut off
// without its line end keeps its own line. False when the file cannot be written.
bool appendRows(const QString &path, const QString &header, const QByteArray &rows);

// Hands every non-blank line after an optional header row to take (without its line
// end). False when the file exists but cannot be read; a missing file has no lines.
bool forEachRow(const QString &path, const QString &header,
                const std::function<void(QStringView line)> &take);

} // namespace csv
