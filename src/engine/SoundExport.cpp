#include "engine/SoundExport.h"

#include "engine/Morse.h"
#include "engine/constants.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <memory>

namespace soundexport {

namespace {

// The file being written: a temporary beside the target that replaces it at commit.
struct Target {
    explicit Target(const QString &path) : file(path) {}
    QIODevice &device() { return file; }
    bool isSequential() const { return false; }
    bool commit() { return file.commit(); }
    void cancel()
    {
        file.cancelWriting();
        file.commit();   // with writing cancelled this only removes the temporary file
    }
    Result error() const
    {
        switch (file.error()) {
        case QFileDevice::PermissionsError:
            return Result::AccessDenied;
        case QFileDevice::ResourceError:
            return Result::DiskFull;
        default:
            return Result::WriteFailed;
        }
    }
    QSaveFile file;
};

// The one place that decides how a named target is opened for writing.
std::unique_ptr<Target> openTarget(const QString &path, Result *failure)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *failure = Result::IsFolder;
        return nullptr;
    }
    if (!info.absoluteDir().exists()) {
        *failure = Result::FolderMissing;
        return nullptr;
    }
    auto target = std::make_unique<Target>(path);
    if (!target->file.open(QIODevice::WriteOnly)) {
        *failure = target->error();
        return nullptr;
    }
    return target;
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
                  SoundFileFormat format, const KeepGoing &keepGoing)
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
                  SoundFileFormat format, const KeepGoing &keepGoing)
{
    // An over-long WAV is refused before anything is written.
    if (format == SoundFileFormat::Wav
        && renderedSamples(settings, text) * morse::kBytesPerSample > soundfile::kMaxWavDataBytes)
        return Result::TooLong;

    Result result = Result::WriteFailed;
    const std::unique_ptr<Target> target = openTarget(path, &result);
    if (!target)
        return result;
    result = renderInto(settings, text, target->device(), !target->isSequential(), format, keepGoing);
    if (result == Result::WriteFailed)
        result = target->error();
    if (result != Result::Done) {
        target->cancel();
        return result;
    }
    return target->commit() ? Result::Done : target->error();
}

} // namespace soundexport
