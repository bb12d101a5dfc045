#include "Options.h"

#include "Tool.h"

#include "program/ProgramInfo.h"
#include "engine/FileName.h"
#include "engine/constants.h"

#include <QCommandLineParser>
#include <QFile>

#include <limits>

namespace cwsend {
namespace {

// Highest tone in hertz: half the sample rate and above alias to a lower tone.
constexpr int kMaxTone = morse::kSampleRate / 2 - 1;
// A character is followed by 3 + F dot lengths of silence. At one dot length (F = -2)
// the gap between characters is the gap inside one, and "EE" sounds as "I": two
// dot lengths is the least that keeps characters apart.
constexpr int kMinFarnsworth = -1;

struct NumberOption {
    const char *name;
    const char *valueName;
    int min;
    int max;
    std::optional<int> Options::*field;
};

constexpr NumberOption kNumbers[] = {
    {"wpm", "N", morse::kMinWpm, morse::kMaxWpm, &Options::wpm},
    {"farnsworth", "F", kMinFarnsworth, morse::kMaxFarnsworth, &Options::farnsworth},
    {"tone", "HZ", 1, kMaxTone, &Options::tone},
    {"volume", "A", 0, morse::kMaxVolume, &Options::volume},
};

const QCommandLineOption kHelp(QStringList{QStringLiteral("h"), QStringLiteral("help")});
const QCommandLineOption kVersion(QStringLiteral("version"));
const QCommandLineOption kOutput(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                 QStringLiteral("FIL"));

QCommandLineOption numberOption(const NumberOption &number)
{
    return QCommandLineOption(QLatin1String(number.name), QString(), QLatin1String(number.valueName));
}

void addOptions(QCommandLineParser &parser)
{
    // "-wpm" is three short options, so it is refused rather than taken for "--wpm".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.addOptions({kHelp, kVersion, kOutput});
    for (const NumberOption &number : kNumbers)
        parser.addOption(numberOption(number));
    parser.addOptions(conditionOptions());
}

// Why the parser refused the command line, naming the argument as the user wrote
// it: the parser runs on ever longer beginnings of the line until it meets the
// argument it cannot take.
QString parseProblem(const QStringList &arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    for (qsizetype k = 1; k < arguments.size(); ++k) {
        if (parser.parse(arguments.first(k + 1)))
            continue;
        const QString &argument = arguments[k];
        if (!parser.unknownOptionNames().isEmpty())
            return CwSend::tr("ukendt tilvalg: %1").arg(argument);
        if (argument.contains(u'='))
            return CwSend::tr("tilvalget %1 tager ingen værdi.").arg(argument.section(u'=', 0, 0));
        // An option whose value may still follow.
        if (k + 1 == arguments.size())
            return CwSend::tr("tilvalget %1 mangler en værdi.").arg(argument);
    }
    return CwSend::tr("kommandolinjen kan ikke læses.");
}

bool lossy(const QByteArray &native)
{
    return !filename::decodesExactly(native);
}

// The system's bytes of the input's name: the argument it was decoded from. Several
// different arguments that decode to the same text leave it open which file is meant.
std::optional<QByteArray> nativeInput(const QString &input, const QList<QByteArray> &nativeArguments)
{
    QList<QByteArray> candidates;
    for (qsizetype i = 1; i < nativeArguments.size(); ++i) {
        const QByteArray &native = nativeArguments[i];
        if (lossy(native) && QFile::decodeName(native) == input && !candidates.contains(native))
            candidates.append(native);
    }
    if (candidates.size() > 1)
        return std::nullopt;
    return candidates.isEmpty() ? QFile::encodeName(input) : candidates.first();
}

// The argument the output name came from, when its bytes are not UTF-8: the name
// Qt made of it would write to another file.
std::optional<QByteArray> lossyOutput(const QString &output, const QList<QByteArray> &nativeArguments)
{
    if (!output.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    for (qsizetype i = 1; i < nativeArguments.size(); ++i) {
        const QByteArray &native = nativeArguments[i];
        const QString decoded = QFile::decodeName(native);
        if (lossy(native) && decoded.endsWith(output)) {
            // "--output=NAME" and "-oNAME": only the name.
            const qsizetype prefix = decoded.size() - output.size();
            return native.sliced(QFile::encodeName(decoded.first(prefix)).size());
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Options> parseArguments(const QStringList &arguments,
                                      const QList<QByteArray> &nativeArguments, QString *error)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) {
        *error = parseProblem(arguments);
        return std::nullopt;
    }

    Options options;
    options.help = parser.isSet(kHelp);
    options.version = parser.isSet(kVersion);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        *error = CwSend::tr("der kan kun angives én fil (\"%1\" og \"%2\").").arg(files[0], files[1]);
        return std::nullopt;
    }
    options.input = files.value(0, QStringLiteral("-"));
    if (options.input.isEmpty()) {
        *error = CwSend::tr("filnavnet er tomt; brug \"-\" for standardinput.");
        return std::nullopt;
    }
    if (!nativeArguments.isEmpty()) {
        const std::optional<QByteArray> native = nativeInput(options.input, nativeArguments);
        if (!native) {
            *error = CwSend::tr("flere filnavne, der ikke er UTF-8, læses som \"%1\"; "
                                "det er uklart, hvilken fil der menes.")
                         .arg(options.input);
            return std::nullopt;
        }
        options.nativeInput = *native;
    }
    if (parser.isSet(kOutput)) {
        options.output = parser.values(kOutput).constLast();
        if (options.output->isEmpty()) {
            *error = CwSend::tr("tilvalget %1 mangler et filnavn.")
                         .arg(arguments.contains(QStringLiteral("--output="))
                                      || arguments.contains(QStringLiteral("--output"))
                                  ? QStringLiteral("--output")
                                  : QStringLiteral("-o"));
            return std::nullopt;
        }
        if (const std::optional<QByteArray> native = lossyOutput(*options.output, nativeArguments)) {
            *error = CwSend::tr("kan ikke skrive \"%1\": navnet indeholder bytes, der ikke er UTF-8, "
                                "og ville pege på en anden fil.")
                         .arg(filename::shown(*native));
            return std::nullopt;
        }
    }
    for (const NumberOption &number : kNumbers) {
        const QCommandLineOption option = numberOption(number);
        if (!parser.isSet(option))
            continue;
        const QString name = QStringLiteral("--") + QLatin1String(number.name);
        const QString value = parser.values(option).constLast();
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok, 10);
        if (!ok) {
            *error = CwSend::tr("værdien \"%1\" til %2 er ikke et helt tal.").arg(value, name);
            return std::nullopt;
        }
        if (n < number.min || n > number.max) {
            *error = CwSend::tr("%1 skal være mellem %2 og %3, ikke %4.")
                         .arg(name)
                         .arg(number.min)
                         .arg(number.max)
                         .arg(n);
            return std::nullopt;
        }
        options.*(number.field) = int(n);
    }
    if (!readConditionOptions(parser, &options.band, error))
        return std::nullopt;
    return options;
}

QString helpText()
{
    return CwSend::tr(
               "Brug: %1 [tilvalg] [fil|-]\n"
               "\n"
               "Sender teksten i filen som morse gennem lydkortet, eller teksten fra\n"
               "standardinput, når ingen fil eller \"-\" er angivet. Filen læses som\n"
               "UTF-8, når den begynder med et byte order mark eller er gyldig UTF-8,\n"
               "ellers som Windows-1252, og sendes, som den står, linjeskift med; små\n"
               "bogstaver sendes som store. Tegn, der ikke findes i morsealfabetet,\n"
               "nævnes på standardfejl og bliver til pauser. Der kan højst sendes %8 MB\n"
               "tekst.\n"
               "\n"
               "Tilvalg (alle værdier er hele tal):\n"
               "  --wpm N             hastighed i ord pr. minut, %2 til %3\n"
               "  --farnsworth F      ekstra priklængder efter hvert tegn, %4 til %5\n"
               "  --tone HZ           tonens frekvens i hertz, 1 til %9\n"
               "  --volume A          tonens højeste udslag i sampleenheder, 0 til %6\n"
               "  -o, --output FIL    skriv lyden i en fil i stedet for at spille den;\n"
               "                      filnavnets endelse vælger formatet: .mp3 (MP3),\n"
               "                      .ogg (Ogg Vorbis), .flac (FLAC), ellers WAV\n"
               "                      (PCM, mono, 44100 Hz, 16 bit); \"-\" skriver WAV\n"
               "                      til standardoutput\n"
               "  -h, --help          vis denne hjælp\n"
               "  --version           vis versionen\n"
               "\n"
               "Værdier, der ikke er angivet, hentes fra indstillingerne i %7.\n"
               "\n"
               "Afslutningskoder: 0 sendt; 2 fejl (ukendt tilvalg, forkert værdi, filen\n"
               "kan ikke læses eller skrives, intet i teksten kan sendes, intet\n"
               "lydkort); 130 afbrudt med Ctrl+C.\n")
        .arg(kToolName)
        .arg(morse::kMinWpm)
        .arg(morse::kMaxWpm)
        .arg(kMinFarnsworth)
        .arg(morse::kMaxFarnsworth)
        .arg(morse::kMaxVolume)
        .arg(program::title())
        .arg(kMaxInputBytes >> 20)
        .arg(kMaxTone)
        + conditionHelp();
}

QString seeHelp()
{
    return CwSend::tr("Skriv \"%1 --help\" for at se tilvalgene.").arg(kToolName);
}

} // namespace cwsend
