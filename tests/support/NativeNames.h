#pragma once
// Files under names that are not UTF-8, made and read by the system's bytes (Qt
// would decode such a name into another one).

#include <QByteArray>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace nativenames {

// folder (as text) + "/" + name (the system's bytes).
inline QByteArray join(const QString &folder, const QByteArray &name)
{
    return QFile::encodeName(folder) + '/' + name;
}

inline bool writeFile(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

// The file's bytes, or "<unreadable>" when it cannot be opened.
inline QByteArray readAll(const QByteArray &path)
{
    QFile f;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline bool exists(const QByteArray &path)
{
    return ::access(path.constData(), F_OK) == 0;
}

} // namespace nativenames
