#include "engine/UserFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

UserFileContents refused(FileResult result)
{
    UserFileContents c;
    c.result = std::move(result);
    return c;
}

// What is missing when opening a file to read fails with "no such file": the file.
FileResult readFailure(int systemError)
{
    FileResult r = FileResult::fromSystemError(systemError);
    if (r.file == FileError::FolderMissing)
        r.file = FileError::NotFound;
    return r;
}

} // namespace

UserFileContents readUserFile(const QString &path, qint64 maxBytes)
{
    QFile file;
#ifdef Q_OS_UNIX
    // O_NONBLOCK: opening a FIFO for reading would wait for a writer. The type is
    // then judged on what was opened, not on a name that may change meanwhile.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refused(readFailure(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int systemError = errno;
        ::close(fd);
        if (S_ISDIR(st.st_mode))
            return refused(FileResult::fileFailure(FileError::IsFolder));
        return refused(st.st_mode != 0 ? FileResult::fileFailure(FileError::NotRegular)
                                       : readFailure(systemError));
    }
    const qint64 reported = qint64(st.st_size);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(FileResult::fileFailure(FileError::Failed, file.errorString()));
    }
#else
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(path.toStdU16String()), ec);
    if (status.type() == fs::file_type::not_found)
        return refused(FileResult::fileFailure(FileError::NotFound));
    if (status.type() == fs::file_type::directory)
        return refused(FileResult::fileFailure(FileError::IsFolder));
    if (ec)
        return refused(readFailure(ec.value()));
    if (status.type() != fs::file_type::regular)
        return refused(FileResult::fileFailure(FileError::NotRegular));
    file.setFileName(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return refused(errno != 0 ? readFailure(errno)
                                  : FileResult::fileFailure(FileError::Failed, file.errorString()));
    const qint64 reported = file.size();
#endif
    UserFileContents c;
    if (reported > maxBytes) {
        c.result = FileResult::fileFailure(FileError::TooLarge);
        c.size = reported;
        return c;
    }
    // One byte more than allowed tells a file that grew (or one whose size the
    // system does not report) from one that fits.
    c.bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        c.bytes.clear();
        c.result = FileResult::fileFailure(FileError::Failed, file.errorString());
    } else if (c.bytes.size() > maxBytes) {
        c.size = std::max<qint64>(reported, c.bytes.size());
        c.bytes.clear();
        c.result = FileResult::fileFailure(FileError::TooLarge);
    }
    return c;
}
