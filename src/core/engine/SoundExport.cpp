#include "engine/SoundExport.h"

#include "engine/FileTarget.h"
#include "engine/Morse.h"
#include "engine/constants.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <algorithm>
#include <memory>

namespace soundexport {

namespace {

// What a failed target means for an export.
Result resultFor(FileTarget::Error error)
{
    switch (error) {
    case FileTarget::Error::FolderMissing:
        return Result::FolderMissing;
    case FileTarget::Error::IsFolder:
        return Result::IsFolder;
    case FileTarget::Error::AccessDenied:
    case FileTarget::Error::ReadOnly:
        return Result::AccessDenied;
    case FileTarget::Error::NoSpace:
        return Result::DiskFull;
    default:
        return Result::WriteFailed;
    }
}

} // namespace

qint64 renderedSamples(const Settings &settings, const QString &text)
{
    Settings own = settings;
    Morse counter(own, nullptr);
    counter.gsCWTekst = text;
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

Result renderInto(const Settings &settings, const QString &text, QIODevice &device, bool seekable,
                  SoundFileFormat format, const KeepGoing &keepGoing, const band::Conditions &conditions)
{
    // Morse reads the record while it plays; this copy is the rendering's own.
    Settings own = settings;
    SoundFileWriter writer(device, seekable, format);
    const auto writerFailure = [&writer] {
        switch (writer.error()) {
        case SoundFileWriter::Error::TooLong:
            return Result::TooLong;
        case SoundFileWriter::Error::Unsupported:
            return Result::Unsupported;
        case SoundFileWriter::Error::WriteFailed:
        case SoundFileWriter::Error::None:
            break;
        }
        return Result::WriteFailed;
    };
    const qint64 total = renderedSamples(own, text);
    if (!writer.open(total))
        return writerFailure();

    auto *simulated = new SimulatedSoundDevice;
    Morse morse(own, std::unique_ptr<SoundDevice>(simulated));
    if (!morse.LavLyd())
        return Result::NotRendered;
    band::BandConditions band;
    if (conditions.active) {
        band.prepare(conditions, own.giTone, own.glVolume);
        morse.setConditions(&band);
    }
    bool ended = false;
    morse.transmissionEnded = [&ended] { ended = true; };
    morse.gsCWTekst = text;
    morse.StartSending();
    while (simulated->isPlaying()) {
        // One half per step: the 44100-byte chunk is reused from the heap, where
        // larger ones would be fresh pages (measured slower).
        simulated->advance(morse::kHalfSamples);
        if (!writer.write(simulated->played()))
            return writerFailure();
        simulated->clearPlayed();
        if (keepGoing && !keepGoing(writer.samplesWritten(), total))
            return Result::Cancelled;
    }
    if (!ended)
        return Result::NotRendered;
    return writer.finish() ? Result::Done : writerFailure();
}

Result exportText(const Settings &settings, const QString &text, const QString &path,
                  SoundFileFormat format, const KeepGoing &keepGoing, const band::Conditions &conditions)
{
    // An over-long WAV is refused before anything is written.
    if (format == SoundFileFormat::Wav
        && renderedSamples(settings, text) * morse::kBytesPerSample > soundfile::kMaxWavDataBytes)
        return Result::TooLong;

    // A regular file is written beside the target and replaces it only when complete;
    // a device or FIFO is written in place.
    FileTarget target;
    if (!target.open(path))
        return resultFor(target.error());
    const Result result = renderInto(settings, text, *target.device(), !target.isSequential(),
                                     format, keepGoing, conditions);
    if (result == Result::WriteFailed) {
        target.failFromDevice();
        return resultFor(target.error());
    }
    if (result != Result::Done) {
        target.cancel();
        return result;
    }
    return target.commit() ? Result::Done : resultFor(target.error());
}

} // namespace soundexport
