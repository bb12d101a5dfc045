#include "engine/FileTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinkSteps = 40;   // symbolic links followed before giving up
constexpr int kFifoPollMs = 20;     // between attempts to open a FIFO without a reader

fs::path toPath(const QString &path)
{
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    const QByteArray name = QFile::encodeName(path);
    return fs::path(std::string(name.constData(), size_t(name.size())));
#endif
}

QString fromPath(const fs::path &path)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}

} // namespace

namespace {

// Standard output and the other open descriptors have names ("/dev/stdout",
// "/dev/fd/1", "/proc/self/fd/1") that lead to whatever the descriptor holds, a
// regular file included; such a name is written in place, never replaced.
bool isDescriptorName(const QString &absolutePath)
{
    static const QRegularExpression name(QStringLiteral(
        "^/(dev/(stdout|stderr|fd/[0-9]+)|proc/(self|thread-self|[0-9]+)/fd/[0-9]+)$"));
    return name.match(absolutePath).hasMatch();
}

bool leadsToDescriptor(const QString &path)
{
    fs::path p = toPath(QFileInfo(path).absoluteFilePath());
    for (int step = 0; step < kMaxLinkSteps; ++step) {
        if (isDescriptorName(QDir::cleanPath(fromPath(p))))
            return true;
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)))
            return false;
        const fs::path target = fs::read_symlink(p, ec);
        if (ec)
            return false;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return false;
}

#ifdef Q_OS_UNIX
// While alive, a write to a pipe whose reader went away fails with EPIPE in this
// thread instead of ending the whole program by SIGPIPE (the window would lose
// its text). A SIGPIPE that was pending before stays pending.
class PipeSignalBlock {
public:
    PipeSignalBlock()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~PipeSignalBlock()
    {
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{};
            sigtimedwait(&m_pipe, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    PipeSignalBlock(const PipeSignalBlock &) = delete;
    PipeSignalBlock &operator=(const PipeSignalBlock &) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_old;
    bool m_wasPending = false;
};

// A device, FIFO or pipe written in place; its writes never raise SIGPIPE.
class InPlaceFile : public QFile {
protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        const PipeSignalBlock block;
        return QFile::writeData(data, length);
    }
};
#endif

} // namespace

FileTarget::FileTarget() = default;

FileTarget::~FileTarget()
{
    cancel();
}

QIODevice *FileTarget::device() const
{
    return m_file.get();
}

bool FileTarget::fail(FileResult result)
{
    m_result = std::move(result);
    cancel();
    return false;
}

bool FileTarget::failWith(FileError error, int systemError)
{
    QString reason;
    if (systemError != 0)
        reason = QString::fromStdString(std::generic_category().message(systemError));
    else if (m_file && m_file->error() != QFileDevice::NoError)
        reason = m_file->errorString();
    return fail(FileResult::fileFailure(error, reason));
}

// After a failed call on the device: errno names the cause where the system set
// it (the caller cleared it before the call); else the device's own category.
bool FileTarget::failFromDevice()
{
    const int systemError = errno;
    if (systemError != 0)
        return failWith(fileErrorFor(std::error_code(systemError, std::generic_category())), systemError);
    switch (m_file ? m_file->error() : QFileDevice::UnspecifiedError) {
    case QFileDevice::PermissionsError:
        return failWith(FileError::AccessDenied, 0);
    case QFileDevice::ResourceError:
        return failWith(FileError::NoSpace, 0);
    default:
        return failWith(FileError::Failed, 0);
    }
}

bool FileTarget::open(const QString &path, const KeepWaiting &keepWaiting)
{
    cancel();
    m_result = FileResult();
    m_path = path;
    m_inPlace = false;
    if (path.isEmpty())
        return failWith(FileError::FolderMissing, int(std::errc::no_such_file_or_directory));

    const fs::path p = toPath(path);
    std::error_code ec;
    const fs::file_status status = fs::status(p, ec);
    if (ec && status.type() != fs::file_type::not_found)
        return failWith(fileErrorFor(ec), ec.value());
    if (ec && fileErrorFor(ec) != FileError::FolderMissing)
        return failWith(fileErrorFor(ec), ec.value());

    switch (status.type()) {
    case fs::file_type::directory:
        return failWith(FileError::IsFolder, int(std::errc::is_a_directory));
    case fs::file_type::character:
    case fs::file_type::fifo:
        m_inPlace = true;
        break;
    case fs::file_type::regular:
    case fs::file_type::not_found:
        m_inPlace = leadsToDescriptor(path);
        break;
    default:    // block devices, sockets and what else a system has
        return failWith(FileError::SpecialFile, 0);
    }

    if (m_inPlace)
        return openInPlace(path, status.type() == fs::file_type::fifo, keepWaiting);

    if (status.type() == fs::file_type::not_found) {
        const fs::path parent = p.has_parent_path() ? p.parent_path() : fs::path(".");
        const fs::file_status folder = fs::status(parent, ec);
        if (folder.type() != fs::file_type::directory) {
            if (ec && fileErrorFor(ec) != FileError::FolderMissing)
                return failWith(fileErrorFor(ec), ec.value());
            return failWith(FileError::FolderMissing, int(std::errc::no_such_file_or_directory));
        }
    }
    // The temporary could replace a file its owner made read-only: an existing file
    // is opened for appending first (which changes nothing), and the system says
    // whether it may be written and, if not, why (permissions, read-only mount).
    if (status.type() == fs::file_type::regular) {
#ifdef Q_OS_UNIX
        // Without waiting, should a FIFO have taken the file's place meanwhile.
        const int probe = ::open(QFile::encodeName(path).constData(),
                                 O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0)
            return failWith(fileErrorFor(std::error_code(errno, std::generic_category())), errno);
        ::close(probe);
#else
        QFile probe(path);
        errno = 0;
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            const std::error_code code(errno, std::generic_category());
            return code ? failWith(fileErrorFor(code), code.value())
                        : failWith(FileError::AccessDenied, int(std::errc::permission_denied));
        }
#endif
    }
    auto file = std::make_unique<QSaveFile>(path);
    errno = 0;
    const bool opened = file->open(QIODevice::WriteOnly);
    m_file = std::move(file);
    if (opened)
        return true;
    // The folder exists: a name the system cannot create (as in /proc) is no
    // missing folder.
    const std::error_code opening(errno, std::generic_category());
    if (opening && fileErrorFor(opening) == FileError::FolderMissing)
        return failWith(FileError::Failed, opening.value());
    return failFromDevice();
}

bool FileTarget::openInPlace(const QString &path, bool fifo, const KeepWaiting &keepWaiting)
{
#ifdef Q_OS_UNIX
    // Opened without blocking: a FIFO without a reader answers ENXIO at once and is
    // tried again while the caller waits; a device that would wait for a line
    // (a modem) does not hold the program. Appending: standard output redirected
    // with ">>" keeps what it holds.
    const QByteArray name = QFile::encodeName(path);
    const auto started = std::chrono::steady_clock::now();
    int fd = -1;
    for (;;) {
        fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0 || errno != ENXIO || !fifo)
            break;
        if (keepWaiting && !keepWaiting())
            return fail(FileResult::failure(FileResult::Kind::Cancelled));
        if (!keepWaiting
            && std::chrono::steady_clock::now() - started >= std::chrono::milliseconds(kFifoReaderWaitMs))
            return failWith(FileError::NoReader, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(kFifoPollMs));
    }
    if (fd < 0) {
        const int systemError = errno;
        return failWith(fileErrorFor(std::error_code(systemError, std::generic_category())), systemError);
    }
    // Then written with blocking writes: a reader slower than the writer is waited for.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        const int systemError = errno;
        ::close(fd);
        return failWith(fileErrorFor(std::error_code(systemError, std::generic_category())), systemError);
    }
    auto file = std::make_unique<InPlaceFile>();
    errno = 0;
    // Without Append here: the descriptor appends already, and Qt's seek to the
    // end would fail on a pipe.
    const bool opened = file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                                   QFileDevice::AutoCloseHandle);
    if (!opened)
        ::close(fd);
    m_file = std::move(file);
    return opened || failFromDevice();
#else
    Q_UNUSED(fifo);
    Q_UNUSED(keepWaiting);
    auto file = std::make_unique<QFile>(path);
    errno = 0;
    const bool opened = file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    m_file = std::move(file);
    return opened || failFromDevice();
#endif
}

bool FileTarget::write(QByteArrayView bytes)
{
    if (!m_file)
        return false;
    errno = 0;
    if (m_file->write(bytes.data(), bytes.size()) == bytes.size())
        return true;
    return failFromDevice();
}

namespace {

// Asks the system to put the file's bytes on the disk; false when it could not.
bool syncToDisk(QFileDevice &file)
{
#ifdef Q_OS_UNIX
    int synced = 0;
    do {
        synced = ::fsync(file.handle());
    } while (synced != 0 && errno == EINTR);
    // EINVAL: a file system without syncing, which has nothing more to write.
    return synced == 0 || errno == EINVAL;
#elif defined(Q_OS_WIN)
    return _commit(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

} // namespace

bool FileTarget::commit()
{
    if (!m_file)
        return false;
    if (m_file->error() != QFileDevice::NoError)
        return failFromDevice();
    errno = 0;
    // The last bytes may still wait in the device's buffer; a full disk shows only
    // when they are written, and must keep the temporary from replacing the file.
    if (!m_file->flush())
        return failFromDevice();
    if (m_inPlace) {
        m_file->close();
        m_file.reset();
        return true;
    }
    errno = 0;
    if (!syncToDisk(*m_file))
        return failFromDevice();
    auto *save = static_cast<QSaveFile *>(m_file.get());
    errno = 0;
    if (!save->commit())
        return failFromDevice();
    m_file.reset();
    return true;
}

void FileTarget::cancel()
{
    if (!m_file)
        return;
    if (!m_inPlace) {
        auto *save = static_cast<QSaveFile *>(m_file.get());
        save->cancelWriting();
        save->commit();     // with writing cancelled this only removes the temporary
    }
    m_file.reset();
}
