#include "Options.h"

#include "Tool.h"

#include "program/ProgramInfo.h"
#include "engine/constants.h"

#include <QCommandLineParser>
#include <QTranslator>

#include <limits>

namespace cwsend {
namespace {

// Highest tone in hertz: half the sample rate and above alias to a lower tone.
constexpr int kMaxTone = morse::kSampleRate / 2 - 1;

// The parser's own messages in Danish, worded as the tool's other messages.
class ParserMessages : public QTranslator {
public:
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QCommandLineParser") != 0)
            return QString();
        if (qstrcmp(sourceText, "Missing value after '%1'.") == 0)
            return CwSend::tr("tilvalget %1 mangler en værdi.");
        if (qstrcmp(sourceText, "Unexpected value after '%1'.") == 0)
            return CwSend::tr("tilvalget %1 tager ingen værdi.");
        return QString();
    }
    bool isEmpty() const override { return false; }
};

struct NumberOption {
    QCommandLineOption option;
    int min;
    int max;
    std::optional<int> Options::*field;
};

bool takesValue(const QString &name)
{
    static const QStringList names = {QStringLiteral("o"), QStringLiteral("output"),
                                      QStringLiteral("wpm"), QStringLiteral("farnsworth"),
                                      QStringLiteral("tone"), QStringLiteral("volume")};
    return names.contains(name);
}

// The argument, as the user wrote it, in which the parser met the unknown option
// name: "-wpm", not the "w" the parser reports.
QString givenOption(const QStringList &arguments, const QString &unknown)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == u"--")
            break;
        if (arg.startsWith(u"--")) {
            const QString name = arg.mid(2).section(u'=', 0, 0);
            if (name == unknown)
                return QStringLiteral("--") + name;
            if (takesValue(name) && !arg.contains(u'='))
                ++i;
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            for (qsizetype c = 1; c < arg.size(); ++c) {
                const QString name(arg[c]);
                if (name == unknown)
                    return arg;
                if (takesValue(name)) {
                    if (c + 1 == arg.size())
                        ++i;
                    break;
                }
            }
        }
    }
    return unknown.size() == 1 ? QStringLiteral("-") + unknown : QStringLiteral("--") + unknown;
}

// "-o" or "--output", as it was last given.
QString givenOutputName(const QStringList &arguments)
{
    QString name = QStringLiteral("-o");
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != u"--"; ++i) {
        if (arguments[i].startsWith(u"--output"))
            name = QStringLiteral("--output");
        else if (arguments[i].startsWith(u"-o"))
            name = QStringLiteral("-o");
    }
    return name;
}

} // namespace

std::optional<Options> parseArguments(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("FIL"));
    const NumberOption numbers[] = {
        {QCommandLineOption(QStringLiteral("wpm"), QString(), QStringLiteral("N")), morse::kMinWpm,
         morse::kMaxWpm, &Options::wpm},
        {QCommandLineOption(QStringLiteral("farnsworth"), QString(), QStringLiteral("F")),
         std::numeric_limits<qint16>::min(), morse::kMaxFarnsworth, &Options::farnsworth},
        {QCommandLineOption(QStringLiteral("tone"), QString(), QStringLiteral("HZ")), 1, kMaxTone,
         &Options::tone},
        {QCommandLineOption(QStringLiteral("volume"), QString(), QStringLiteral("A")), 0,
         morse::kMaxVolume, &Options::volume},
    };
    parser.addOptions({help, version, output});
    for (const NumberOption &n : numbers)
        parser.addOption(n.option);
    parser.addOptions(conditionOptions());

    ParserMessages danish;
    QCoreApplication::installTranslator(&danish);
    const bool parsed = parser.parse(arguments);
    QCoreApplication::removeTranslator(&danish);
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        *error = unknown.isEmpty()
                     ? parser.errorText()
                     : CwSend::tr("ukendt tilvalg: %1").arg(givenOption(arguments, unknown.first()));
        return std::nullopt;
    }

    Options options;
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
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
    if (parser.isSet(output)) {
        options.output = parser.values(output).constLast();
        if (options.output->isEmpty()) {
            *error = CwSend::tr("tilvalget %1 mangler et filnavn.").arg(givenOutputName(arguments));
            return std::nullopt;
        }
    }
    for (const NumberOption &number : numbers) {
        if (!parser.isSet(number.option))
            continue;
        const QString name = QStringLiteral("--") + number.option.names().constFirst();
        const QString value = parser.values(number.option).constLast();
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
               "Windows-1252 og sendes, som den står, linjeskift med; små bogstaver\n"
               "sendes som store. Der kan højst sendes %8 MB tekst.\n"
               "\n"
               "Tilvalg (alle værdier er hele tal):\n"
               "  --wpm N             hastighed i ord pr. minut, %2 til %3\n"
               "  --farnsworth F      ekstra priklængder efter hvert tegn, %4 til %5\n"
               "  --tone HZ           tonens frekvens i hertz, 1 til %9\n"
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
