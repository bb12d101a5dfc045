#pragma once
// The settings record: sending parameters and stored texts ("CW"), and the main
// window's own keys ("Settings").

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

    bool operator==(const Settings &) const = default;
};

// The main window's geometry (outer frame, twips), hide option and font.
struct WindowSettings {
    float MainLeft = 1000;
    float MainTop = 1000;
    float MainWidth = 6500;
    float MainHeight = 6500;
    bool Skjul = false;
    QString FontName = QStringLiteral("Fixedsys");
    bool FontBold = false;
    bool FontItalic = false;
    float FontSize = 9;

    bool operator==(const WindowSettings &) const = default;
};
