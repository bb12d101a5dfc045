#pragma once
// Whole-file reads and writes for the file tests, outside the code under test.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testfiles {

// The file's bytes, or "<unreadable>" when it cannot be opened.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace testfiles
