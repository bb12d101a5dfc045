#pragma once
// One table per section of the settings store: each key once, with the member it
// fills, its conversion and (through the table's record of defaults) its default.
// The same table loads and saves the section, and tells the store whether the
// section's stored values load as they stand (else the store is copied before it
// is written).
//
// Use, for a section of a feature's own:
//     struct Koch { qint16 Level = 2; QString Letters = "KM"; };
//     const settings::KeyTable<Koch> &kochTable() {
//         static const settings::KeyTable<Koch> table(QStringLiteral("Koch"), Koch{}, {
//             settings::keyRow<Koch>(QStringLiteral("Level"), &Koch::Level, settings::int16Conversion()),
//             settings::keyRow<Koch>(QStringLiteral("Letters"), &Koch::Letters, settings::textConversion())});
//         return table;
//     }
//     Koch k = kochTable().load(*store);           // at start-up
//     if (!kochTable().save(*openStore(), k)) ...  // "... kunne ikke gemmes."

#include "settings/SettingsStore.h"

#include <functional>
#include <optional>
#include <vector>

namespace settings {

// A section the program knows: every table there is, for the store's judgement.
class SectionTable {
public:
    explicit SectionTable(QString section);
    virtual ~SectionTable();
    SectionTable(const SectionTable &) = delete;
    SectionTable &operator=(const SectionTable &) = delete;

    const QString &section() const { return m_section; }
    // False when a value stored in the section would not load as it stands (it
    // falls back to its default, or is bounded).
    virtual bool loadsExactly(const Store &store) const = 0;

    // The tables made so far.
    static std::vector<const SectionTable *> registered();

private:
    QString m_section;
};

// One key: how it fills its member from the stored text and gives the text back.
template <typename Record>
struct KeyRow {
    QString key;
    // Fills the member from the stored text (nullopt: absent) or the default; false
    // when a stored text fell back or was bounded.
    std::function<bool(Record &, const Record &defaults, const std::optional<QString> &)> read;
    std::function<QString(const Record &)> text;
    // Whether a stored text loads as it stands.
    std::function<bool(const QString &)> exact;
};

// A row for the member access gives (a pointer to a data member, or a function of
// the record that returns a reference to the member).
template <typename Record, typename T, typename Access>
KeyRow<Record> keyRow(QString key, Access access, Conversion<T> conversion)
{
    auto convert = [conversion](const QString &text) -> std::pair<std::optional<T>, bool> {
        std::optional<T> v = conversion.read(text);
        if (!v)
            return {std::nullopt, false};
        if (!conversion.bound)
            return {v, true};
        const T fitted = conversion.bound(*v);
        const bool exact = fitted == *v;
        return {fitted, exact};
    };
    KeyRow<Record> row;
    row.key = std::move(key);
    row.read = [access, convert](Record &record, const Record &defaults, const std::optional<QString> &stored) {
        auto &member = std::invoke(access, record);
        if (!stored) {
            member = std::invoke(access, defaults);
            return true;
        }
        const auto [value, exact] = convert(*stored);
        member = value ? *value : std::invoke(access, defaults);
        return exact;
    };
    row.text = [access, conversion](const Record &record) { return conversion.write(std::invoke(access, record)); };
    row.exact = [convert](const QString &stored) { return convert(stored).second; };
    return row;
}

template <typename Record>
class KeyTable : public SectionTable {
public:
    KeyTable(QString section, Record defaults, std::vector<KeyRow<Record>> rows)
        : SectionTable(std::move(section)), m_defaults(std::move(defaults)), m_rows(std::move(rows))
    {
    }

    // Reads every key into record, in the table's order: a missing key, or one
    // whose text does not convert, gets its default; the others still load.
    void load(Store &store, Record &record) const
    {
        for (const KeyRow<Record> &row : m_rows) {
            const QString key = fullKey(row);
            const std::optional<QString> stored = store.storedText(key);
            const bool exact = row.read(record, m_defaults, stored);
            store.noteLoaded(key, stored, row.text(record), !exact);
        }
    }
    Record load(Store &store) const
    {
        Record record = m_defaults;
        load(store, record);
        return record;
    }

    // Sets the keys from record (only those in keys, when given), in the table's
    // order, and syncs: the keys this run changed are written. False: the store
    // could not be written.
    bool save(Store &store, const Record &record, const QStringList &keys = {}) const
    {
        for (const KeyRow<Record> &row : m_rows) {
            if (keys.isEmpty() || keys.contains(row.key))
                store.setValue(fullKey(row), row.text(record));
        }
        return store.sync();
    }

    bool loadsExactly(const Store &store) const override
    {
        for (const KeyRow<Record> &row : m_rows) {
            const std::optional<QString> stored = store.storedText(fullKey(row));
            if (stored && !row.exact(*stored))
                return false;
        }
        return true;
    }

    const Record &defaults() const { return m_defaults; }
    QStringList keys() const
    {
        QStringList out;
        for (const KeyRow<Record> &row : m_rows)
            out << row.key;
        return out;
    }

private:
    QString fullKey(const KeyRow<Record> &row) const { return section() + u'/' + row.key; }

    Record m_defaults;
    std::vector<KeyRow<Record>> m_rows;
};

} // namespace settings
