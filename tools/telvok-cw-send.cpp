// telvok-cw-send: sends a text file (or standard input) as Morse through the sound
// card, or renders it into a sound file (WAV, FLAC, Ogg Vorbis or MP3), along the
// same engine path as the main window's send button: StartSending, a fill at every
// notification, natural end.
//
// The input is read as UTF-8 when it starts with a byte order mark or is valid UTF-8
// that is not plain ASCII, else as Windows-1252, as the main window opens a file.
//
// Exit status: 0 sent, 2 any failure (bad option or value, unreadable or too large
// input, nothing in it that can be sent, unwritable output, no sound device),
// 128 + signal number when interrupted (130 for Ctrl+C). A failure or an
// interruption never leaves a partial sound file.

#include "cwsend/Input.h"
#include "cwsend/Options.h"
#include "cwsend/Output.h"
#include "cwsend/Playing.h"
#include "cwsend/Tool.h"

#include "program/ProgramInfo.h"
#include "engine/SendText.h"
#include "engine/TextFile.h"
#include "settings/SettingsStore.h"
#include "settings/SoundSettings.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

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

constexpr qsizetype kMaxListed = 30;   // unsendable characters named, at most

// Which of standard input and output were closed when the tool started.
struct ClosedStreams {
    bool input = false;
    bool output = false;
};

// A closed standard stream is opened on the null device: otherwise the next file
// the process opens (one of Qt's own) would take its number and be read or written
// as standard input or output.
ClosedStreams reserveStandardStreams()
{
    ClosedStreams closed;
#ifdef Q_OS_UNIX
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
        if (fd == 0)
            closed.input = true;
        else if (fd == 1)
            closed.output = true;
    }
#endif
    return closed;
}

QList<QByteArray> nativeArguments(int argc, char *argv[])
{
    QList<QByteArray> arguments;
#ifdef Q_OS_UNIX
    for (int i = 0; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
    return arguments;
}

int printOrFail(const QString &text, const ClosedStreams &closed)
{
    if (!closed.output && printTo(stdout, text))
        return kExitOk;
    return fail(CwSend::tr("kan ikke skrive til standardoutput."));
}

// "\"#\", \"ł\", U+0007": characters in quotes, invisible ones by number.
QString listed(const QStringList &characters)
{
    QStringList shown;
    for (const QString &c : characters.first(std::min(characters.size(), kMaxListed))) {
        const QList<uint> codes = c.toUcs4();
        const bool printable = std::all_of(codes.begin(), codes.end(),
                                           [](uint code) { return QChar::isPrint(char32_t(code)); });
        shown << (printable ? u'"' + c + u'"'
                            : QStringLiteral("U+%1").arg(codes.value(0), 4, 16, QLatin1Char('0')).toUpper());
    }
    QString text = shown.join(QLatin1String(", "));
    if (characters.size() > kMaxListed)
        text += CwSend::tr(" og %1 andre").arg(characters.size() - kMaxListed);
    return text;
}

int run(int argc, char *argv[])
{
    const ClosedStreams closed = reserveStandardStreams();

    // First of all, so that Ctrl+C is never met by the default action after the
    // sound or a temporary file exists.
    installSignalHandlers();

    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        qInstallMessageHandler(dropLibraryChatter);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(program::title());

    QString error;
    const std::optional<Options> options = parseArguments(app.arguments(), nativeArguments(argc, argv), &error);
    if (!options)
        return fail(error + u'\n' + seeHelp());
    if (options->help)
        return printOrFail(helpText(), closed);
    if (options->version)
        return printOrFail(kToolName + u' ' + program::versionText() + u'\n', closed);

    const bool toStdout = options->output == QStringLiteral("-");
    if (toStdout && closed.output)
        return fail(CwSend::tr("standardoutput er lukket; lyden kan ikke skrives der."));
#ifdef Q_OS_UNIX
    if (toStdout && ::isatty(STDOUT_FILENO))
        return fail(CwSend::tr("standardoutput er en terminal; send lyden videre til en fil eller "
                               "et program, f.eks. \"-o - | paplay\"."));
#endif
    if (options->input == u"-" && closed.input)
        return fail(CwSend::tr("standardinput er lukket; der er ingen tekst at sende."));

    const std::optional<QByteArray> bytes = readInput(options->input, options->nativeInput, &error);
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

    const QString text = morse::sendText(textfile::decode(*bytes));
    const morse::SendCheck check = morse::checkSendText(text);
    if (!check.unsendable.isEmpty() && !check.anySound)
        return fail(CwSend::tr("intet i teksten kan sendes; disse tegn findes ikke i morsealfabetet: %1.")
                        .arg(listed(check.unsendable)));
    if (!check.unsendable.isEmpty())
        printTo(stderr, kToolName + QStringLiteral(": ")
                            + CwSend::tr("disse tegn findes ikke i morsealfabetet og sendes som pauser: %1.")
                                  .arg(listed(check.unsendable))
                            + u'\n');
    if (toStdout) {
#ifdef Q_OS_UNIX
        // Written in place, as a device: a WAV stream that needs no seeking back.
        return renderToFile(settings, text, QStringLiteral("/dev/stdout"));
#else
        return fail(CwSend::tr("standardoutput kan ikke bruges som lydfil på dette system."));
#endif
    }
    if (options->output)
        return renderToFile(settings, text, *options->output, options->band.conditions);
    return playOnDevice(settings, text, options->band.conditions);
}

} // namespace

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
