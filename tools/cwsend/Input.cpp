#include "Input.h"

#include "Tool.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace cwsend {
namespace {

constexpr qint64 kReadBytes = qint64(1) << 20;   // bytes asked for per read

} // namespace

std::optional<QByteArray> readInput(const QString &path, QString *error)
{
    QFile file;
    const bool fromStdin = path == u"-";
    if (fromStdin) {
#ifdef Q_OS_WIN
        // Every CR and LF is sent: standard input must not translate line ends.
        _setmode(_fileno(stdin), _O_BINARY);
#endif
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            *error = CwSend::tr("kan ikke læse standardinput.");
            return std::nullopt;
        }
    } else {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::file_status status = fs::status(fs::path(path.toStdU16String()), ec);
        if (status.type() == fs::file_type::not_found
            && FileTarget::errorFor(ec) == FileTarget::Error::FolderMissing) {
            *error = CwSend::tr("filen \"%1\" findes ikke.").arg(path);
            return std::nullopt;
        }
        if (ec) {
            *error = CwSend::tr("kan ikke læse \"%1\": %2.")
                         .arg(path, fileProblem(FileTarget::errorFor(ec),
                                                QString::fromStdString(ec.message())));
            return std::nullopt;
        }
        if (status.type() == fs::file_type::directory) {
            *error = CwSend::tr("\"%1\" er en mappe, ikke en fil.").arg(path);
            return std::nullopt;
        }
        file.setFileName(path);
        errno = 0;
        if (!file.open(QIODevice::ReadOnly)) {
            const std::error_code code(errno, std::generic_category());
            const FileTarget::Error why = code ? FileTarget::errorFor(code) : FileTarget::Error::Failed;
            *error = why == FileTarget::Error::AccessDenied
                         ? CwSend::tr("adgang til \"%1\" nægtet.").arg(path)
                         : CwSend::tr("kan ikke åbne \"%1\": %2.")
                               .arg(path, fileProblem(why, file.errorString()));
            return std::nullopt;
        }
    }

    const QString name = fromStdin ? CwSend::tr("standardinput") : u'"' + path + u'"';
    QByteArray bytes;
    if (!file.isSequential())
        bytes.reserve(qsizetype(std::clamp<qint64>(file.size(), 0, kMaxInputBytes) + 1));
    while (bytes.size() <= kMaxInputBytes) {
        const qsizetype before = bytes.size();
        bytes.resize(before + qsizetype(std::min(kReadBytes, kMaxInputBytes + 1 - before)));
        const qint64 n = file.read(bytes.data() + before, bytes.size() - before);
        bytes.resize(before + qsizetype(std::max<qint64>(n, 0)));
        if (n < 0) {
            *error = CwSend::tr("fejl under læsning af %1: %2.").arg(name, file.errorString());
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
