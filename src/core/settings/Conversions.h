#pragma once
// Text conversions of the settings store: numbers and Booleans read and written in
// the user's locale, and the bundles a key table uses for one member.

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

namespace settings {

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

// How one stored value becomes a member and back. read gives nullopt for a text it
// cannot use (the member then gets its default); bound, when set, brings a value
// read into the range the program can use (a bounded value is rewritten at the next
// save, as a value that fell back is).
template <typename T>
struct Conversion {
    std::function<std::optional<T>(const QString &)> read;
    std::function<QString(const T &)> write;
    std::function<T(const T &)> bound;
};

Conversion<qint16> int16Conversion();
Conversion<qint32> int32Conversion();
// A single within [min, max]; outside it the value is as unusable as a word.
Conversion<float> singleConversion(float min, float max);
Conversion<bool> booleanConversion();
// Any text, taken as it stands.
Conversion<QString> textConversion();

// The conversion with a bound applied after reading.
template <typename T>
Conversion<T> bounded(Conversion<T> conversion, std::function<T(const T &)> bound)
{
    conversion.bound = std::move(bound);
    return conversion;
}

} // namespace settings
