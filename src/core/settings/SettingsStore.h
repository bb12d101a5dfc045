#pragma once
// The persistent settings store: one INI file per user, every value kept as text
// and converted in the user's locale. Section "CW" holds the sending settings (its
// keys in CwSection.cpp); the main window keeps its own section "Settings", and
// every further section its own key table (settings/KeyTable.h).

#include "settings/Conversions.h"
#include "engine/FileResult.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace settings {

// What one run of the program read from a store and has written to it since, key by
// key: a save writes only the keys whose values this run changed, so that what
// another writer saved in the meantime stays.
class StoreSession {
public:
    struct Key {
        std::optional<QString> stored;   // the text in the file when it was read (nullopt: absent)
        std::optional<QString> value;    // the text of the value the run took (nullopt: unknown)
        bool fellBack = false;           // stored could not be used as it stands
    };
    std::optional<Key> find(const QString &key) const;
    void note(const QString &key, Key what);
    // Only when nothing is noted for key yet.
    void noteFirst(const QString &key, Key what);
    std::vector<std::pair<QString, Key>> fellBack() const;

private:
    mutable std::mutex m_mutex;
    QHash<QString, Key> m_keys;
};

// One INI file, read whole when the store is opened. A save rewrites only the
// lines of the values that changed and keeps every other byte of the file: lines
// it does not understand, comments, other sections, a text in Windows-1252.
// Values are text; a value in the quoted and escaped form this store writes is
// read back exactly, any other value is taken as it stands (commas, semicolons
// and unmatched quotes included). Bytes that are not UTF-8 are Windows-1252.
class Store {
public:
    // session: what this run read and wrote; null gives the store a session of its own.
    explicit Store(const QString &path, std::shared_ptr<StoreSession> session = {});

    QString fileName() const { return m_path; }

    // Keys are "Section/Key", as "CW/WPM". The first value read of a key is what
    // this run took from the store, unless a key table notes otherwise.
    std::optional<QString> value(const QString &key) const;
    bool contains(const QString &key) const { return storedText(key).has_value(); }
    QStringList childKeys(const QString &section) const;
    // Takes effect at sync(). A value equal to the one this run read is no change:
    // it does not replace what another writer saved since.
    void setValue(const QString &key, const QString &text);

    // Writes the changed values under the store's lock (waiting at most 2 s), onto
    // the file as it is then. False when the store could not be read (not a regular
    // file, no access, larger than kMaxBytes), the lock was not had, the result would
    // be larger than kMaxBytes, or the file could not be written in full; the file is
    // then as it was. Before the first write of a store that could not be read
    // exactly (not UTF-8, lines it does not understand, a value of a known section
    // that falls back to its default or is bounded), its bytes are copied to
    // "<name>.bak", when no such copy exists yet.
    bool sync();
    // Why the last sync() failed to write the file (the disk full, a read-only file
    // system ...); empty when it did not fail there (the lock, an unreadable store).
    const FileResult &writeResult() const { return m_writeResult; }

    // The stored text of key, noting nothing.
    std::optional<QString> storedText(const QString &key) const;
    // What this run took for key (a key table's load): the stored text, the text of
    // the value taken, and whether that value fell back or was bounded.
    void noteLoaded(const QString &key, const std::optional<QString> &stored, const QString &value,
                    bool fellBack);
    // A value of key was unusable and falls back to a default: the store is copied
    // before the key is rewritten.
    void markFallback(const QString &key);
    // The store as a whole was not read exactly: it is copied before its next write.
    void markInexact() { m_marked = true; }

    // How long sync() waits for another writer's lock, in milliseconds.
    static constexpr int kLockWaitMs = 2000;
    // The largest store read, and so the largest written.
    static constexpr qint64 kMaxBytes = qint64(16) << 20;

private:
    struct Line {
        QByteArray bytes;       // without the line end
        QByteArray end;         // "\n", "\r\n", "\r" or empty (the last line)
        QString section;        // the section the line is in
        QString key;            // empty: not a key line
        QString value;          // the key's value as read
    };
    bool read(QByteArray *bytes, bool *exists);
    void parse(const QByteArray &bytes);
    bool readsExactly() const;
    QByteArray apply(const std::vector<std::pair<QString, QString>> &changes) const;
    FileResult write(const QByteArray &original, bool exists, const QByteArray &updated);

    QString m_path;
    std::shared_ptr<StoreSession> m_session;
    FileResult m_writeResult;   // the last sync()'s failure to write, if that was it
    bool m_readable = true;     // false: the file exists and could not be read
    bool m_inexact = false;     // what parse() found
    bool m_marked = false;      // markInexact()
    std::vector<Line> m_lines;
    std::vector<std::pair<QString, QString>> m_changes;   // key, text, in order
};

// Opens the store afresh for one load or save; the program passes openUserStore,
// tests a store at a temporary path.
using StoreOpener = std::function<std::unique_ptr<Store>()>;

// The user's store: "<config folder>/<title>/<title>.ini", where the config folder
// is the user's (XDG_CONFIG_HOME or ~/.config on Linux) and title the program title.
// Every store a process opens on one file shares one session: the process is one run.
std::unique_ptr<Store> openUserStore();

// A store at an explicit path (tests and tools), in this process's session for it.
std::unique_ptr<Store> openStoreAt(const QString &path);

// An opener of stores at path that share a session of their own: another run of the
// program on the same file (tests of two windows on one store).
StoreOpener storeOpenerAt(const QString &path);

// The stored text of "section/key", or nullopt when the key is absent.
std::optional<QString> readText(const Store &store, const QString &section, const QString &key);

// A converted value, or the fallback when the key is absent or its text does not
// convert (which the store notes: the text is replaced at the next save of the key,
// after the store was copied).
template <typename T, typename Convert>
T readOr(Store &store, const QString &section, const QString &key, T fallback, Convert convert)
{
    const std::optional<QString> text = readText(store, section, key);
    if (!text)
        return fallback;
    const std::optional<T> value = convert(*text);
    if (!value)
        store.markFallback(section + u'/' + key);
    return value.value_or(fallback);
}

// Reads section "CW" into the record. A value that is missing, cannot be converted
// or does not fit its variable gets the key's default; the other keys still load.
// Speed, volume and spacing are then brought into the range the engine can handle.
void HentIndstillinger(Store &store, Settings &record);

// Writes the "CW" keys this run changed (all 14 on a store that lacks them), in
// order, atomically. False: the store could not be written.
bool GemIndstillinger(Store &store, const Settings &record);

} // namespace settings
