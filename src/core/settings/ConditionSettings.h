#pragma once
// Section "Forhold" of the settings store: the band conditions of the receiving practice.

#include "engine/BandConditions.h"
#include "settings/SettingsStore.h"

namespace settings {

// The stored conditions; a missing or unusable value gets its default (inactive,
// +10 dB, 500 Hz, no fading, stations or static).
band::Conditions loadConditions(Store &store);

// Writes the whole section. False: the store could not be written.
bool saveConditions(Store &store, const band::Conditions &conditions);

} // namespace settings
