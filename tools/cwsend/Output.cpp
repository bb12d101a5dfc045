#include "Output.h"

#include "Tool.h"

#include "engine/SoundExport.h"
#include "engine/SoundFile.h"

namespace cwsend {

int renderToFile(Settings &settings, const QString &text, const QString &path,
                 const band::Conditions &conditions)
{
    // From here a signal stops the export (which removes its temporary file), also
    // while a FIFO waits for its reader.
    g_exitAtOnce = 0;
    const FileResult result = soundexport::exportText(settings, text, path, soundfile::formatForName(path),
                                                      [](qint64, qint64) { return !g_signal; },
                                                      conditions);
    if (g_signal)
        return kExitSignalBase + g_signal;
    if (!result.ok())
        return fail(writeProblem(result, path));
    return kExitOk;
}

} // namespace cwsend
