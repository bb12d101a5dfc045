#include "settings/SettingsStore.h"

#include "settings/IniText.h"
#include "settings/KeyTable.h"

#include "engine/FileTarget.h"
#include "program/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStorageInfo>
#include <QStandardPaths>

#include <filesystem>
#include <map>

namespace settings {

const SectionTable &cwSection();

namespace {

using ini::trimBlanks;

std::pair<QString, QString> splitKey(const QString &key)
{
    const qsizetype slash = key.indexOf(u'/');
    return {key.left(slash), key.mid(slash + 1)};
}

// Replaces the regular file (or new name) at path with bytes, only once every byte
// has reached the file: the write buffer is flushed, and checked, before the commit.
FileResult replaceFile(const QString &path, const QByteArray &bytes)
{
    FileTarget target;
    if (!target.open(path))
        return target.result();
    if (target.isSequential())
        return FileResult::fileFailure(FileError::NotRegular);
    if (!target.write(bytes))
        return target.result();
    auto *file = qobject_cast<QFileDevice *>(target.device());
    if (!file || !file->flush()) {
        target.failFromDevice();
        return target.result();
    }
    target.commit();
    return target.result();
}

// This process's session on each store file.
std::shared_ptr<StoreSession> processSession(const QString &path)
{
    static std::mutex mutex;
    static std::map<QString, std::shared_ptr<StoreSession>> sessions;
    const std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<StoreSession> &session = sessions[QFileInfo(path).absoluteFilePath()];
    if (!session)
        session = std::make_shared<StoreSession>();
    return session;
}

} // namespace

// --- The session -----------------------------------------------------------------------

std::optional<StoreSession::Key> StoreSession::find(const QString &key) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_keys.constFind(key);
    return it == m_keys.cend() ? std::nullopt : std::optional<Key>(*it);
}

void StoreSession::note(const QString &key, Key what)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_keys.insert(key, std::move(what));
}

void StoreSession::noteFirst(const QString &key, Key what)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_keys.contains(key))
        m_keys.insert(key, std::move(what));
}

std::vector<std::pair<QString, StoreSession::Key>> StoreSession::fellBack() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::pair<QString, Key>> out;
    for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it) {
        if (it->fellBack)
            out.emplace_back(it.key(), *it);
    }
    return out;
}

// --- The store ---------------------------------------------------------------------------

std::optional<QString> readText(const Store &store, const QString &section, const QString &key)
{
    return store.value(section + u'/' + key);
}

Store::Store(const QString &path, std::shared_ptr<StoreSession> session)
    : m_path(path), m_session(session ? std::move(session) : std::make_shared<StoreSession>())
{
    QByteArray bytes;
    bool exists = false;
    m_readable = read(&bytes, &exists);
    parse(bytes);
}

// The file's bytes. False when it exists and cannot be read whole: not a regular
// file (a FIFO would block, a device never end), too large, or no access.
bool Store::read(QByteArray *bytes, bool *exists)
{
    namespace fs = std::filesystem;
    bytes->clear();
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(m_path.toStdU16String()), ec);
    *exists = status.type() != fs::file_type::not_found;
    if (status.type() == fs::file_type::not_found)
        return true;
    if (ec || status.type() != fs::file_type::regular)
        return false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes)
        return false;
    *bytes = file.read(kMaxBytes + 1);
    return file.error() == QFileDevice::NoError && bytes->size() <= kMaxBytes;
}

void Store::parse(const QByteArray &bytes)
{
    m_lines.clear();
    m_inexact = false;
    QString section;
    qsizetype pos = 0;
    // A UTF-8 byte order mark stays part of the first line's bytes.
    const qsizetype bom = bytes.startsWith("\xef\xbb\xbf") ? 3 : 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        Line line;
        line.bytes = bytes.mid(pos, end - pos);
        qsizetype next = end;
        if (next < bytes.size())
            next += bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
        line.end = bytes.mid(end, next - end);
        pos = next;

        bool utf8 = true;
        const QString text = ini::decodeLine(m_lines.empty() ? line.bytes.mid(bom) : line.bytes, &utf8);
        if (!utf8 || text.contains(QChar(0)))
            m_inexact = true;
        const QString trimmed = trimBlanks(text);
        line.section = section;
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) {
            // blank or comment
        } else if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            if (close < 0 || close != trimmed.size() - 1)
                m_inexact = true;
            section = trimBlanks(QStringView(trimmed).mid(1, close < 0 ? -1 : close - 1));
            line.section = section;
        } else if (const qsizetype eq = trimmed.indexOf(u'='); eq > 0) {
            line.key = trimBlanks(QStringView(trimmed).left(eq));
            const QString raw = trimBlanks(QStringView(trimmed).mid(eq + 1));
            line.value = ini::valueFromText(raw);
            for (const Line &earlier : m_lines) {
                if (earlier.key == line.key && earlier.section == section)
                    m_inexact = true;      // the last one counts
            }
        } else {
            m_inexact = true;              // a line this store does not understand
        }
        m_lines.push_back(std::move(line));
    }
}

std::optional<QString> Store::storedText(const QString &key) const
{
    const auto [section, name] = splitKey(key);
    for (auto it = m_lines.rbegin(); it != m_lines.rend(); ++it) {
        if (it->key == name && it->section == section)
            return it->value;
    }
    return std::nullopt;
}

std::optional<QString> Store::value(const QString &key) const
{
    const std::optional<QString> text = storedText(key);
    if (text)
        m_session->noteFirst(key, {text, text, false});
    return text;
}

void Store::noteLoaded(const QString &key, const std::optional<QString> &stored, const QString &value,
                       bool fellBack)
{
    m_session->note(key, {stored, value, fellBack && stored.has_value()});
}

void Store::markFallback(const QString &key)
{
    const std::optional<QString> stored = storedText(key);
    std::optional<StoreSession::Key> known = m_session->find(key);
    StoreSession::Key what = known ? *known : StoreSession::Key{stored, stored, false};
    what.fellBack = stored.has_value();
    // The run took some other value than the stored text: rewriting it is a change.
    if (what.value == stored)
        what.value.reset();
    m_session->note(key, what);
}

QStringList Store::childKeys(const QString &section) const
{
    QStringList keys;
    for (const Line &line : m_lines) {
        if (!line.key.isEmpty() && line.section == section && !keys.contains(line.key))
            keys << line.key;
    }
    return keys;
}

void Store::setValue(const QString &key, const QString &text)
{
    m_changes.emplace_back(key, text);
}

// Whether the file as parsed loads as it stands: UTF-8, every line understood, and
// every value of the sections known to the program usable without falling back.
bool Store::readsExactly() const
{
    if (m_inexact || m_marked)
        return false;
    cwSection();
    for (const SectionTable *table : SectionTable::registered()) {
        if (!table->loadsExactly(*this))
            return false;
    }
    // A value another section of this run could not use, still stored as it was.
    for (const auto &[key, what] : m_session->fellBack()) {
        if (storedText(key) == what.stored)
            return false;
    }
    return true;
}

// The file with the changes applied: a changed key's last line rewritten, a new
// key after the last line of its section's last block, a new section at the end.
QByteArray Store::apply(const std::vector<std::pair<QString, QString>> &changes) const
{
    std::vector<Line> lines = m_lines;
    QByteArray lineEnd = "\n";
    for (const Line &line : lines) {
        if (!line.end.isEmpty()) {
            lineEnd = line.end;
            break;
        }
    }
    for (const auto &[key, text] : changes) {
        const auto [section, name] = splitKey(key);
        const QByteArray written = name.toUtf8() + '=' + ini::textToValue(text);
        qsizetype found = -1;
        qsizetype lastOfSection = -1;
        for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
            const Line &line = lines[size_t(i)];
            if (line.section != section)
                continue;
            if (line.key == name)
                found = i;
            if (!line.key.isEmpty() || trimBlanks(QString::fromUtf8(line.bytes)).startsWith(u'['))
                lastOfSection = i;
        }
        if (found >= 0) {
            Line &line = lines[size_t(found)];
            if (line.value != text) {
                line.bytes = written;
                line.value = text;
            }
            continue;
        }
        Line added;
        added.bytes = written;
        added.end = lineEnd;
        added.section = section;
        added.key = name;
        added.value = text;
        if (lastOfSection < 0) {
            if (!lines.empty() && lines.back().end.isEmpty())
                lines.back().end = lineEnd;
            Line header;
            header.bytes = '[' + section.toUtf8() + ']';
            header.end = lineEnd;
            header.section = section;
            lines.push_back(header);
            lines.push_back(added);
        } else {
            Line &before = lines[size_t(lastOfSection)];
            if (before.end.isEmpty())
                before.end = lineEnd;
            lines.insert(lines.begin() + lastOfSection + 1, added);
        }
    }
    QByteArray out;
    for (const Line &line : lines)
        out += line.bytes + line.end;
    return out;
}

bool Store::sync()
{
    m_writeResult = {};
    const std::vector<std::pair<QString, QString>> requested = std::exchange(m_changes, {});
    if (!m_readable)
        return false;
    // The first save creates the store's folder; the lock file lies beside it.
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs)) {
        // Another writer's lock says nothing of the file; a lock file that could not
        // even be made is the folder's fault: no room left, or no access.
        if (lock.error() == QLockFile::PermissionError)
            m_writeResult = FileResult::fileFailure(FileError::AccessDenied);
        else if (lock.error() != QLockFile::LockFailedError
                 && QStorageInfo(QFileInfo(m_path).absolutePath()).bytesAvailable() == 0)
            m_writeResult = FileResult::fileFailure(FileError::NoSpace);
        return false;
    }
    // The changes go onto the file as it is now, under the lock.
    QByteArray original;
    bool exists = false;
    if (!read(&original, &exists)) {
        m_readable = false;
        return false;
    }
    parse(original);

    // A value this run has not changed since it read it stays as another writer
    // saved it meanwhile; it is written only where the file still holds what the
    // run read (a value in another form, or one that fell back, is rewritten) or
    // lacks the key.
    std::vector<std::pair<QString, QString>> changes;
    for (const auto &[key, text] : requested) {
        const std::optional<StoreSession::Key> known = m_session->find(key);
        const std::optional<QString> now = storedText(key);
        if (known && known->value == text && now && now != known->stored)
            continue;
        changes.emplace_back(key, text);
    }
    const QByteArray updated = apply(changes);
    if (updated.size() > kMaxBytes) {
        m_writeResult = FileResult::fileFailure(FileError::TooLarge);
        return false;       // the next start could not read it
    }
    if (updated != original || !exists) {
        m_writeResult = write(original, exists, updated);
        if (!m_writeResult.ok())
            return false;
        parse(updated);
    }
    for (const auto &[key, text] : changes)
        m_session->note(key, {text, text, false});
    return true;
}

// Replaces the file's bytes original with updated, copying a store not read exactly
// to "<name>.bak" first (once).
FileResult Store::write(const QByteArray &original, bool exists, const QByteArray &updated)
{
    if (exists && !readsExactly()) {
        const QString backup = m_path + QStringLiteral(".bak");
        if (!QFileInfo::exists(backup)) {
            if (const FileResult copied = replaceFile(backup, original); !copied.ok())
                return copied;
        }
    }
    return replaceFile(m_path, updated);
}

std::unique_ptr<Store> openUserStore()
{
#ifdef Q_OS_WIN
    const QString base = qEnvironmentVariable("APPDATA");
#else
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
    const QString title = program::title();
    return openStoreAt(base + u'/' + title + u'/' + title + QStringLiteral(".ini"));
}

std::unique_ptr<Store> openStoreAt(const QString &path)
{
    return std::make_unique<Store>(path, processSession(path));
}

StoreOpener storeOpenerAt(const QString &path)
{
    auto session = std::make_shared<StoreSession>();
    return [path, session] { return std::make_unique<Store>(path, session); };
}

} // namespace settings
