#pragma once
// Renders a text into a sound file exactly as the send button plays it: the engine
// on a simulated device, half by half, encoded as it plays, into a file that
// replaces the target only when it is complete.

#include "engine/BandConditions.h"
#include "engine/FileResult.h"
#include "engine/SoundFile.h"
#include "settings/Settings.h"

#include <QString>

#include <functional>

class QIODevice;

namespace soundexport {

// The samples the rendering of text holds: every half the engine fills with sound,
// up to the first that holds nothing but the end marker. Runs only the symbol source.
qint64 renderedSamples(const Settings &settings, const QString &text);

// Called after every half with the samples written so far and the total, and
// while a FIFO waits for its reader (0 of 0); false cancels. Runs on the
// thread that called exportText.
using KeepGoing = std::function<bool(qint64 samplesDone, qint64 samplesTotal)>;

// Renders text into an open, empty device (seekable: see SoundFileWriter). Anything
// but Done leaves a partial stream on the device.
// Band conditions, when active, are laid over the clean sound as it plays.
FileResult renderInto(const Settings &settings, const QString &text, QIODevice &device, bool seekable,
                      SoundFileFormat format, const KeepGoing &keepGoing = {},
                      const band::Conditions &conditions = {});

// Sends text (upper case, as the send button hands it over) with settings' speed,
// spacing, tone and volume into path in format: the one export sequence of the
// window and telvok-cw-send. Anything but Done leaves no file of its own behind
// and whatever was at path untouched (a device or FIFO may have part of it).
FileResult exportText(const Settings &settings, const QString &text, const QString &path,
                      SoundFileFormat format, const KeepGoing &keepGoing = {},
                      const band::Conditions &conditions = {});

} // namespace soundexport
