// Statistics per character: events from a scored copy, the summary of each character
// (recent accuracy, trend, confusions, reaction time, weakest first), the weighting of
// the weak-character groups, and the file (append, damaged rows, unwritable folder).

#include "support/TestFiles.h"
#include "exercises/CharacterStats.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace stats;

namespace {

const QDateTime kWhen(QDate(2026, 12, 9), QTime(19, 30, 0));

Event seen(const QString &character, bool right, const QString &takenFor = {}, int reactionMs = -1)
{
    return {kWhen, character, right, takenFor, reactionMs};
}

// count events of character: the first `wrong` of them taken for takenFor.
void add(std::vector<Event> &events, const QString &character, int count, int wrong, const QString &takenFor)
{
    for (int i = 0; i < count; ++i)
        events.push_back(seen(character, i >= wrong, i < wrong ? takenFor : QString()));
}

} // namespace

class CharacterStatsTest : public QObject {
    Q_OBJECT
private slots:
    void fromScore_data();
    void fromScore();
    void summaries();
    void weakGroupWeights();
    void file();
};

void CharacterStatsTest::fromScore_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QString>("expected");   // character, + or taken for (_ missed), per event
    QTest::newRow("right, wrong, missed") << QStringLiteral("ABC D") << QStringLiteral("AXC")
                                          << QStringLiteral("A+ BX C+ D_");
    QTest::newRow("extras not counted") << QStringLiteral("ØK") << QStringLiteral("ØQK")
                                        << QStringLiteral("Ø+ K+");
    QTest::newRow("prosign and comma") << QStringLiteral("<AR> ,") << QStringLiteral("<KA> .")
                                       << QStringLiteral("<AR><KA> ,.");
}

void CharacterStatsTest::fromScore()
{
    QFETCH(QString, sent);
    QFETCH(QString, copy);
    QFETCH(QString, expected);
    QStringList got;
    for (const Event &e : eventsFromScore(receive::scoreCopy(sent, copy), kWhen)) {
        QCOMPARE(e.when, kWhen);
        got << e.character + (e.right ? QStringLiteral("+") : e.takenFor.isEmpty() ? QStringLiteral("_") : e.takenFor);
    }
    QCOMPARE(got.join(u' '), expected);
}

void CharacterStatsTest::summaries()
{
    std::vector<Event> events;
    // Ø: 50 wrong long ago, then 100 right: the recent hundred are all right.
    add(events, QStringLiteral("Ø"), 150, 50, QStringLiteral("O"));
    // K: 40 events, the first 10 taken for R, the next 2 missed; trend upwards.
    add(events, QStringLiteral("K"), 10, 10, QStringLiteral("R"));
    add(events, QStringLiteral("K"), 30, 2, QString());
    // E: few events, a reaction time each.
    events.push_back(seen(QStringLiteral("E"), false, QStringLiteral("I"), 300));
    events.push_back(seen(QStringLiteral("E"), true, {}, 500));

    const std::vector<Summary> s = summarize(events);
    QCOMPARE(s.size(), size_t(3));
    QCOMPARE(s[0].character, QStringLiteral("E"));   // 50 %: the weakest first
    QVERIFY(!s[0].trend);
    QCOMPARE(*s[0].meanReactionMs, 400.0);
    QCOMPARE(s[1].character, QStringLiteral("K"));   // 70 %
    QCOMPARE(s[1].accuracy, 70.0);
    QCOMPARE(s[1].total, 40);
    QVERIFY(s[1].trend.has_value());
    QCOMPARE(*s[1].trend, 100.0 - 40.0);                // newer 20 all right, older 20: 8 right
    QCOMPARE(s[1].confusions.size(), size_t(2));
    QCOMPARE(s[1].confusions[0].takenFor, QStringLiteral("R"));
    QCOMPARE(s[1].confusions[0].count, 10);
    QCOMPARE(s[1].confusions[1].takenFor, QString());   // missed
    QVERIFY(!s[1].meanReactionMs);
    QCOMPARE(s[2].character, QStringLiteral("Ø"));
    QCOMPARE(s[2].recent, kRecentCount);
    QCOMPARE(s[2].accuracy, 100.0);
    QCOMPARE(s[2].confusions[0].count, 50);           // confusions over all events

    const std::vector<double> curve = accuracyCurve(events, QStringLiteral("K"), 20);
    QCOMPARE(curve.size(), size_t(40));
    QCOMPARE(curve.front(), 0.0);
    QCOMPARE(curve.back(), 100.0);
}

void CharacterStatsTest::weakGroupWeights()
{
    std::vector<Event> events;
    add(events, QStringLiteral("A"), 100, 50, QStringLiteral("N"));   // error rate 0.5
    add(events, QStringLiteral("B"), 100, 25, QStringLiteral("D"));   // 0.25
    add(events, QStringLiteral("C"), 100, 0, QString());              // never wrong: never drawn
    const std::vector<Summary> s = summarize(events);
    QVERIFY(weakGroups(summarize({seen(QStringLiteral("C"), true)}), 10, practice::seededUniform(1)).isEmpty());

    const QString text = weakGroups(s, 2000, practice::seededUniform(99));
    QVERIFY(text.startsWith(QStringLiteral("<KA><KA><KA>\r\n\r\n")));
    QVERIFY(text.endsWith(QStringLiteral(" \r\n\r\n<AR>")));
    QString body = text.mid(16, text.size() - 16 - 4);
    const QStringList groups = body.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QCOMPARE(groups.size(), 2000);
    const QString all = groups.join(QString());
    QCOMPARE(all.size(), 10000);
    QCOMPARE(all.count(u'C'), 0);
    // A is drawn twice as often as B: chi-square, one degree of freedom, p = 0.001.
    const double a = double(all.count(u'A')), b = double(all.count(u'B'));
    const double ea = 10000 * 2.0 / 3, eb = 10000 / 3.0;
    const double chi = (a - ea) * (a - ea) / ea + (b - eb) * (b - eb) / eb;
    QVERIFY2(chi < 10.83, qPrintable(QString::number(chi)));
}

void CharacterStatsTest::file()
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    QCOMPARE(CharacterStats::defaultPath(),
             dir.path() + QStringLiteral("/Telvok's Morsetræningsprogram/tegnstatistik.csv"));
    qunsetenv("XDG_DATA_HOME");

    CharacterStats store(dir.filePath(QStringLiteral("s/tegnstatistik.csv")));
    QVERIFY(store.append({seen(QStringLiteral(","), false, QStringLiteral("\""), 250),
                          seen(QStringLiteral("<AR>"), true)}));
    QVERIFY(testfiles::readAll(store.path())
                .startsWith(CharacterStats::header().toUtf8() + "\n2026-12-09T19:30:00,\",\",0,\"\"\"\",250\n"));
    // Damaged rows: a bad flag, a bad time, too few fields, a last row cut off.
    const QByteArray damaged = "2026-12-09T19:30:00,K,2,,\nnu,K,1,,\n2026-12-09T19:30:00,K\n2026-12-09T19:3";
    QVERIFY(testfiles::writeFile(store.path(), testfiles::readAll(store.path()) + damaged));
    QVERIFY(store.append({seen(QStringLiteral("Ø"), false, QString())}));
    const CharacterStats::Contents c = store.read();
    QVERIFY(c.readable);
    QCOMPARE(c.skipped, 4);
    QCOMPARE(c.events.size(), size_t(3));
    QCOMPARE(c.events[0].takenFor, QStringLiteral("\""));
    QCOMPARE(c.events[0].reactionMs, 250);
    QCOMPARE(c.events[1].character, QStringLiteral("<AR>"));
    QCOMPARE(c.events[1].reactionMs, -1);
    QCOMPARE(c.events[2].character, QStringLiteral("Ø"));

    QVERIFY(testfiles::writeFile(dir.filePath(QStringLiteral("blocked")), "x"));
    CharacterStats blocked(dir.filePath(QStringLiteral("blocked/tegnstatistik.csv")));
    QVERIFY(!blocked.append({seen(QStringLiteral("K"), true)}));
    QVERIFY(blocked.read().readable);
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder.csv/inside")));
    QVERIFY(!CharacterStats(dir.filePath(QStringLiteral("folder.csv"))).read().readable);
}

QTEST_GUILESS_MAIN(CharacterStatsTest)
#include "tst_characterstats.moc"
