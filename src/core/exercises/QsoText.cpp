#include "exercises/QsoText.h"

#include "exercises/Callsigns.h"

#include <QStringList>

#include <span>

namespace qso {

namespace {

constexpr QStringView kDanishNames[] = {u"JENS", u"PETER", u"LARS", u"HANS", u"OLE", u"SØREN",
                                        u"NIELS", u"KARIN", u"ANNE", u"METTE", u"POUL", u"BENT",
                                        u"ERIK", u"KNUD", u"JØRGEN", u"BIRGIT", u"HENRIK", u"KIM"};
constexpr QStringView kEnglishNames[] = {u"JOHN", u"BOB", u"MIKE", u"DAVE", u"TOM", u"JIM",
                                         u"BILL", u"STEVE", u"MARY", u"SUE", u"HANS", u"KLAUS",
                                         u"JEAN", u"PIERRE", u"MARCO", u"JAN", u"PAUL", u"ALEX"};
constexpr QStringView kDanishTowns[] = {u"ODENSE", u"ÅRHUS", u"AALBORG", u"ESBJERG", u"KØGE",
                                        u"RANDERS", u"VEJLE", u"HERNING", u"HOLBÆK", u"NÆSTVED",
                                        u"SKAGEN", u"RØNNE", u"TØNDER", u"VIBORG", u"HELSINGØR"};
constexpr QStringView kForeignTowns[] = {u"HAMBURG", u"LONDON", u"PARIS", u"OSLO", u"STOCKHOLM",
                                         u"BERLIN", u"WARSZAWA", u"PRAHA", u"WIEN", u"MADRID",
                                         u"BOSTON", u"TORONTO", u"OSAKA", u"PERTH", u"ROMA"};
constexpr QStringView kRigs[] = {u"TRX 100W", u"HOMEBREW 5W", u"QRP 5W", u"KIT 10W",
                                 u"TRX 50W", u"TRX 100W ES PA 400W", u"HOMEBREW 20W"};
constexpr QStringView kAntennas[] = {u"DIPOLE", u"VERTICAL", u"YAGI 3 EL", u"GP", u"LOOP",
                                     u"END FED", u"WINDOM", u"LONG WIRE"};
constexpr QStringView kDanishWeather[] = {u"SOL", u"OVERSKYET", u"REGN", u"SNE", u"BLÆST",
                                          u"TÅGE"};
constexpr QStringView kEnglishWeather[] = {u"SUNNY", u"CLOUDY", u"RAIN", u"SNOW", u"WINDY",
                                           u"FOG"};

template <std::size_t N>
QString pick(const QStringView (&list)[N], const practice::Uniform &random)
{
    return list[practice::drawPosition(random(), qsizetype(N))].toString();
}

// A made-up call, Danish when asked: drawn again until the prefix is Danish (at most
// a few draws, since four in ten calls are Danish), then an OZ call made by hand.
QString makeCall(bool danish, const practice::Uniform &random)
{
    for (int tries = 0; tries < 20; ++tries) {
        const QString call = calls::generateCall(random);
        calls::CallParts parts;
        if (!calls::splitCall(call, parts))
            continue;
        bool isDanish = false;
        for (const calls::Prefix &p : calls::danishPrefixes())
            isDanish = isDanish || parts.prefix == p.text;
        if (isDanish == danish && !call.contains(u'/'))
            return call;
    }
    return danish ? QStringLiteral("OZ1ABC") : QStringLiteral("DL1ABC");
}

QString report(const practice::Uniform &random)
{
    const int strength = 3 + int(random() * 7);   // 3..9
    return QStringLiteral("5%1%2").arg(strength).arg(random() < 0.8 ? 9 : 8);
}

struct Words {
    QString cq, de, k, kn, sk, tnxCall, tnxReport, ur, name, qth, rig, ant, wx, temp, tnxQso, hw, gm;
};

Words danishWords()
{
    return {QStringLiteral("CQ"), QStringLiteral("DE"), QStringLiteral("K"),
            QStringLiteral("<KN>"), QStringLiteral("<SK>"), QStringLiteral("TAK FOR OPKALDET"),
            QStringLiteral("R TAK FOR RAPPORTEN"), QStringLiteral("DIN RAPPORT"),
            QStringLiteral("NAVN"), QStringLiteral("QTH"), QStringLiteral("RIG"),
            QStringLiteral("ANT"), QStringLiteral("VEJRET"), QStringLiteral("TEMP"),
            QStringLiteral("TAK FOR QSO, VY 73"), QStringLiteral("HVORDAN?"),
            QStringLiteral("GOD DAG")};
}

Words englishWords()
{
    return {QStringLiteral("CQ"), QStringLiteral("DE"), QStringLiteral("K"),
            QStringLiteral("<KN>"), QStringLiteral("<SK>"), QStringLiteral("TNX FER CALL"),
            QStringLiteral("R TNX FER RPRT"), QStringLiteral("UR RST"),
            QStringLiteral("NAME"), QStringLiteral("QTH"), QStringLiteral("RIG"),
            QStringLiteral("ANT"), QStringLiteral("WX"), QStringLiteral("TEMP"),
            QStringLiteral("TNX FER QSO, 73 ES GL"), QStringLiteral("HW?"),
            QStringLiteral("GM OM")};
}

} // namespace

QString generate(Language language, Length length, const practice::Uniform &random)
{
    const bool danish = language == Language::Danish;
    const Words w = danish ? danishWords() : englishWords();
    const QString a = makeCall(danish || random() < 0.5, random);
    const QString b = makeCall(danish, random);
    const QString nameA = danish ? pick(kDanishNames, random) : pick(kEnglishNames, random);
    const QString nameB = danish ? pick(kDanishNames, random) : pick(kEnglishNames, random);
    const QString qthA = danish ? pick(kDanishTowns, random) : pick(kForeignTowns, random);
    const QString qthB = danish ? pick(kDanishTowns, random) : pick(kForeignTowns, random);
    const QString lineEnd = practice::kLineBreak.toString();

    // One over: the calls, the parts between "=" signs, and the ending.
    auto over = [&](const QString &to, const QString &from, const QStringList &parts,
                    const QString &end) {
        QString text = to + u' ' + w.de + u' ' + from;
        for (const QString &p : parts)
            text += QStringLiteral(" = ") + p;
        return text + u' ' + end + lineEnd;
    };
    auto details = [&](const QString &name, const QString &qth, const QString &rst) {
        QStringList parts{w.ur + u' ' + rst + u' ' + rst, w.name + u' ' + name + u' ' + name};
        if (length != Length::Short)
            parts << w.qth + u' ' + qth + u' ' + qth;
        if (length == Length::Long) {
            const int celsius = int(random() * 30) - 5;
            parts << w.rig + u' ' + pick(kRigs, random) + u' ' + w.ant + u' ' +
                         pick(kAntennas, random)
                  << w.wx + u' ' +
                         (danish ? pick(kDanishWeather, random) : pick(kEnglishWeather, random)) +
                         u' ' + w.temp + u' ' + QString::number(celsius) + u'C';
        }
        return parts;
    };

    QString text = w.cq + u' ' + w.cq + u' ' + w.cq + u' ' + w.de + u' ' + a + u' ' + a + u' ' +
                   w.k + lineEnd;
    text += a + u' ' + w.de + u' ' + b + u' ' + b + u' ' + w.k + lineEnd;
    QStringList first = details(nameA, qthA, report(random));
    first.prepend(w.gm + u' ' + w.tnxCall);
    text += over(b, a, first, w.hw + u' ' + w.kn);
    QStringList second = details(nameB, qthB, report(random));
    second.prepend(w.tnxReport);
    text += over(a, b, second, w.hw + u' ' + w.kn);
    text += over(b, a, {w.tnxQso}, w.sk);
    text += over(a, b, {w.tnxQso}, w.sk + QStringLiteral(" EE"));
    return text;
}

} // namespace qso
