#pragma once
// The CSV conventions every practice history shares: RFC 4180 quoting, a header row,
// UTF-8, rows appended whole or not at all, and a file read only when it is a regular
// file of sane size.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace csv {

constexpr qint64 kLargestHistoryBytes = qint64(64) << 20;   // bytes; a history is far smaller

// A field holding a comma, a quote or a line break quoted, its quotes doubled.
QString quoted(const QString &field);
// The fields of one line, quotes undone; empty when a quoted field is not closed.
QStringList fields(QStringView line);

struct Rows {
    QStringList rows;        // the lines after the header, blank ones left out
    bool readable = true;    // false: there, but no regular file of sane size, or unreadable
};
// A missing file has no rows and is readable.
Rows readRows(const QString &path, const QString &header);

// Adds row (ending in "\n") behind what the file holds, the folder and the header
// first where they are missing; a last row without its line end keeps its own line.
// False when not every byte reached the file: the file is then cut back to its old
// length. rowStart and rowEnd, when given, receive where the row landed.
bool appendRow(const QString &path, const QString &header, const QByteArray &row,
               qint64 *rowStart = nullptr, qint64 *rowEnd = nullptr);

} // namespace csv
