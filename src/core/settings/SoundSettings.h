#pragma once
// Section "Lyd" of the settings store: the shape of the key edges.

#include "settings/SettingsStore.h"

namespace settings {

// The soft-keying edge in ms from "Lyd/BlodNogling" and "Lyd/RampeMs" (1 to 10,
// default 5); 0 when soft keying is off or not stored (the 25-sample ramp).
int loadSoftRampMs(Store &store);

// The stored edge length "Lyd/RampeMs", 1 to 10 ms (default 5), on or off.
int storedRampMs(Store &store);

// Writes "Lyd/BlodNogling". False: the store could not be written.
bool saveSoftKeying(Store &store, bool on);

} // namespace settings
