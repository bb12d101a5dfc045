#include "exercises/CsvFields.h"

#include "engine/UserFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

namespace {

// Opens a history for reading and appending, made when missing; only a regular
// file, and without waiting on a FIFO put in its place.
FileResult openForAppend(QFile &file, const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return FileResult::fromSystemError(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileResult::fileFailure(FileError::NotRegular);
    }
    // Unbuffered: a write the disk has no room for fails here, not again at close.
    if (!file.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileResult::fileFailure(FileError::Failed, file.errorString());
    }
#else
    file.setFileName(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return errno != 0 ? FileResult::fromSystemError(errno)
                          : FileResult::fileFailure(FileError::Failed, file.errorString());
#endif
    return {};
}

} // namespace

FileResult appendRows(const QString &path, const QString &header, const QByteArray &rows,
                      qint64 *rowsStart, qint64 *rowsEnd)
{
    std::error_code ec;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    std::filesystem::create_directories(std::string(folder.constData(), size_t(folder.size())), ec);
    if (ec)
        return FileResult::fromSystemError(ec.value());
    QFile file;
    if (const FileResult opened = openForAppend(file, path); !opened.ok())
        return opened;
    QByteArray bytes;
    const qint64 size = file.size();
    if (size == 0) {
        bytes = header.toUtf8() + '\n';
    } else {
        // A last row cut off without its line end keeps its own line.
        file.seek(size - 1);
        char last = 0;
        if (file.read(&last, 1) != 1)
            return FileResult::fileFailure(FileError::Failed, file.errorString());
        if (last != '\n')
            bytes = "\n";
    }
    const qint64 start = size + bytes.size();
    bytes += rows;
    errno = 0;
    if (!file.seek(size) || file.write(bytes) != bytes.size() || !file.flush()) {
        // What reached the file of rows the disk had no room for is taken back.
        const FileResult failed = errno != 0 ? FileResult::fromSystemError(errno)
                                             : FileResult::fileFailure(FileError::Failed, file.errorString());
        file.resize(size);
        return failed;
    }
    if (rowsStart)
        *rowsStart = start;
    if (rowsEnd)
        *rowsEnd = size + bytes.size();
    return {};
}

bool forEachRow(const QString &path, const QString &header,
                const std::function<void(QStringView line)> &take)
{
    const UserFileContents file = readUserFile(path, kMaxHistoryBytes);
    if (file.result.file == FileError::NotFound)
        return true;
    if (!file.result.ok())
        return false;
    const QString text = QString::fromUtf8(file.bytes);
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
