#include "engine/FileTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinkSteps = 40;   // symbolic links followed before giving up

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

FileTarget::Error FileTarget::errorFor(std::error_code code)
{
    using E = FileTarget::Error;
    if (code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory)
        return E::FolderMissing;
    if (code == std::errc::is_a_directory)
        return E::IsFolder;
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted)
        return E::AccessDenied;
    if (code == std::errc::read_only_file_system)
        return E::ReadOnly;
    if (code == std::errc::filename_too_long)
        return E::NameTooLong;
    if (code == std::errc::too_many_symbolic_link_levels)
        return E::SymlinkLoop;
    if (code == std::errc::no_space_on_device || code == std::errc::file_too_large)
        return E::NoSpace;
    return E::Failed;
}

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

bool FileTarget::fail(Error error, int systemError)
{
    m_error = error;
    if (systemError != 0)
        m_reason = QString::fromStdString(std::generic_category().message(systemError));
    else if (m_file && m_file->error() != QFileDevice::NoError)
        m_reason = m_file->errorString();
    cancel();
    return false;
}

// After a failed call on the device: errno names the cause where the system set
// it (the caller cleared it before the call); else the device's own category.
bool FileTarget::failFromDevice()
{
    const int systemError = errno;
    if (systemError != 0)
        return fail(errorFor(std::error_code(systemError, std::generic_category())), systemError);
    switch (m_file ? m_file->error() : QFileDevice::UnspecifiedError) {
    case QFileDevice::PermissionsError:
        return fail(Error::AccessDenied, 0);
    case QFileDevice::ResourceError:
        return fail(Error::NoSpace, 0);
    default:
        return fail(Error::Failed, 0);
    }
}

bool FileTarget::open(const QString &path)
{
    cancel();
    m_error = Error::None;
    m_reason.clear();
    m_path = path;
    m_inPlace = false;
    if (path.isEmpty())
        return fail(Error::FolderMissing, int(std::errc::no_such_file_or_directory));

    const fs::path p = toPath(path);
    std::error_code ec;
    const fs::file_status status = fs::status(p, ec);
    if (ec && status.type() != fs::file_type::not_found)
        return fail(errorFor(ec), ec.value());
    if (ec && errorFor(ec) != Error::FolderMissing)
        return fail(errorFor(ec), ec.value());

    switch (status.type()) {
    case fs::file_type::directory:
        return fail(Error::IsFolder, int(std::errc::is_a_directory));
    case fs::file_type::character:
    case fs::file_type::fifo:
        m_inPlace = true;
        break;
    case fs::file_type::regular:
    case fs::file_type::not_found:
        m_inPlace = leadsToDescriptor(path);
        break;
    default:    // block devices, sockets and what else a system has
        return fail(Error::SpecialFile, 0);
    }

    if (m_inPlace) {
        // Appending: standard output redirected with ">>" keeps what it holds.
        auto file = std::make_unique<QFile>(path);
        errno = 0;
        const bool opened = file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
        m_file = std::move(file);
        return opened || failFromDevice();
    }

    if (status.type() == fs::file_type::not_found) {
        const fs::path parent = p.has_parent_path() ? p.parent_path() : fs::path(".");
        const fs::file_status folder = fs::status(parent, ec);
        if (folder.type() != fs::file_type::directory) {
            if (ec && errorFor(ec) != Error::FolderMissing)
                return fail(errorFor(ec), ec.value());
            return fail(Error::FolderMissing, int(std::errc::no_such_file_or_directory));
        }
    }
    // The temporary could replace a file its owner made read-only: an existing file
    // is opened for appending first (which changes nothing), and the system says
    // whether it may be written and, if not, why (permissions, read-only mount).
    if (status.type() == fs::file_type::regular) {
        QFile probe(path);
        errno = 0;
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            const std::error_code code(errno, std::generic_category());
            return code ? fail(errorFor(code), code.value())
                        : fail(Error::AccessDenied, int(std::errc::permission_denied));
        }
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
    if (opening && errorFor(opening) == Error::FolderMissing)
        return fail(Error::Failed, opening.value());
    return failFromDevice();
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

bool FileTarget::commit()
{
    if (!m_file)
        return false;
    if (m_file->error() != QFileDevice::NoError)
        return failFromDevice();
    errno = 0;
    if (m_inPlace) {
        if (!m_file->flush())
            return failFromDevice();
        m_file->close();
        m_file.reset();
        return true;
    }
    auto *save = static_cast<QSaveFile *>(m_file.get());
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
