#include "settings/Conversions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace settings {
namespace {

// The user's notation first, then the C locale's (a store written elsewhere).
std::optional<double> toNumber(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double v = locale.toDouble(trimmed, &ok);
    if (!ok)
        v = QLocale::c().toDouble(trimmed, &ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

} // namespace

std::optional<qint64> toInteger(const QString &text, const QLocale &locale, qint64 min, qint64 max)
{
    const std::optional<double> v = toNumber(text, locale);
    if (!v || !std::isfinite(*v))
        return std::nullopt;
    const double rounded = std::nearbyint(*v);   // ties to even
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
    const std::optional<double> v = toNumber(text, locale);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(*v);
}

std::optional<bool> toBoolean(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> v = toNumber(trimmed, locale);
    if (!v || std::isnan(*v))
        return std::nullopt;
    return *v != 0;
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

Conversion<qint16> int16Conversion()
{
    return {[](const QString &t) { return toInt16(t); },
            [](const qint16 &v) { return integerText(v); }, {}};
}

Conversion<qint32> int32Conversion()
{
    return {[](const QString &t) { return toInt32(t); },
            [](const qint32 &v) { return integerText(v); }, {}};
}

Conversion<float> singleConversion(float min, float max)
{
    return {[min, max](const QString &t) {
                const std::optional<float> v = toSingle(t);
                return v && *v >= min && *v <= max ? v : std::nullopt;
            },
            [](const float &v) { return singleText(v); }, {}};
}

Conversion<bool> booleanConversion()
{
    return {[](const QString &t) { return toBoolean(t); },
            [](const bool &v) { return booleanText(v); }, {}};
}

Conversion<QString> textConversion()
{
    return {[](const QString &t) { return std::optional<QString>(t); },
            [](const QString &v) { return v; }, {}};
}

} // namespace settings
