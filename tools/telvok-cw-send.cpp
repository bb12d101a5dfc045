// telvok-cw-send: sends a text file (or standard input) as Morse through the sound
// card, or renders it into a sound file (WAV, FLAC, Ogg Vorbis or MP3), along the same engine path as the main
// window's send button: StartSending, a fill at every notification, natural end.
//
// Exit status: 0 sent, 2 any failure (bad option or value, unreadable input,
// unwritable output, no sound device), 128 + signal number when interrupted
// (130 for Ctrl+C). A failure or an interruption never leaves a partial sound file.

#include "app/ProgramInfo.h"
#include "engine/Cp1252.h"
#include "engine/Morse.h"
#include "engine/SoundExport.h"
#include "engine/constants.h"
#include "engine/sound_device/QtSoundDevice.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

class CwSend {
    Q_DECLARE_TR_FUNCTIONS(CwSend)
};

constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;
constexpr int kExitSignalBase = 128;        // interrupted: 128 + signal number
constexpr int kSignalPollMs = 20;           // how often the event loop looks for Ctrl+C

const QString kToolName = QStringLiteral("telvok-cw-send");

// Set by the signal handler, read by the render loop and the poll timer.
volatile std::sig_atomic_t g_signal = 0;
// True while nothing needs cleaning up (before a temporary file or a sound buffer
// exists): a signal then ends the process at once, also inside a blocking read.
volatile std::sig_atomic_t g_exitAtOnce = 1;

void onSignal(int signalNumber)
{
    // A second signal while the first is being handled ends the process at once.
    if (g_exitAtOnce || g_signal)
        std::_Exit(kExitSignalBase + signalNumber);
    g_signal = signalNumber;
    std::signal(signalNumber, onSignal);   // some platforms reset the handler
}

void printTo(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The tool reports every failure in its own words; the sound libraries' own
// warnings ("pa_context_connect() failed") would only repeat them in English.
// Setting QT_LOGGING_RULES brings them back for diagnosis.
void dropLibraryChatter(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        printTo(stderr, message + u'\n');
}

int fail(const QString &message)
{
    printTo(stderr, kToolName + QStringLiteral(": ") + message + u'\n');
    return kExitFailure;
}

QString helpText()
{
    return CwSend::tr(
               "Brug: %1 [tilvalg] [fil|-]\n"
               "\n"
               "Sender teksten i filen som morse gennem lydkortet, eller teksten fra\n"
               "standardinput, når ingen fil eller \"-\" er angivet. Filen læses som\n"
               "Windows-1252 og sendes, som den står, linjeskift med; små bogstaver\n"
               "sendes som store.\n"
               "\n"
               "Tilvalg (alle værdier er hele tal):\n"
               "  --wpm N             hastighed i ord pr. minut, %2 til %3\n"
               "  --farnsworth F      ekstra priklængder efter hvert tegn, %4 til %5\n"
               "  --tone HZ           tonens frekvens i hertz, 1 til 32767\n"
               "  --volume A          tonens højeste udslag i sampleenheder, 0 til %6\n"
               "  -o, --output FIL    skriv lyden i en fil i stedet for at spille den;\n"
               "                      filnavnets endelse vælger formatet: .mp3 (MP3),\n"
               "                      .ogg (Ogg Vorbis), .flac (FLAC), ellers WAV\n"
               "                      (PCM, mono, 44100 Hz, 16 bit)\n"
               "  -h, --help          vis denne hjælp\n"
               "  --version           vis versionen\n"
               "\n"
               "Værdier, der ikke er angivet, hentes fra indstillingerne i %7.\n"
               "\n"
               "Afslutningskoder: 0 sendt; 2 fejl (ukendt tilvalg, forkert værdi, filen\n"
               "kan ikke læses eller skrives, intet lydkort); 130 afbrudt med Ctrl+C.\n")
        .arg(kToolName)
        .arg(morse::kMinWpm)
        .arg(morse::kMaxWpm)
        .arg(std::numeric_limits<qint16>::min())
        .arg(morse::kMaxFarnsworth)
        .arg(morse::kMaxVolume)
        .arg(program::title());
}

QString seeHelp()
{
    return CwSend::tr("Skriv \"%1 --help\" for at se tilvalgene.").arg(kToolName);
}

// --- Command line -----------------------------------------------------------------

struct Options {
    std::optional<int> wpm;
    std::optional<int> farnsworth;
    std::optional<int> tone;
    std::optional<int> volume;
    std::optional<QString> output;
    QString input;              // empty or "-": standard input
    bool help = false;
    bool version = false;
};

// The numeric options and the values the settings store accepts for them.
struct NumberOption {
    QLatin1StringView name;
    int min;
    int max;
    std::optional<int> Options::*field;
};

const NumberOption kNumberOptions[] = {
    {QLatin1StringView("--wpm"), morse::kMinWpm, morse::kMaxWpm, &Options::wpm},
    {QLatin1StringView("--farnsworth"), std::numeric_limits<qint16>::min(), morse::kMaxFarnsworth,
     &Options::farnsworth},
    {QLatin1StringView("--tone"), 1, std::numeric_limits<qint16>::max(), &Options::tone},
    {QLatin1StringView("--volume"), 0, morse::kMaxVolume, &Options::volume},
};

// Parses the arguments after the program name. An error message replaces the options.
std::optional<Options> parseArguments(const QStringList &args, QString *error)
{
    Options options;
    bool onlyFiles = false;
    bool haveInput = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool isOption = !onlyFiles && arg.startsWith(u'-') && arg != u"-";
        if (!isOption) {
            if (haveInput) {
                *error = CwSend::tr("der kan kun angives én fil (\"%1\" og \"%2\").")
                             .arg(options.input, arg);
                return std::nullopt;
            }
            options.input = arg;
            haveInput = true;
            continue;
        }
        if (arg == u"--") {
            onlyFiles = true;
            continue;
        }

        // "--name=value", "--name value", "-oFIL" and "-o FIL".
        QString name = arg;
        std::optional<QString> attached;
        if (arg.startsWith(u"--")) {
            const qsizetype eq = arg.indexOf(u'=');
            if (eq > 0) {
                name = arg.left(eq);
                attached = arg.mid(eq + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.left(2);
            attached = arg.mid(2);
        }
        const auto takeValue = [&]() -> std::optional<QString> {
            if (attached)
                return attached;
            if (i + 1 < args.size())
                return args[++i];
            *error = CwSend::tr("tilvalget %1 mangler en værdi.").arg(name);
            return std::nullopt;
        };

        if (name == u"-h" || name == u"--help" || name == u"--version") {
            if (attached) {
                *error = CwSend::tr("tilvalget %1 tager ingen værdi.").arg(name);
                return std::nullopt;
            }
            (name == u"--version" ? options.version : options.help) = true;
            continue;
        }
        if (name == u"-o" || name == u"--output") {
            const std::optional<QString> value = takeValue();
            if (!value)
                return std::nullopt;
            if (value->isEmpty()) {
                *error = CwSend::tr("tilvalget %1 mangler et filnavn.").arg(name);
                return std::nullopt;
            }
            options.output = *value;
            continue;
        }
        const NumberOption *number = nullptr;
        for (const NumberOption &candidate : kNumberOptions) {
            if (name == candidate.name)
                number = &candidate;
        }
        if (!number) {
            *error = CwSend::tr("ukendt tilvalg: %1").arg(name);
            return std::nullopt;
        }
        const std::optional<QString> value = takeValue();
        if (!value)
            return std::nullopt;
        bool ok = false;
        const qlonglong n = value->toLongLong(&ok, 10);
        if (!ok) {
            *error = CwSend::tr("værdien \"%1\" til %2 er ikke et helt tal.").arg(*value, name);
            return std::nullopt;
        }
        if (n < number->min || n > number->max) {
            *error = CwSend::tr("%1 skal være mellem %2 og %3, ikke %4.")
                         .arg(name)
                         .arg(number->min)
                         .arg(number->max)
                         .arg(n);
            return std::nullopt;
        }
        options.*(number->field) = int(n);
    }
    return options;
}

// --- Input ------------------------------------------------------------------------

std::optional<QByteArray> readInput(const QString &path, QString *error)
{
    QFile file;
    const bool fromStdin = path.isEmpty() || path == u"-";
    if (fromStdin) {
#ifdef Q_OS_WIN
        // Every CR and LF is sent: standard input must not translate line ends.
        _setmode(_fileno(stdin), _O_BINARY);
#endif
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            *error = CwSend::tr("kan ikke læse standardinput.");
            return std::nullopt;
        }
    } else {
        const QFileInfo info(path);
        if (!info.exists()) {
            *error = CwSend::tr("filen \"%1\" findes ikke.").arg(path);
            return std::nullopt;
        }
        if (info.isDir()) {
            *error = CwSend::tr("\"%1\" er en mappe, ikke en fil.").arg(path);
            return std::nullopt;
        }
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.error() == QFileDevice::PermissionsError
                         ? CwSend::tr("adgang til \"%1\" nægtet.").arg(path)
                         : CwSend::tr("kan ikke åbne \"%1\".").arg(path);
            return std::nullopt;
        }
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = fromStdin ? CwSend::tr("fejl under læsning af standardinput.")
                           : CwSend::tr("fejl under læsning af \"%1\".").arg(path);
        return std::nullopt;
    }
    return bytes;
}

// --- Sending ----------------------------------------------------------------------

QString exportProblem(soundexport::Result result, const QString &path)
{
    using soundexport::Result;
    switch (result) {
    case Result::FolderMissing:
        return CwSend::tr("kan ikke skrive \"%1\": mappen findes ikke.").arg(path);
    case Result::IsFolder:
        return CwSend::tr("kan ikke skrive \"%1\": det er en mappe.").arg(path);
    case Result::AccessDenied:
        return CwSend::tr("kan ikke skrive \"%1\": adgang nægtet.").arg(path);
    case Result::TooLong:
        return CwSend::tr("lyden er for lang til en WAV-fil (over 4 GB).");
    case Result::Unsupported:
        return CwSend::tr("kan ikke skrive \"%1\": lydformatet understøttes ikke.").arg(path);
    case Result::NotRendered:
        return CwSend::tr("afsendelsen sluttede ikke.");
    case Result::DiskFull:
    case Result::WriteFailed:
    case Result::Cancelled:
    case Result::Done:
        break;
    }
    return CwSend::tr("kan ikke skrive \"%1\" (er disken fuld?).").arg(path);
}

// Renders the transmission into path, in the format its extension names, along the
// engine path the send button plays. A signal stops it and leaves no file.
int renderFile(Settings &settings, const QString &text, const QString &path)
{
    g_exitAtOnce = 0;   // from here on a temporary file may exist until commit or cancel
    const soundexport::Result result = soundexport::exportText(
        settings, text, path, soundfile::formatForName(path), [](qint64, qint64) { return !g_signal; });
    if (g_signal)
        return kExitSignalBase + g_signal;
    return result == soundexport::Result::Done ? kExitOk : fail(exportProblem(result, path));
}

int playOnDevice(Settings &settings, const QString &text)
{
    Morse morse(settings, std::make_unique<QtSoundDevice>());
    if (!morse.LavLyd()) {
        const QString reason = morse.errorString();
        return fail(CwSend::tr("Lydkort findes ikke.") + (reason.isEmpty() ? QString() : u' ' + reason)
                    + u' ' + CwSend::tr("Brug -o for at skrive lyden i en WAV-fil."));
    }
    g_exitAtOnce = 0;

    int status = kExitOk;
    morse.transmissionEnded = [] { QCoreApplication::exit(kExitOk); };
    morse.deviceFailed = [&status, &morse] {
        status = fail(CwSend::tr("lydkortet holdt op med at virke under afsendelsen: %1")
                          .arg(morse.errorString()));
        QCoreApplication::exit(status);
    };
    QTimer poll;
    poll.setInterval(kSignalPollMs);
    QObject::connect(&poll, &QTimer::timeout, [&morse] {
        if (!g_signal)
            return;
        morse.StopSending();
        QCoreApplication::exit(kExitSignalBase + g_signal);
    });
    poll.start();
    morse.gsCWTekst = text;
    QTimer::singleShot(0, [&morse] {
        if (!morse.StartSending())
            QCoreApplication::exit(fail(CwSend::tr("Lydkort findes ikke.")));
    });
    const int result = QCoreApplication::exec();
    return status != kExitOk ? status : result;
}

int run(int argc, char *argv[])
{
    // First of all, so that Ctrl+C is never met by the default action after the
    // sound or a temporary file exists.
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        qInstallMessageHandler(dropLibraryChatter);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(program::title());

    QString error;
    const std::optional<Options> options = parseArguments(app.arguments().mid(1), &error);
    if (!options)
        return fail(error + u'\n' + seeHelp());
    if (options->help) {
        printTo(stdout, helpText());
        return kExitOk;
    }
    if (options->version) {
        printTo(stdout, kToolName + u' ' + program::versionText() + u'\n');
        return kExitOk;
    }

    const std::optional<QByteArray> bytes = readInput(options->input, &error);
    if (!bytes)
        return fail(error);

    Settings settings;
    settings::HentIndstillinger(*settings::openUserStore(), settings);
    if (options->wpm)
        settings.giWPM = qint16(*options->wpm);
    if (options->farnsworth)
        settings.giFarnsworth = qint16(*options->farnsworth);
    if (options->tone)
        settings.giTone = qint16(*options->tone);
    if (options->volume)
        settings.glVolume = *options->volume;

    // As the send button: upper case, one space appended.
    const QString text = cp1252::upper(cp1252::decode(*bytes)) + u' ';
    if (options->output)
        return renderFile(settings, text, *options->output);
    return playOnDevice(settings, text);
}

} // namespace

int main(int argc, char *argv[])
{
    return QtSoundDevice::finishProcess(run(argc, argv));
}
