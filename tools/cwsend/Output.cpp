#include "Output.h"

#include "Tool.h"

#include "engine/Morse.h"
#include "engine/WavFile.h"
#include "engine/constants.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace cwsend {
namespace {

// Takes each played stretch of samples (little-endian bytes); false stops.
using SoundSink = std::function<bool(QByteArrayView pcm)>;

enum class Rendered { Done, SinkFailed, Interrupted, NotEnded, NoSound };

// True when the sound of text would not fit a WAV file; runs only the symbol source,
// so an over-long text is refused before anything is written.
bool tooLongForWav(Settings &settings, const QString &text)
{
    Morse counter(settings, nullptr);
    counter.gsCWTekst = text;
    const qint64 dotBytes = qint64(Morse::dotLength(settings.giWPM)) * morse::kBytesPerSample;
    qint64 bytes = 0;
    char sym = 0;
    do {
        counter.HentSymbol(sym);
        bytes += dotBytes;
        if (bytes > WavFile::kMaxDataBytes)
            return true;
    } while (sym != morse::kSymEnd);
    return false;
}

// Plays the transmission on the simulated device, half by half, and hands the sink
// what it plays: the filled halves up to, not including, the first one holding
// only the end marker.
Rendered render(Settings &settings, const QString &text, const SoundSink &sink)
{
    auto *device = new SimulatedSoundDevice;
    Morse morse(settings, std::unique_ptr<SoundDevice>(device));
    if (!morse.LavLyd())
        return Rendered::NoSound;
    bool ended = false;
    morse.transmissionEnded = [&ended] { ended = true; };
    morse.gsCWTekst = text;
    morse.StartSending();
    while (device->isPlaying()) {
        // One half per step: the 44100-byte chunk is reused from the heap, where
        // larger ones would be fresh pages (measured slower).
        device->advance(morse::kHalfSamples);
        if (!sink(device->played()))
            return Rendered::SinkFailed;
        device->clearPlayed();
        if (g_signal)
            return Rendered::Interrupted;
    }
    if (g_signal)
        return Rendered::Interrupted;
    return ended ? Rendered::Done : Rendered::NotEnded;
}

QString wavProblem(const WavFile &wav, const QString &path)
{
    switch (wav.error()) {
    case WavFile::Error::TooLong:
        return CwSend::tr("lyden er for lang til en WAV-fil (over 4 GB).");
    case WavFile::Error::WrongSize:
        return CwSend::tr("lyden fik en anden længde end beregnet; \"%1\" er ufuldstændig.").arg(path);
    case WavFile::Error::File:
    case WavFile::Error::None:
        break;
    }
    return CwSend::tr("kan ikke skrive \"%1\": %2.")
        .arg(path, fileProblem(wav.target().error(), wav.target().systemReason()));
}

int renderFailure(Rendered result)
{
    switch (result) {
    case Rendered::Interrupted:
        return kExitSignalBase + g_signal;
    case Rendered::NoSound:
        return fail(CwSend::tr("lyden kunne ikke bygges."));
    case Rendered::NotEnded:
        return fail(CwSend::tr("afsendelsen sluttede ikke."));
    case Rendered::SinkFailed:
    case Rendered::Done:
        break;
    }
    return kExitFailure;
}

// The one place that writes a sound format: 16-bit PCM WAV.
int writeWav(Settings &settings, const QString &text, const QString &path)
{
    if (tooLongForWav(settings, text))
        return fail(CwSend::tr("lyden er for lang til en WAV-fil (over 4 GB)."));

    WavFile wav(path);
    // A FIFO's open waits for a reader: until it returns, Ctrl+C ends at once. For
    // anything else the temporary file exists from the open on.
    std::error_code ec;
    const bool fifo = std::filesystem::is_fifo(std::filesystem::path(path.toStdU16String()), ec);
    if (!fifo)
        g_exitAtOnce = 0;
    if (!wav.open())
        return fail(wavProblem(wav, path));
    g_exitAtOnce = 0;

    if (wav.isSequential()) {
        // In place the header goes first, so the size must be known before: a first
        // rendering counts it.
        qint64 dataBytes = 0;
        const Rendered counted = render(settings, text, [&dataBytes](QByteArrayView pcm) {
            dataBytes += pcm.size();
            return true;
        });
        if (counted != Rendered::Done)
            return renderFailure(counted);
        if (!wav.announce(dataBytes))
            return fail(wavProblem(wav, path));
    }
    const Rendered written = render(settings, text, [&wav](QByteArrayView pcm) { return wav.append(pcm); });
    if (written == Rendered::SinkFailed)
        return fail(wavProblem(wav, path));
    if (written != Rendered::Done)
        return renderFailure(written);    // wav's destructor discards the file
    if (!wav.commit())
        return fail(wavProblem(wav, path));
    return kExitOk;
}

} // namespace

int renderToFile(Settings &settings, const QString &text, const QString &path)
{
    return writeWav(settings, text, path);
}

} // namespace cwsend
