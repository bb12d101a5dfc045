#include "exercises/ReceiveHistory.h"

#include "engine/FileTarget.h"
#include "engine/UserFile.h"
#include "exercises/CsvFields.h"
#include "program/ProgramInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace receive {
namespace {

constexpr int kFieldCount = 12;

using csv::quoted;
using csv::splitFields;

bool readInt(const QString &text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);   // C locale: plain digits
    return ok && value >= 0;
}

} // namespace

ReceiveHistory::ReceiveHistory(QString path) : m_path(std::move(path)) {}

QString ReceiveHistory::defaultPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data + QLatin1Char('/') + program::title() + QStringLiteral("/modtagetraening.csv");
}

QString ReceiveHistory::header()
{
    return QStringLiteral("tidspunkt,wpm,farnsworth,tegn_pr_minut,sendt,rigtige,forkerte,"
                          "manglende,ekstra,noejagtighed_pct,tegn,forhold");
}

QStringList countTexts(const Attempt &a)
{
    QStringList texts;
    for (const int n : {a.wpm, a.farnsworth, a.cpm, a.sent, a.correct, a.wrong, a.missing, a.extra})
        texts << QString::number(n);
    return texts;
}

QByteArray ReceiveHistory::row(const Attempt &a)
{
    const QStringList fields = QStringList{a.when.toString(Qt::ISODate)} + countTexts(a)
        + QStringList{QString::number(a.accuracy, 'f', 1),   // QString::number never localises
                      quoted(a.characters), quoted(a.conditions)};
    return (fields.join(u',') + QStringLiteral("\n")).toUtf8();
}

bool ReceiveHistory::parseRow(QStringView line, Attempt &a)
{
    const QStringList f = splitFields(line);
    // Rows written before the conditions column have one field less.
    if (f.size() != kFieldCount && f.size() != kFieldCount - 1)
        return false;
    a.conditions = f.value(kFieldCount - 1);
    a.when = QDateTime::fromString(f[0], Qt::ISODate);
    bool ok = a.when.isValid();
    ok = ok && readInt(f[1], a.wpm) && readInt(f[2], a.farnsworth) && readInt(f[3], a.cpm)
        && readInt(f[4], a.sent) && readInt(f[5], a.correct) && readInt(f[6], a.wrong)
        && readInt(f[7], a.missing) && readInt(f[8], a.extra);
    bool accuracyOk = false;
    a.accuracy = f[9].toDouble(&accuracyOk);
    a.characters = f[10];
    return ok && accuracyOk && a.accuracy >= 0 && a.accuracy <= 100;
}

ReceiveHistory::Contents ReceiveHistory::read() const
{
    Contents c;
    const UserFileContents file = readUserFile(m_path, kMaxBytes);
    if (file.result.file == FileError::NotFound)
        return c;
    if (!file.result.ok()) {
        c.readable = false;
        return c;
    }
    const QString text = QString::fromUtf8(file.bytes);
    bool first = true;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (first && (line == header() || line == header().section(u',', 0, kFieldCount - 2))) {
            first = false;
            continue;
        }
        first = false;
        Attempt a;
        if (parseRow(line, a))
            c.attempts.push_back(a);
        else
            ++c.skipped;
    }
    return c;
}

namespace {

// Opens the history for reading and appending, made when missing; only a regular
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

FileResult ReceiveHistory::append(const Attempt &attempt)
{
    std::error_code ec;
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    std::filesystem::create_directories(std::string(folder.constData(), size_t(folder.size())), ec);
    if (ec)
        return FileResult::fromSystemError(ec.value());
    QFile file;
    if (const FileResult opened = openForAppend(file, m_path); !opened.ok())
        return opened;
    QByteArray bytes;
    const qint64 size = file.size();
    if (size == 0) {
        bytes = header().toUtf8() + '\n';
    } else {
        // A last row cut off without its line end keeps its own line.
        file.seek(size - 1);
        char last = 0;
        if (file.read(&last, 1) != 1)
            return FileResult::fileFailure(FileError::Failed, file.errorString());
        if (last != '\n')
            bytes = "\n";
    }
    const qint64 rowStart = size + bytes.size();
    bytes += row(attempt);
    errno = 0;
    if (!file.seek(size) || file.write(bytes) != bytes.size() || !file.flush()) {
        // What reached the file of a row the disk had no room for is taken back.
        const FileResult failed = errno != 0 ? FileResult::fromSystemError(errno)
                                             : FileResult::fileFailure(FileError::Failed, file.errorString());
        file.resize(size);
        return failed;
    }
    m_lastRowStart = rowStart;
    m_lastRowEnd = size + bytes.size();
    return {};
}

FileResult ReceiveHistory::replaceLast(const Attempt &attempt)
{
    if (m_lastRowStart < 0)
        return append(attempt);
    const UserFileContents old = readUserFile(m_path, kMaxBytes);
    if (!old.result.ok() || old.bytes.size() != m_lastRowEnd)
        return append(attempt);
    FileTarget out;
    if (!out.open(m_path))
        return out.result();
    if (out.isSequential()) {
        out.fail(FileResult::fileFailure(FileError::NotRegular));
        return out.result();
    }
    const QByteArray newRow = row(attempt);
    if (!out.write(QByteArrayView(old.bytes).first(m_lastRowStart)) || !out.write(newRow)
        || !out.commit())
        return out.result();
    m_lastRowEnd = m_lastRowStart + newRow.size();
    return {};
}

} // namespace receive
