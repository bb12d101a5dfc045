#pragma once
// The persistent settings store: one INI file per user, sections "CW" and
// "Settings", every value kept as text and converted in the user's locale.

#include "settings/Settings.h"

#include <QLocale>
#include <QSettings>

#include <functional>
#include <memory>
#include <optional>

namespace settings {

// Opens the store afresh for one load or save; the program passes openUserStore,
// tests a store at a temporary path.
using StoreOpener = std::function<std::unique_ptr<QSettings>()>;

// The user's store: INI, user scope, organisation and application both the program
// title; only that one file is read (no system-wide or organisation fallbacks).
std::unique_ptr<QSettings> openUserStore();

// An INI store at an explicit path (tests and tools).
std::unique_ptr<QSettings> openStoreAt(const QString &path);

// Reads section "CW" into the record. A value that is missing, cannot be converted
// or does not fit its variable gets the key's default; the other keys still load.
// Speed, volume and spacing are then brought into the range the engine can handle.
void HentIndstillinger(QSettings &store, Settings &record);

// Writes all 14 "CW" keys in order, atomically. False: the store could not be written.
bool GemIndstillinger(QSettings &store, const Settings &record);

// Section "Settings": a malformed value gets its key's default.
WindowSettings loadWindowSettings(QSettings &store);
// Writes the geometry only when withGeometry (not while minimised), then always
// the hide option and the font. False: the store could not be written.
bool saveWindowSettings(QSettings &store, const WindowSettings &window, bool withGeometry);

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
