#pragma once
// The main window as the window tests start it: a simulated sound device and a
// settings store at a path of the test's choosing, loaded and shown.

#include "engine/sound_device/SimulatedSoundDevice.h"
#include "settings/SettingsStore.h"
#include "main/frmMain.h"

#include <QTemporaryDir>

#include <memory>

inline std::unique_ptr<frmMain> startMainWindow(const QString &storePath, bool load = true)
{
    auto w = std::make_unique<frmMain>(std::make_unique<SimulatedSoundDevice>(),
                                       [storePath] { return settings::openStoreAt(storePath); });
    if (load)
        w->Form_Load();
    return w;
}

// The simulated device the window sends on.
inline SimulatedSoundDevice &deviceOf(frmMain &w)
{
    return *static_cast<SimulatedSoundDevice *>(w.morse().device());
}

// A main window started on a store in a temporary folder of its own, which the test
// fills with its files.
struct TestMainWindow {
    QTemporaryDir dir;
    std::unique_ptr<frmMain> window = startMainWindow(dir.filePath(QStringLiteral("store.ini")));
};
