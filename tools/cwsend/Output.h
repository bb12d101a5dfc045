#pragma once
// telvok-cw-send's file output: the transmission rendered into a sound file.

#include "engine/BandConditions.h"
#include "settings/Settings.h"

#include <QString>

namespace cwsend {

// Renders text into the file at path, in the format its extension names: a regular
// file is replaced only when the whole sound is written; a device or FIFO gets it
// in place. Returns the exit status (a failure or an interruption leaves no partial
// regular file).
int renderToFile(Settings &settings, const QString &text, const QString &path,
                 const band::Conditions &conditions = {});

} // namespace cwsend
