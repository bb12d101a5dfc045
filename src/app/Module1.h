#pragma once
// Start-up: Qt's Danish translations, then the one main window for the whole run.

#include "settings/SettingsStore.h"

#include <memory>

class SoundDevice;

class Module1 {
public:
    // Creates and shows the main window with the given sound device, runs the
    // event loop until the window has closed and returns the exit code.
    static int Main(std::unique_ptr<SoundDevice> device,
                    settings::StoreOpener openStore = settings::openUserStore);

    // Installs qtbase_da from Qt's translation directory, so Qt's own dialogs and
    // buttons speak Danish. False when the file is missing (Qt then speaks English).
    static bool loadQtTranslations();
};
