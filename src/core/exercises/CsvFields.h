#pragma once
// The CSV conventions of the practice histories: comma-separated fields, RFC 4180
// quoting, a header row, UTF-8, rows only ever appended, whole or not at all, and a
// file read only when it is a regular file of sane size.

#include "engine/FileResult.h"

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

constexpr qint64 kMaxHistoryBytes = qint64(16) << 20;   // a larger history is not read

// Appends rows (whole lines, each ended by "\n") to the file at path, making the
// folder and the header row first when they are missing. A last row cut off
// without its line end keeps its own line. Only a regular file is written, and a
// FIFO put in its place is not waited on. On failure whatever part of the rows
// reached the file is cut off again; rowsStart and rowsEnd, when given, receive
// where the rows landed on success.
FileResult appendRows(const QString &path, const QString &header, const QByteArray &rows,
                      qint64 *rowsStart = nullptr, qint64 *rowsEnd = nullptr);

// Hands every non-blank line after an optional header row to take (without its line
// end). False when the file exists but is no regular file of at most
// kMaxHistoryBytes, or cannot be read; a missing file has no lines.
bool forEachRow(const QString &path, const QString &header,
                const std::function<void(QStringView line)> &take);

} // namespace csv
