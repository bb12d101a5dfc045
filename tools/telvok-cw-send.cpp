// telvok-cw-send: sends a text file (or standard input) as Morse through the sound
// card, or renders it into a sound file (WAV, FLAC, Ogg Vorbis or MP3), along the
// same engine path as the main window's send button: StartSending, a fill at every
// notification, natural end.
//
// Exit status: 0 sent, 2 any failure (bad option or value, unreadable or too large
// input, unwritable output, no sound device), 128 + signal number when interrupted
// (130 for Ctrl+C). A failure or an interruption never leaves a partial sound file.

#include "cwsend/Input.h"
#include "cwsend/Options.h"
#include "cwsend/Output.h"
#include "cwsend/Playing.h"
#include "cwsend/Tool.h"

#include "program/ProgramInfo.h"
#include "engine/Cp1252.h"
#include "engine/SendText.h"
#include "settings/SettingsStore.h"
#include "settings/SoundSettings.h"

#include <QCoreApplication>

#include <optional>

namespace {

using namespace cwsend;

// The tool reports every failure in its own words; the sound libraries' own
// warnings ("pa_context_connect() failed") would only repeat them in English.
// Setting QT_LOGGING_RULES brings them back for diagnosis.
void dropLibraryChatter(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        printTo(stderr, message + u'\n');
}

int printOrFail(const QString &text)
{
    if (printTo(stdout, text))
        return kExitOk;
    return fail(CwSend::tr("kan ikke skrive til standardoutput."));
}

int run(int argc, char *argv[])
{
    // First of all, so that Ctrl+C is never met by the default action after the
    // sound or a temporary file exists.
    installSignalHandlers();

    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        qInstallMessageHandler(dropLibraryChatter);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(program::title());

    QString error;
    const std::optional<Options> options = parseArguments(app.arguments(), &error);
    if (!options)
        return fail(error + u'\n' + seeHelp());
    if (options->help)
        return printOrFail(helpText());
    if (options->version)
        return printOrFail(kToolName + u' ' + program::versionText() + u'\n');

    const std::optional<QByteArray> bytes = readInput(options->input, &error);
    if (!bytes)
        return fail(error);

    Settings settings;
    const std::unique_ptr<settings::Store> store = settings::openUserStore();
    settings::HentIndstillinger(*store, settings);
    settings.softRampMs = options->band.rampMs.value_or(settings::loadSoftRampMs(*store));
    if (options->wpm)
        settings.giWPM = qint16(*options->wpm);
    if (options->farnsworth)
        settings.giFarnsworth = qint16(*options->farnsworth);
    if (options->tone)
        settings.giTone = qint16(*options->tone);
    if (options->volume)
        settings.glVolume = *options->volume;

    const QString text = morse::sendText(cp1252::decode(*bytes));
    if (options->output)
        return renderToFile(settings, text, *options->output, options->band.conditions);
    return playOnDevice(settings, text, options->band.conditions);
}

} // namespace

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
