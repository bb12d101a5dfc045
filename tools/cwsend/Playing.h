#pragma once
// telvok-cw-send's playing: the transmission through the sound card.

#include "engine/BandConditions.h"
#include "settings/Settings.h"

#include <QString>

namespace cwsend {

// Plays text until it ends, the device fails or a signal comes; returns the
// exit status. Needs the running QCoreApplication.
int playOnDevice(Settings &settings, const QString &text, const band::Conditions &conditions = {});

} // namespace cwsend
