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

Result writerFailure(const SoundFileWriter &writer, const Target &target)
{
    switch (writer.error()) {
    case SoundFileWriter::Error::TooLong:
        return Result::TooLong;
    case SoundFileWriter::Error::Unsupported:
        return Result::Unsupported;
    case SoundFileWriter::Error::WriteFailed:
    case SoundFileWriter::Error::None:
        break;
    }
    return target.error();
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

Result exportText(const Settings &settings, const QString &text, const QString &path,
                  SoundFileFormat format, const KeepGoing &keepGoing)
{
    // Morse reads the record while it plays; this copy is the export's own.
    Settings own = settings;
    const qint64 total = renderedSamples(own, text);
    if (format == SoundFileFormat::Wav && total * morse::kBytesPerSample > soundfile::kMaxWavDataBytes)
        return Result::TooLong;

    Result failure = Result::WriteFailed;
    const std::unique_ptr<Target> target = openTarget(path, &failure);
    if (!target)
        return failure;
    const auto fail = [&target](Result result) {
        target->cancel();
        return result;
    };

    SoundFileWriter writer(target->device(), !target->isSequential(), format);
    if (!writer.open(total))
        return fail(writerFailure(writer, *target));

    auto *device = new SimulatedSoundDevice;
    Morse morse(own, std::unique_ptr<SoundDevice>(device));
    if (!morse.LavLyd())
        return fail(Result::NotRendered);
    bool ended = false;
    morse.transmissionEnded = [&ended] { ended = true; };
    morse.gsCWTekst = text;
    morse.StartSending();
    while (device->isPlaying()) {
        // One half per step: the 44100-byte chunk is reused from the heap, where
        // larger ones would be fresh pages (measured slower).
        device->advance(morse::kHalfSamples);
        if (!writer.write(device->played()))
            return fail(writerFailure(writer, *target));
        device->clearPlayed();
        if (keepGoing && !keepGoing(writer.samplesWritten(), total))
            return fail(Result::Cancelled);
    }
    if (!ended)
        return fail(Result::NotRendered);
    if (!writer.finish())
        return fail(writerFailure(writer, *target));
    if (!target->commit())
        return target->error();
    return Result::Done;
}

} // namespace soundexport
