#pragma once
// The settings record: sending parameters and stored texts (section "CW").

#include <QString>
#include <QtGlobal>

#include <array>

struct Settings {
    qint16 giWPM = 0;          // words per minute
    qint16 giTone = 0;         // hertz
    qint32 glVolume = 0;       // peak amplitude in sample units
    qint16 giFarnsworth = 0;   // extra dot lengths after every character
    QString gsN;
    QString gsT;
    std::array<QString, 8> gsTekst;   // "Tekst1" .. "Tekst8"
    int softRampMs = 0;        // raised-cosine key edges in ms; 0: the 25-sample ramp

    bool operator==(const Settings &) const = default;
};

namespace settings {

// What a new user starts with, and what a missing or unusable stored value falls
// back to.
inline constexpr qint16 kDefaultWpm = 20;
inline constexpr qint16 kDefaultTone = 800;        // hertz
inline constexpr qint32 kDefaultVolume = 10000;    // peak amplitude
inline constexpr qint16 kDefaultFarnsworth = 0;

// The whole record of defaults: the numbers above, serial number "001", report
// "599" and the four example texts.
const Settings &defaults();

} // namespace settings
