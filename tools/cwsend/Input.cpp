#include "Input.h"

#include "SystemWords.h"
#include "Tool.h"

#include "engine/FileName.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <poll.h>
#endif

namespace cwsend {
namespace {

constexpr qint64 kReadBytes = qint64(1) << 20;   // bytes asked for per read
constexpr int kStdinHandle = 0;

// Opens the file the system's name addresses, byte for byte; errno tells why not.
bool openNative(QFile &file, const QString &path, const QByteArray &native)
{
#ifdef Q_OS_WIN
    Q_UNUSED(native);
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
#else
    Q_UNUSED(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    return fd >= 0 && file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
#endif
}

// Standard input may be left non-blocking by whoever started the tool: then a read
// that finds nothing yet waits for more rather than failing.
bool waitForInput(int errnoValue, int handle)
{
#ifdef Q_OS_WIN
    Q_UNUSED(errnoValue);
    Q_UNUSED(handle);
    return false;
#else
    if (errnoValue != EAGAIN && errnoValue != EWOULDBLOCK)
        return false;
    pollfd fd{handle, POLLIN, 0};
    return ::poll(&fd, 1, -1) >= 0 || errno == EINTR;
#endif
}

} // namespace

std::optional<QByteArray> readInput(const QString &path, const QByteArray &nativePath, QString *error)
{
    QFile file;
    const bool fromStdin = path == u"-";
    const QByteArray native = nativePath.isEmpty() ? QFile::encodeName(path) : nativePath;
    const QString shown = u'"' + (nativePath.isEmpty() ? path : filename::shown(native)) + u'"';
    if (fromStdin) {
#ifdef Q_OS_WIN
        // Every CR and LF is sent: standard input must not translate line ends.
        _setmode(_fileno(stdin), _O_BINARY);
#endif
        if (!file.open(kStdinHandle, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            *error = CwSend::tr("kan ikke læse standardinput.");
            return std::nullopt;
        }
    } else {
        namespace fs = std::filesystem;
#ifdef Q_OS_WIN
        const fs::path name(path.toStdWString());
#else
        const fs::path name(native.toStdString());
#endif
        std::error_code ec;
        const fs::file_status status = fs::status(name, ec);
        if (status.type() == fs::file_type::not_found
            && FileTarget::errorFor(ec) == FileTarget::Error::FolderMissing) {
            *error = CwSend::tr("filen %1 findes ikke.").arg(shown);
            return std::nullopt;
        }
        if (ec) {
            *error = CwSend::tr("kan ikke læse %1: %2.")
                         .arg(shown, fileProblem(FileTarget::errorFor(ec),
                                                 QString::fromStdString(ec.message())));
            return std::nullopt;
        }
        if (status.type() == fs::file_type::directory) {
            *error = CwSend::tr("%1 er en mappe, ikke en fil.").arg(shown);
            return std::nullopt;
        }
        errno = 0;
        if (!openNative(file, path, native)) {
            const std::error_code code(errno, std::generic_category());
            const FileTarget::Error why = code ? FileTarget::errorFor(code) : FileTarget::Error::Failed;
            *error = why == FileTarget::Error::AccessDenied
                         ? CwSend::tr("adgang til %1 nægtet.").arg(shown)
                         : CwSend::tr("kan ikke åbne %1: %2.")
                               .arg(shown, code ? systemWords(code.value()) : systemWords(file.errorString()));
            return std::nullopt;
        }
    }

    const QString name = fromStdin ? CwSend::tr("standardinput") : shown;
    QByteArray bytes;
    if (!file.isSequential())
        bytes.reserve(qsizetype(std::clamp<qint64>(file.size(), 0, kMaxInputBytes) + 1));
    while (bytes.size() <= kMaxInputBytes) {
        const qsizetype before = bytes.size();
        bytes.resize(before + qsizetype(std::min(kReadBytes, kMaxInputBytes + 1 - before)));
        errno = 0;
        const qint64 n = file.read(bytes.data() + before, bytes.size() - before);
        const int readError = errno;
        bytes.resize(before + qsizetype(std::max<qint64>(n, 0)));
        if (n < 0 && waitForInput(readError, file.handle())) {
            file.unsetError();
            continue;
        }
        if (n < 0) {
            *error = CwSend::tr("fejl under læsning af %1: %2.")
                         .arg(name, readError ? systemWords(readError) : systemWords(file.errorString()));
            return std::nullopt;
        }
        if (n == 0)
            break;
    }
    if (bytes.size() > kMaxInputBytes) {
        *error = CwSend::tr("%1 fylder mere end %2 MB; der kan højst sendes %2 MB tekst.")
                     .arg(name)
                     .arg(kMaxInputBytes >> 20);
        return std::nullopt;
    }
    return bytes;
}

} // namespace cwsend
