#include "settings/SettingsStore.h"

#include "app/ProgramInfo.h"
#include "engine/constants.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace settings {
namespace {

const QString kSectionCw = QStringLiteral("CW");
constexpr float kMaxTwips = 1.0e6f;         // 694 inches: 66 667 pixels at 96 dpi
constexpr float kMinFontPoints = 1;
constexpr float kMaxFontPoints = 1638;      // points: 23 inches, more than any screen shows
const QString kSectionSettings = QStringLiteral("Settings");

const Settings &defaults()
{
    static const Settings d = [] {
        Settings s;
        s.giWPM = 20;
        s.giTone = 800;
        s.glVolume = 10000;
        s.giFarnsworth = 0;
        s.gsN = QStringLiteral("001");
        s.gsT = QStringLiteral("599");
        s.gsTekst = {QStringLiteral("CQ TEST DE #R #R TEST K"), QStringLiteral("CL?"),
                     QStringLiteral("#R"), QStringLiteral("#C UR #T #N BK"),
                     QString(), QString(), QString(), QString()};
        return s;
    }();
    return d;
}

QString tekstKey(size_t index)
{
    return QStringLiteral("Tekst%1").arg(index + 1);
}

// The stored text of a key, or nullopt when the key is absent. A hand-edited value
// with unquoted commas (a decimal comma, a text) comes back from the INI parser as
// a list; it is joined again with the separator given.
std::optional<QString> readText(QSettings &store, const QString &key,
                                const QString &listSeparator = QStringLiteral(", "))
{
    if (!store.contains(key))
        return std::nullopt;
    const QVariant v = store.value(key);
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(listSeparator);
    if (!v.canConvert<QString>())
        return QString();
    return v.toString();
}

template <typename T, typename Convert>
T readOr(QSettings &store, const QString &key, T fallback, Convert convert)
{
    const std::optional<QString> text = readText(store, key, QStringLiteral(","));
    if (!text)
        return fallback;
    return convert(*text).value_or(fallback);
}

// Writes the store; true when the values of group are on disk. A store that was
// malformed when read keeps reporting FormatError after a successful rewrite (and
// would hide a failed one), so then the file is read back from a private copy.
bool syncOk(QSettings &store, const QString &group)
{
    store.sync();
    if (store.status() != QSettings::FormatError)
        return store.status() == QSettings::NoError;
    QFile file(store.fileName());
    QTemporaryFile copy(QDir::temp().filePath(QStringLiteral("store-XXXXXX.ini")));
    if (!file.open(QIODevice::ReadOnly) || !copy.open() || copy.write(file.readAll()) != file.size()
        || !copy.flush())
        return false;
    QSettings written(copy.fileName(), QSettings::IniFormat);
    if (written.status() != QSettings::NoError)
        return false;
    store.beginGroup(group);
    written.beginGroup(group);
    const QStringList keys = store.childKeys();
    const bool same = std::all_of(keys.begin(), keys.end(), [&](const QString &key) {
        return written.value(key) == store.value(key);
    });
    written.endGroup();
    store.endGroup();
    return same;
}

} // namespace

std::unique_ptr<QSettings> openUserStore()
{
    auto store = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             program::title(), program::title());
    store->setFallbacksEnabled(false);
    return store;
}

std::unique_ptr<QSettings> openStoreAt(const QString &path)
{
    auto store = std::make_unique<QSettings>(path, QSettings::IniFormat);
    store->setFallbacksEnabled(false);
    return store;
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

void HentIndstillinger(QSettings &store, Settings &record)
{
    const Settings &d = defaults();
    const auto int16 = [](const QString &t) { return toInt16(t); };
    store.beginGroup(kSectionCw);
    record.giWPM = readOr<qint16>(store, QStringLiteral("WPM"), d.giWPM, int16);
    record.giTone = readOr<qint16>(store, QStringLiteral("Tone"), d.giTone, int16);
    record.glVolume = readOr<qint32>(store, QStringLiteral("Volume"), d.glVolume,
                                     [](const QString &t) { return toInt32(t); });
    record.giFarnsworth = readOr<qint16>(store, QStringLiteral("Farnsworth"), d.giFarnsworth, int16);
    record.gsN = readText(store, QStringLiteral("N")).value_or(d.gsN);
    record.gsT = readText(store, QStringLiteral("T")).value_or(d.gsT);
    for (size_t i = 0; i < record.gsTekst.size(); ++i)
        record.gsTekst[i] = readText(store, tekstKey(i)).value_or(d.gsTekst[i]);
    store.endGroup();

    // The engine needs 25 <= dot length < 22050 samples and a 16-bit amplitude.
    // Farnsworth has only an upper bound: a negative value still leaves one unit
    // of silence after each character.
    record.giWPM = qint16(std::clamp<int>(record.giWPM, morse::kMinWpm, morse::kMaxWpm));
    record.glVolume = std::clamp<qint32>(record.glVolume, 0, morse::kMaxVolume);
    record.giFarnsworth = std::min<qint16>(record.giFarnsworth, morse::kMaxFarnsworth);
}

bool GemIndstillinger(QSettings &store, const Settings &record)
{
    store.beginGroup(kSectionCw);
    store.setValue(QStringLiteral("WPM"), integerText(record.giWPM));
    store.setValue(QStringLiteral("Tone"), integerText(record.giTone));
    store.setValue(QStringLiteral("Volume"), integerText(record.glVolume));
    store.setValue(QStringLiteral("Farnsworth"), integerText(record.giFarnsworth));
    store.setValue(QStringLiteral("N"), record.gsN);
    store.setValue(QStringLiteral("T"), record.gsT);
    for (size_t i = 0; i < record.gsTekst.size(); ++i)
        store.setValue(tekstKey(i), record.gsTekst[i]);
    store.endGroup();
    return syncOk(store, kSectionCw);
}

WindowSettings loadWindowSettings(QSettings &store)
{
    const WindowSettings d;
    WindowSettings w;
    const auto boolean = [](const QString &t) { return toBoolean(t); };
    // A position or size far beyond any screen (pixels would overflow an int), a
    // size of zero or less, or a font size no font has is as malformed as a word.
    const auto within = [](float min, float max) {
        return [min, max](const QString &t) {
            const std::optional<float> v = toSingle(t);
            return v && *v >= min && *v <= max ? v : std::nullopt;
        };
    };
    const auto position = within(-kMaxTwips, kMaxTwips);
    const auto size = within(std::numeric_limits<float>::min(), kMaxTwips);
    store.beginGroup(kSectionSettings);
    w.MainLeft = readOr<float>(store, QStringLiteral("MainLeft"), d.MainLeft, position);
    w.MainTop = readOr<float>(store, QStringLiteral("MainTop"), d.MainTop, position);
    w.MainWidth = readOr<float>(store, QStringLiteral("MainWidth"), d.MainWidth, size);
    w.MainHeight = readOr<float>(store, QStringLiteral("MainHeight"), d.MainHeight, size);
    w.Skjul = readOr<bool>(store, QStringLiteral("Skjul"), d.Skjul, boolean);
    w.FontName = readText(store, QStringLiteral("FontName")).value_or(d.FontName);
    w.FontBold = readOr<bool>(store, QStringLiteral("FontBold"), d.FontBold, boolean);
    w.FontItalic = readOr<bool>(store, QStringLiteral("FontItalic"), d.FontItalic, boolean);
    w.FontSize = readOr<float>(store, QStringLiteral("FontSize"), d.FontSize,
                               within(kMinFontPoints, kMaxFontPoints));
    store.endGroup();
    return w;
}

bool saveWindowSettings(QSettings &store, const WindowSettings &window, bool withGeometry)
{
    store.beginGroup(kSectionSettings);
    if (withGeometry) {
        store.setValue(QStringLiteral("MainLeft"), singleText(window.MainLeft));
        store.setValue(QStringLiteral("MainTop"), singleText(window.MainTop));
        store.setValue(QStringLiteral("MainWidth"), singleText(window.MainWidth));
        store.setValue(QStringLiteral("MainHeight"), singleText(window.MainHeight));
    }
    store.setValue(QStringLiteral("Skjul"), booleanText(window.Skjul));
    store.setValue(QStringLiteral("FontName"), window.FontName);
    store.setValue(QStringLiteral("FontBold"), booleanText(window.FontBold));
    store.setValue(QStringLiteral("FontItalic"), booleanText(window.FontItalic));
    store.setValue(QStringLiteral("FontSize"), singleText(window.FontSize));
    store.endGroup();
    return syncOk(store, kSectionSettings);
}

} // namespace settings
