#pragma once
// The main window's own keys in the settings store (section "Settings"): its
// geometry, the hide option and the text box font.

#include "settings/Settings.h"

#include <QString>

namespace settings {
class Store;
}

struct WindowSettings {
    float MainLeft = 1000;      // outer frame, twips
    float MainTop = 1000;
    float MainWidth = 6500;
    float MainHeight = 6500;
    bool Skjul = false;
    QString FontName = QStringLiteral("Fixedsys");
    bool FontBold = false;
    bool FontItalic = false;
    float FontSize = 9;         // points

    bool operator==(const WindowSettings &) const = default;
};

namespace settings {

// Section "Settings": a malformed value gets its key's default.
WindowSettings loadWindowSettings(Store &store);
// Writes the geometry only when withGeometry (not while minimised), then always
// the hide option and the font; of these, the keys this run changed. False: the
// store could not be written.
bool saveWindowSettings(Store &store, const WindowSettings &window, bool withGeometry);

// Saves section "CW" (the settings dialog's OK).
bool saveSendingSettings(Store &store, const Settings &record);

} // namespace settings
