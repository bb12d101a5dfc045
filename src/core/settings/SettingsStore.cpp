#include "settings/SettingsStore.h"

#include "program/ProgramInfo.h"
#include "engine/constants.h"

#include "engine/Cp1252.h"
#include "engine/FileTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <limits>

namespace settings {
namespace {

const QString kSectionCw = QStringLiteral("CW");

QString tekstKey(size_t index)
{
    return QStringLiteral("Tekst%1").arg(index + 1);
}

// --- The INI form --------------------------------------------------------------------

constexpr qint64 kMaxStoreBytes = qint64(16) << 20;   // a larger store is not read

// Text of a line: UTF-8 when it is valid UTF-8, else Windows-1252.
QString decodeLine(const QByteArray &bytes, bool *utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    *utf8 = !decoder.hasError();
    return *utf8 ? text : cp1252::decode(bytes);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

// The escapes of the quoted form: \a \b \f \n \r \t \v \" \' \\ \? \xHEX \OCTAL.
// nullopt when text holds a backslash that starts none of them.
std::optional<QString> unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        const char16_t e = text[i].unicode();
        static const QString simple = QStringLiteral("abfnrtv\"'\\?");
        static const QString meaning = QStringLiteral("\a\b\f\n\r\t\v\"'\\?");
        const qsizetype at = simple.indexOf(QChar(e));
        if (at >= 0) {
            out += meaning[at];
            continue;
        }
        const bool hex = e == u'x';
        if (!hex && !(e >= u'0' && e <= u'7'))
            return std::nullopt;
        const int base = hex ? 16 : 8;
        qsizetype j = hex ? i + 1 : i;
        char32_t code = 0;
        qsizetype digits = 0;
        for (; j < text.size(); ++j, ++digits) {
            const char16_t t = text[j].unicode();
            int d = -1;
            if (t >= u'0' && t <= u'9')
                d = int(t - u'0');
            else if (hex && t >= u'a' && t <= u'f')
                d = int(t - u'a') + 10;
            else if (hex && t >= u'A' && t <= u'F')
                d = int(t - u'A') + 10;
            if (d < 0 || d >= base)
                break;
            code = code * char32_t(base) + char32_t(d);
            if (code > 0x10FFFF)
                return std::nullopt;
        }
        if (digits == 0)
            return std::nullopt;
        out += QString::fromUcs4(&code, 1);
        i = j - 1;
    }
    return out;
}

// A value as written after "=": the quoted, escaped form this store writes comes
// back as the text it was made from; any other value as it stands.
QString valueFromText(const QString &raw)
{
    QString text = raw;
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2);
    // An unescaped quote inside: a hand-written value, not the written form.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\')
            ++i;
        else if (text[i] == u'"')
            return raw;
    }
    if (text.startsWith(u'@') && !text.startsWith(QLatin1String("@@")))
        return raw;
    std::optional<QString> plain = text.contains(u'\\') ? unescape(text) : std::optional<QString>(text);
    if (!plain)
        return raw;
    if (plain->startsWith(QLatin1String("@@")))
        plain->remove(0, 1);
    return *plain;
}

// The written form of a text, which valueFromText reads back exactly and other
// INI readers read the same: escapes for control characters, quotes and
// backslashes; quotes around a text with ; , = or blanks at its ends; "@@" for a
// leading "@".
QByteArray textToValue(const QString &text)
{
    const QString s = text.startsWith(u'@') ? u'@' + text : text;
    QByteArray out;
    bool needsQuotes = !s.isEmpty() && (isBlank(s.front()) || isBlank(s.back()));
    bool escapeHexDigit = false;   // after \x.. or \0 a hex digit would join the escape
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c == u';' || c == u',' || c == u'=')
            needsQuotes = true;
        if (escapeHexDigit && c < 0x80 && std::isxdigit(int(c))) {
            out += "\\x" + QByteArray::number(int(c), 16);
            continue;
        }
        escapeHexDigit = false;
        switch (c) {
        case u'\0': out += "\\0"; escapeHexDigit = true; break;
        case u'\a': out += "\\a"; break;
        case u'\b': out += "\\b"; break;
        case u'\f': out += "\\f"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        case u'\v': out += "\\v"; break;
        case u'"':
        case u'\\':
            out += '\\';
            out += char(c);
            break;
        default:
            if (c < 0x20) {
                out += "\\x" + QByteArray::number(int(c), 16);
                escapeHexDigit = true;
            } else if (QChar::isHighSurrogate(c) && i + 1 < s.size()) {
                out += s.mid(i, 2).toUtf8();
                ++i;
            } else {
                out += QString(QChar(c)).toUtf8();
            }
        }
    }
    return needsQuotes ? '"' + out + '"' : out;
}

std::pair<QString, QString> splitKey(const QString &key)
{
    const qsizetype slash = key.indexOf(u'/');
    return {key.left(slash), key.mid(slash + 1)};
}


} // namespace

std::optional<QString> readText(const Store &store, const QString &section, const QString &key)
{
    return store.value(section + u'/' + key);
}

Store::Store(const QString &path) : m_path(path)
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
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxStoreBytes)
        return false;
    *bytes = file.read(kMaxStoreBytes + 1);
    return file.error() == QFileDevice::NoError && bytes->size() <= kMaxStoreBytes;
}

void Store::parse(const QByteArray &bytes)
{
    m_lines.clear();
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
        const QString text = decodeLine(m_lines.empty() ? line.bytes.mid(bom) : line.bytes, &utf8);
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
            line.value = valueFromText(raw);
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

std::optional<QString> Store::value(const QString &key) const
{
    const auto [section, name] = splitKey(key);
    for (auto it = m_lines.rbegin(); it != m_lines.rend(); ++it) {
        if (it->key == name && it->section == section)
            return it->value;
    }
    return std::nullopt;
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

// The file with the changes applied: a changed key's last line rewritten, a new
// key after the last line of its section's last block, a new section at the end.
QByteArray Store::apply() const
{
    std::vector<Line> lines = m_lines;
    QByteArray lineEnd = "\n";
    for (const Line &line : lines) {
        if (!line.end.isEmpty()) {
            lineEnd = line.end;
            break;
        }
    }
    for (const auto &[key, text] : m_changes) {
        const auto [section, name] = splitKey(key);
        const QByteArray written = name.toUtf8() + '=' + textToValue(text);
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
    if (!m_readable)
        return false;
    // The first save creates the store's folder; the lock file lies beside it.
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return false;
    // What another writer saved since this store was opened stays: the changes go
    // onto the file as it is now.
    QByteArray original;
    bool exists = false;
    if (!read(&original, &exists)) {
        m_readable = false;
        return false;
    }
    const bool inexact = m_inexact;
    parse(original);
    m_inexact = m_inexact || inexact;
    const QByteArray updated = apply();
    m_changes.clear();
    if (exists && updated == original)
        return true;
    if (exists && m_inexact) {
        const QString backup = m_path + QStringLiteral(".bak");
        if (!QFileInfo::exists(backup)) {
            FileTarget copy;
            if (!copy.open(backup) || copy.isSequential() || !copy.write(original) || !copy.commit())
                return false;
        }
    }
    FileTarget file;
    // The store is a regular file or new: FileTarget replaces it atomically.
    if (!file.open(m_path) || file.isSequential() || !file.write(updated) || !file.commit())
        return false;
    parse(updated);
    return true;
}

std::unique_ptr<Store> openUserStore()
{
#ifdef Q_OS_WIN
    const QString base = qEnvironmentVariable("APPDATA");
#else
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
    const QString title = program::title();
    return std::make_unique<Store>(base + u'/' + title + u'/' + title + QStringLiteral(".ini"));
}

std::unique_ptr<Store> openStoreAt(const QString &path)
{
    return std::make_unique<Store>(path);
}

std::optional<qint64> toInteger(const QString &text, const QLocale &locale, qint64 min, qint64 max)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double v = locale.toDouble(trimmed, &ok);
    if (!ok)
        v = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    const double rounded = std::nearbyint(v);   // ties to even
    if (rounded < double(min) || rounded > double(max))
        return std::nullopt;
    return qint64(rounded);
}

std::optional<qint16> toInt16(const QString &text, const QLocale &locale)
{
    const auto v = toInteger(text, locale, std::numeric_limits<qint16>::min(),
                             std::numeric_limits<qint16>::max());
    return v ? std::optional<qint16>(qint16(*v)) : std::nullopt;
}

std::optional<qint32> toInt32(const QString &text, const QLocale &locale)
{
    const auto v = toInteger(text, locale, std::numeric_limits<qint32>::min(),
                             std::numeric_limits<qint32>::max());
    return v ? std::optional<qint32>(qint32(*v)) : std::nullopt;
}

std::optional<float> toSingle(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double v = locale.toDouble(trimmed, &ok);
    if (!ok)
        v = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(v);
}

std::optional<bool> toBoolean(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    double v = locale.toDouble(trimmed, &ok);
    if (!ok)
        v = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || std::isnan(v))
        return std::nullopt;
    return v != 0;
}

QString integerText(qint64 value)
{
    return QString::number(value);
}

QString singleText(float value, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    // Never fewer digits than the integer part has, so 1000 stays "1000", not "1e+03".
    const double magnitude = std::fabs(double(value));
    const int integerDigits = magnitude >= 1 ? int(std::floor(std::log10(magnitude))) + 1 : 1;
    for (int precision = std::min(integerDigits, 9); precision < 9; ++precision) {
        const QString text = plain.toString(double(value), 'g', precision);
        bool ok = false;
        if (float(plain.toDouble(text, &ok)) == value && ok)
            return text;
    }
    return plain.toString(double(value), 'g', 9);
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

void HentIndstillinger(Store &store, Settings &record)
{
    const Settings &d = defaults();
    const auto int16 = [](const QString &t) { return toInt16(t); };
    record.giWPM = readOr<qint16>(store, kSectionCw, QStringLiteral("WPM"), d.giWPM, int16);
    record.giTone = readOr<qint16>(store, kSectionCw, QStringLiteral("Tone"), d.giTone, int16);
    record.glVolume = readOr<qint32>(store, kSectionCw, QStringLiteral("Volume"), d.glVolume,
                                     [](const QString &t) { return toInt32(t); });
    record.giFarnsworth = readOr<qint16>(store, kSectionCw, QStringLiteral("Farnsworth"), d.giFarnsworth, int16);
    record.gsN = readText(store, kSectionCw, QStringLiteral("N")).value_or(d.gsN);
    record.gsT = readText(store, kSectionCw, QStringLiteral("T")).value_or(d.gsT);
    for (size_t i = 0; i < record.gsTekst.size(); ++i)
        record.gsTekst[i] = readText(store, kSectionCw, tekstKey(i)).value_or(d.gsTekst[i]);

    // The engine needs 25 <= dot length < 22050 samples and a 16-bit amplitude.
    // Farnsworth has only an upper bound: a negative value still leaves one unit
    // of silence after each character.
    const Settings read = record;
    record.giWPM = qint16(std::clamp<int>(record.giWPM, morse::kMinWpm, morse::kMaxWpm));
    record.glVolume = std::clamp<qint32>(record.glVolume, 0, morse::kMaxVolume);
    record.giFarnsworth = std::min<qint16>(record.giFarnsworth, morse::kMaxFarnsworth);
    // A bounded value replaces the stored one at the next save.
    if (record.giWPM != read.giWPM || record.glVolume != read.glVolume
        || record.giFarnsworth != read.giFarnsworth)
        store.markInexact();
}

bool GemIndstillinger(Store &store, const Settings &record)
{
    // Read once more, so that the store knows whether a value falls back to a
    // default (and the store must be copied before it is written).
    Settings scratch;
    HentIndstillinger(store, scratch);
    store.setValue(kSectionCw + u'/' + QStringLiteral("WPM"), integerText(record.giWPM));
    store.setValue(kSectionCw + u'/' + QStringLiteral("Tone"), integerText(record.giTone));
    store.setValue(kSectionCw + u'/' + QStringLiteral("Volume"), integerText(record.glVolume));
    store.setValue(kSectionCw + u'/' + QStringLiteral("Farnsworth"), integerText(record.giFarnsworth));
    store.setValue(kSectionCw + u'/' + QStringLiteral("N"), record.gsN);
    store.setValue(kSectionCw + u'/' + QStringLiteral("T"), record.gsT);
    for (size_t i = 0; i < record.gsTekst.size(); ++i)
        store.setValue(kSectionCw + u'/' + tekstKey(i), record.gsTekst[i]);
    return store.sync();
}

} // namespace settings
