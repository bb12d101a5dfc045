#include "ConditionOptions.h"

#include "Tool.h"

#include "engine/Keying.h"

#include <QCommandLineParser>
#include <QLocale>

#include <algorithm>

namespace cwsend {

namespace {

QCommandLineOption option(const char *name, const char *value)
{
    return QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(value));
}

QString lastValue(const QCommandLineParser &parser, const char *name)
{
    return parser.values(QString::fromLatin1(name)).constLast();
}

QString outOfRange(const char *name, const QString &value, const QString &allowed)
{
    return CwSend::tr("--%1 skal være %2, ikke \"%3\".").arg(QString::fromLatin1(name), allowed, value);
}

} // namespace

QList<QCommandLineOption> conditionOptions()
{
    return {option("snr", "DB"),  option("filter", "HZ"), option("qsb", "TYPE"), option("qrm", "N"),
            option("qrn", "TYPE"), option("seed", "N"),    option("ramp", "MS")};
}

bool readConditionOptions(const QCommandLineParser &parser, ConditionOptions *out, QString *error)
{
    band::Conditions &c = out->conditions;
    // Without --snr the noise stays far down: the other conditions are heard alone.
    c.snrDb = band::kMaxSnrDb;
    const QLocale cLocale = QLocale::c();
    bool ok = false;
    if (parser.isSet(QStringLiteral("snr"))) {
        const QString v = lastValue(parser, "snr");
        const double db = cLocale.toDouble(v, &ok);
        if (!ok || db < band::kMinSnrDb || db > band::kMaxSnrDb) {
            *error = outOfRange("snr", v, CwSend::tr("et tal fra %1 til %2 dB").arg(band::kMinSnrDb).arg(band::kMaxSnrDb));
            return false;
        }
        c.snrDb = db;
        c.active = true;
    }
    if (parser.isSet(QStringLiteral("filter"))) {
        const QString v = lastValue(parser, "filter");
        const int hz = v.toInt(&ok);
        if (!ok || std::find(band::kFilterWidths.begin(), band::kFilterWidths.end(), hz) == band::kFilterWidths.end()) {
            *error = outOfRange("filter", v, CwSend::tr("250, 500, 1000 eller 2400"));
            return false;
        }
        c.filterHz = hz;
        c.active = true;
    }
    if (parser.isSet(QStringLiteral("qsb"))) {
        const QString v = lastValue(parser, "qsb");
        const QString kind = v.section(u':', 0, 0);
        bool depthOk = true;
        if (v.contains(u':')) {
            const double depth = cLocale.toDouble(v.section(u':', 1), &depthOk);
            depthOk = depthOk && depth >= 0 && depth <= 1;
            c.qsbDepth = depth;
        }
        if (!band::parseFading(kind, &c.qsb) || c.qsb == band::Fading::None || !depthOk) {
            *error = outOfRange("qsb", v, CwSend::tr("slow, fast eller flutter, evt. med :DYBDE fra 0 til 1"));
            return false;
        }
        c.active = true;
    }
    if (parser.isSet(QStringLiteral("qrm"))) {
        const QString v = lastValue(parser, "qrm");
        const int n = v.toInt(&ok);
        if (!ok || n < 0 || n > band::kMaxQrm) {
            *error = outOfRange("qrm", v, CwSend::tr("et helt tal fra 0 til %1").arg(band::kMaxQrm));
            return false;
        }
        c.qrm = n;
        c.active = true;
    }
    if (parser.isSet(QStringLiteral("qrn"))) {
        const QString v = lastValue(parser, "qrn");
        if (!band::parseStatic(v, &c.qrn) || c.qrn == band::Static::None) {
            *error = outOfRange("qrn", v, CwSend::tr("light eller heavy"));
            return false;
        }
        c.active = true;
    }
    if (parser.isSet(QStringLiteral("seed"))) {
        const QString v = lastValue(parser, "seed");
        const qulonglong seed = v.toULongLong(&ok);
        if (!ok) {
            *error = outOfRange("seed", v, CwSend::tr("et helt tal fra 0 og op"));
            return false;
        }
        c.seed = seed;
    }
    if (parser.isSet(QStringLiteral("ramp"))) {
        const QString v = lastValue(parser, "ramp");
        const int ms = v.toInt(&ok);
        if (!ok || ms < keying::kMinRampMs || ms > keying::kMaxRampMs) {
            *error = outOfRange("ramp", v,
                                CwSend::tr("et helt tal fra %1 til %2 ms").arg(keying::kMinRampMs).arg(keying::kMaxRampMs));
            return false;
        }
        out->rampMs = ms;
    }
    return true;
}

QString conditionHelp()
{
    return CwSend::tr(
        "\n"
        "Forhold på båndet (på lydkortet og med -o):\n"
        "  --snr DB            signal/støj i 500 Hz, %1 til %2 dB\n"
        "  --filter HZ         CW-filtrets bredde: 250, 500 (standard), 1000, 2400\n"
        "  --qsb TYPE[:DYBDE]  fading: slow, fast eller flutter; dybde 0 til 1\n"
        "  --qrm N             andre stationer i filtret, 0 til %3\n"
        "  --qrn TYPE          atmosfærisk støj: light eller heavy\n"
        "  --seed N            samme tal giver samme lyd (standard 1)\n"
        "  --ramp MS           bløde flanker (hævet cosinus) på 1 til 10 ms\n"
        "--snr og dybden må have decimaler (med punktum). "
        "Uden --snr er støjen %2 dB under signalet.\n")
        .arg(band::kMinSnrDb)
        .arg(band::kMaxSnrDb)
        .arg(band::kMaxQrm);
}

} // namespace cwsend
