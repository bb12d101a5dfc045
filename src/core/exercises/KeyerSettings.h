#pragma once
// The sending practice's own settings section: the keyer mode and the swapped levers.

#include "exercises/Keyer.h"
#include "settings/SettingsStore.h"

namespace keying {

struct KeyerChoice {
    KeyerMode mode = KeyerMode::IambicB;
    bool swapped = false;
};

inline const QString kKeyerSection = QStringLiteral("Sendetraening");

// Missing or unusable values give the defaults (Iambisk B, levers as they are).
KeyerChoice readKeyerChoice(settings::Store &store);
// Writes both values and syncs; false: the store could not be written.
bool saveKeyerChoice(settings::Store &store, const KeyerChoice &choice);

} // namespace keying
