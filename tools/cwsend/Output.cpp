#include "Output.h"

#include "Tool.h"

#include "engine/FileTarget.h"
#include "engine/SoundExport.h"
#include "engine/SoundFile.h"
#include "engine/constants.h"

#include <filesystem>

namespace cwsend {
namespace {

QString renderProblem(soundexport::Result result, const FileTarget &target, const QString &path)
{
    using soundexport::Result;
    switch (result) {
    case Result::TooLong:
        return CwSend::tr("lyden er for lang til en WAV-fil (over 4 GB).");
    case Result::Unsupported:
        return CwSend::tr("kan ikke skrive \"%1\": lydformatet understøttes ikke.").arg(path);
    case Result::NotRendered:
        return CwSend::tr("afsendelsen sluttede ikke.");
    default:
        break;
    }
    return CwSend::tr("kan ikke skrive \"%1\": %2.")
        .arg(path, fileProblem(target.error(), target.systemReason()));
}

} // namespace

int renderToFile(Settings &settings, const QString &text, const QString &path,
                 const band::Conditions &conditions)
{
    const SoundFileFormat format = soundfile::formatForName(path);
    // An over-long WAV is refused before anything is written.
    if (format == SoundFileFormat::Wav
        && soundexport::renderedSamples(settings, text) * morse::kBytesPerSample
               > soundfile::kMaxWavDataBytes)
        return fail(CwSend::tr("lyden er for lang til en WAV-fil (over 4 GB)."));

    FileTarget target;
    // A FIFO's open waits for a reader: until it returns, Ctrl+C ends at once. For
    // anything else the temporary file exists from the open on.
    std::error_code ec;
    const bool fifo = std::filesystem::is_fifo(std::filesystem::path(path.toStdU16String()), ec);
    if (!fifo)
        g_exitAtOnce = 0;
    if (!target.open(path))
        return fail(CwSend::tr("kan ikke skrive \"%1\": %2.")
                        .arg(path, fileProblem(target.error(), target.systemReason())));
    g_exitAtOnce = 0;

    const soundexport::Result result = soundexport::renderInto(
        settings, text, *target.device(), !target.isSequential(), format,
        [](qint64, qint64) { return !g_signal; }, conditions);
    if (g_signal)
        return kExitSignalBase + g_signal;     // target's destructor discards the file
    if (result == soundexport::Result::WriteFailed)
        target.failFromDevice();
    if (result != soundexport::Result::Done)
        return fail(renderProblem(result, target, path));
    if (!target.commit())
        return fail(renderProblem(soundexport::Result::WriteFailed, target, path));
    return kExitOk;
}

} // namespace cwsend
