#include "engine/SoundExport.h"

#include "engine/FileTarget.h"
#include "engine/Morse.h"
#include "engine/constants.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <algorithm>
#include <memory>

namespace soundexport {

qint64 renderedSamples(const Settings &settings, const QString &text)
{
    Settings own = settings;
    Morse counter(own, nullptr);
    counter.setText(text);
    qint64 symbols = 0;
    char sym = 0;
    for (counter.HentSymbol(sym); sym != morse::kSymEnd; counter.HentSymbol(sym))
        ++symbols;
    // A half holds sound when any symbol before the end marker reaches into it; even
    // a text without any plays its first half.
    const qint64 sound = symbols * Morse::dotLength(own.giWPM);
    const qint64 halves = std::max<qint64>(1, (sound + morse::kHalfSamples - 1) / morse::kHalfSamples);
    return halves * morse::kHalfSamples;
}

FileResult renderInto(const Settings &settings, const QString &text, QIODevice &device, bool seekable,
                      SoundFileFormat format, const KeepGoing &keepGoing,
                      const band::Conditions &conditions)
{
    // Morse reads the record while it plays; this copy is the rendering's own.
    Settings own = settings;
    SoundFileWriter writer(device, seekable, format);
    const FileResult notRendered = FileResult::failure(FileResult::Kind::NotRendered);
    const qint64 total = renderedSamples(own, text);
    if (!writer.open(total))
        return writer.result();

    auto *simulated = new SimulatedSoundDevice;
    Morse morse(own, std::unique_ptr<SoundDevice>(simulated));
    if (!morse.LavLyd())
        return notRendered;
    band::BandConditions band;
    if (conditions.active) {
        band.prepare(conditions, own.giTone, own.glVolume);
        morse.setConditions(&band);
    }
    bool ended = false;
    morse.transmissionEnded = [&ended] { ended = true; };
    morse.setText(text);
    morse.StartSending();
    while (simulated->isPlaying()) {
        // One half per step: the 44100-byte chunk is reused from the heap, where
        // larger ones would be fresh pages (measured slower).
        simulated->advance(morse::kHalfSamples);
        if (!writer.write(simulated->played()))
            return writer.result();
        simulated->clearPlayed();
        if (keepGoing && !keepGoing(writer.samplesWritten(), total))
            return FileResult::failure(FileResult::Kind::Cancelled);
    }
    if (!ended)
        return notRendered;
    writer.finish();
    return writer.result();
}

FileResult exportText(const Settings &settings, const QString &text, const QString &path,
                      SoundFileFormat format, const KeepGoing &keepGoing,
                      const band::Conditions &conditions)
{
    // An over-long WAV is refused before anything is written.
    if (format == SoundFileFormat::Wav
        && renderedSamples(settings, text) * morse::kBytesPerSample > soundfile::kMaxWavDataBytes)
        return FileResult::failure(FileResult::Kind::TooLong);

    // A regular file is written beside the target and replaces it only when complete;
    // a device or FIFO is written in place, a FIFO once a reader came.
    FileTarget target;
    FileTarget::KeepWaiting waiting;
    if (keepGoing)
        waiting = [&keepGoing] { return keepGoing(0, 0); };
    if (!target.open(path, waiting))
        return target.result();
    const FileResult result = renderInto(settings, text, *target.device(), !target.isSequential(),
                                         format, keepGoing, conditions);
    if (!result.ok()) {
        target.cancel();
        return result;
    }
    target.commit();
    return target.result();
}

} // namespace soundexport
