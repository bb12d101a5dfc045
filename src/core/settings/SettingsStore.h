#pragma once
// The persistent settings store: one INI file per user, every value kept as text
// and converted in the user's locale; section "CW" holds the sending settings (the
// main window reads and writes its own section "Settings" through the same store).

#include "settings/Settings.h"

#include <QByteArray>
#include <QLocale>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace settings {

// One INI file, read whole when the store is opened. A save rewrites only the
// lines of the values that changed and keeps every other byte of the file: lines
// it does not understand, comments, other sections, a text in Windows-1252.
// Values are text; a value in the quoted and escaped form this store writes is
// read back exactly, any other value is taken as it stands (commas, semicolons
// and unmatched quotes included). Bytes that are not UTF-8 are Windows-1252.
class Store {
public:
    explicit Store(const QString &path);

    QString fileName() const { return m_path; }

    // Keys are "Section/Key", as "CW/WPM".
    std::optional<QString> value(const QString &key) const;
    bool contains(const QString &key) const { return value(key).has_value(); }
    QStringList childKeys(const QString &section) const;
    // Takes effect at sync(); a value equal to the stored one changes nothing.
    void setValue(const QString &key, const QString &text);

    // Writes the changed values under the store's lock (waiting at most 2 s).
    // False when the store could not be read (not a regular file, no access),
    // the lock was not had, or the file could not be written; the file is then
    // as it was. Before the first write of a store that could not be read exactly
    // (not UTF-8, lines or values it does not understand), its bytes are copied to
    // "<name>.bak", when no such copy exists yet.
    bool sync();

    // A value was unusable and falls back to a default: the store was not read
    // exactly, and is copied before its first write.
    void markInexact() { m_inexact = true; }

    // How long sync() waits for another writer's lock, in milliseconds.
    static constexpr int kLockWaitMs = 2000;

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
    QByteArray apply() const;

    QString m_path;
    bool m_readable = true;     // false: the file exists and could not be read
    bool m_inexact = false;
    std::vector<Line> m_lines;
    std::vector<std::pair<QString, QString>> m_changes;   // key, text, in order
};

// Opens the store afresh for one load or save; the program passes openUserStore,
// tests a store at a temporary path.
using StoreOpener = std::function<std::unique_ptr<Store>()>;

// The user's store: "<config folder>/<title>/<title>.ini", where the config folder
// is the user's (XDG_CONFIG_HOME or ~/.config on Linux) and title the program title.
std::unique_ptr<Store> openUserStore();

// A store at an explicit path (tests and tools).
std::unique_ptr<Store> openStoreAt(const QString &path);

// The stored text of "section/key", or nullopt when the key is absent.
std::optional<QString> readText(const Store &store, const QString &section, const QString &key);

// A converted value, or the fallback when the key is absent or its text does not
// convert (which the store notes: the text is lost at the next save of the key).
template <typename T, typename Convert>
T readOr(Store &store, const QString &section, const QString &key, T fallback, Convert convert)
{
    const std::optional<QString> text = readText(store, section, key);
    if (!text)
        return fallback;
    const std::optional<T> value = convert(*text);
    if (!value)
        store.markInexact();
    return value.value_or(fallback);
}

// Reads section "CW" into the record. A value that is missing, cannot be converted
// or does not fit its variable gets the key's default; the other keys still load.
// Speed, volume and spacing are then brought into the range the engine can handle.
void HentIndstillinger(Store &store, Settings &record);

// Writes all 14 "CW" keys in order, atomically. False: the store could not be written.
// A value of section "CW" that fell back to a default has the store copied first;
// a caller that knows other sections reads them before, for the same reason.
bool GemIndstillinger(Store &store, const Settings &record);

// --- Text conversions, as the store and the dialogs use them ----------------------
// A decimal number, optionally fractional, rounded to the nearest integer with ties
// to even; nullopt when it is no number or does not fit [min, max].
std::optional<qint64> toInteger(const QString &text, const QLocale &locale, qint64 min, qint64 max);
std::optional<qint16> toInt16(const QString &text, const QLocale &locale = QLocale::system());
std::optional<qint32> toInt32(const QString &text, const QLocale &locale = QLocale::system());
std::optional<float> toSingle(const QString &text, const QLocale &locale = QLocale::system());
// "True"/"False" in any letter case, or a number (0 is False).
std::optional<bool> toBoolean(const QString &text, const QLocale &locale = QLocale::system());

// Plain decimal digits, "-" only when negative.
QString integerText(qint64 value);
// The shortest text that reads back as the same single, in the user's locale.
QString singleText(float value, const QLocale &locale = QLocale::system());
QString booleanText(bool value);

} // namespace settings
