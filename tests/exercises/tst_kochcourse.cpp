// The Koch course: its orders and a learner's own, the groups of a lesson (lengths,
// characters, the newest and weak ones drawn more often), the pass rule on a scored
// copy, the history of runs and section "Koch" of the settings store.

#include "support/TestFiles.h"
#include "exercises/CopyScore.h"
#include "exercises/KochCourse.h"
#include "exercises/KochSettings.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>

using namespace koch;

namespace {

// Upper critical value of chi-square with df degrees of freedom at p = 0.001
// (Wilson-Hilferty).
double chiSquareBound(int df)
{
    const double a = 2.0 / (9.0 * df);
    return df * std::pow(1 - a + 3.0902 * std::sqrt(a), 3);
}

// The tokens of a lesson text: groups split at blanks and line breaks, prosigns whole.
QStringList drawnTokens(const QString &text, QList<int> *groupLengths = nullptr)
{
    QStringList tokens;
    for (const QString &group : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        int length = 0;
        for (qsizetype i = 0; i < group.size(); ++i, ++length) {
            const qsizetype n = group[i] == u'<' ? 4 : 1;
            tokens << group.mid(i, n);
            i += n - 1;
        }
        if (groupLengths)
            *groupLengths << length;
    }
    return tokens;
}

double chiSquare(const QStringList &tokens, const QStringList &characters, const std::vector<double> &weights)
{
    double total = 0;
    for (double w : weights)
        total += w;
    double chi = 0;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const double expected = double(tokens.size()) * weights[size_t(i)] / total;
        const double d = double(tokens.count(characters[i])) - expected;
        chi += d * d / expected;
    }
    return chi;
}

receive::Attempt attempt(double accuracy)
{
    receive::Attempt a;
    a.when = QDateTime(QDate(2026, 12, 1), QTime(19, 0, 5));
    a.wpm = 20;
    a.farnsworth = 6;
    a.cpm = 60;
    a.sent = 100;
    a.correct = int(accuracy);
    a.accuracy = accuracy;
    a.characters = QStringLiteral("KM,");
    return a;
}

} // namespace

class KochCourseTest : public QObject {
    Q_OBJECT
private slots:
    void orders_data();
    void orders();
    void lessonDraws_data();
    void lessonDraws();
    void passRule_data();
    void passRule();
    void historyAndSettings();
};

void KochCourseTest::orders_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("characters");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("culprit");
    using P = ParsedOrder::Problem;
    QTest::newRow("course order") << orderText(courseOrder()) << courseOrder() << int(P::None) << QString();
    QTest::newRow("classic order") << orderText(classicOrder()) << classicOrder() << int(P::None) << QString();
    QTest::newRow("lower case, blanks, Danish letters, prosign")
        << QStringLiteral(" k m æ\tø å<ar> ,") << QStringList{"K", "M", "Æ", "Ø", "Å", "<AR>", ","}
        << int(P::None) << QString();
    QTest::newRow("repeated") << QStringLiteral("KMRk") << QStringList{"K", "M", "R"} << int(P::Repeated)
                              << QStringLiteral("K");
    QTest::newRow("not sendable") << QStringLiteral("KM~") << QStringList{"K", "M"} << int(P::Unsendable)
                                  << QStringLiteral("~");
    QTest::newRow("unknown prosign") << QStringLiteral("KM<QQ>") << QStringList{"K", "M"}
                                     << int(P::Unsendable) << QStringLiteral("<QQ>");
    QTest::newRow("one character") << QStringLiteral("K") << QStringList{"K"} << int(P::TooShort) << QString();
}

void KochCourseTest::orders()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, characters);
    QFETCH(int, problem);
    QFETCH(QString, culprit);
    const ParsedOrder p = parseOrder(typed);
    QCOMPARE(int(p.problem), problem);
    QCOMPARE(p.culprit, culprit);
    QCOMPARE(p.characters, characters);
    QCOMPARE(courseOrder().size(), 41);
    QCOMPARE(lessonCount(classicOrder()), 39);
    QCOMPARE(lessonCharacters(courseOrder(), 1), (QStringList{"K", "M"}));
    QCOMPARE(lessonCharacters(courseOrder(), 40).size(), 41);
    QCOMPARE(lessonCharacters(courseOrder(), 99).size(), 41);   // a stored lesson beyond the order
}

void KochCourseTest::lessonDraws_data()
{
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("lesson");
    QTest::addColumn<int>("lengths");
    QTest::addColumn<QString>("weak");
    QTest::addColumn<std::vector<double>>("weights");   // expected draw weights
    const QStringList own{"Æ", "Ø", "<AR>", "K", "M"};
    QTest::newRow("lesson 1, fixed five") << courseOrder() << 1 << int(GroupLengths::Fixed5) << QString()
                                          << std::vector<double>{1, 1};
    QTest::newRow("lesson 9: weak ignored, uniform") << courseOrder() << 9 << int(GroupLengths::Varied)
                                                     << QStringLiteral("K") << std::vector<double>(10, 1.0);
    std::vector<double> newest(11, 1.0);
    newest[9] = newest[10] = 1 + kNewestExtraWeight;
    QTest::newRow("lesson 10: newest twice") << courseOrder() << 10 << int(GroupLengths::Varied) << QString()
                                             << newest;
    std::vector<double> weak = newest;
    weak[0] += kWeakExtraWeight * 0.5;   // K wrong half the time
    QTest::newRow("lesson 10: weak K") << courseOrder() << 10 << int(GroupLengths::Fixed5)
                                       << QStringLiteral("K") << weak;
    QTest::newRow("own order with prosign") << own << 4 << int(GroupLengths::Varied) << QString()
                                            << std::vector<double>(5, 1.0);
}

void KochCourseTest::lessonDraws()
{
    QFETCH(QStringList, order);
    QFETCH(int, lesson);
    QFETCH(int, lengths);
    QFETCH(QString, weak);
    QFETCH(std::vector<double>, weights);
    QHash<QString, double> rates;
    if (!weak.isEmpty())
        rates.insert(weak, 0.5);
    const QStringList characters = lessonCharacters(order, lesson);
    QCOMPARE(drawWeights(characters, lesson, rates), weights);

    const QString text = lessonText(order, lesson, GroupLengths(lengths), 20000, rates,
                                    practice::seededUniform(4711));
    QList<int> groupLengths;
    const QStringList tokens = drawnTokens(text, &groupLengths);
    QVERIFY(tokens.size() >= 20000 && tokens.size() < 20000 + kMaxGroupLength);
    for (const QString &t : tokens)
        QVERIFY2(characters.contains(t), qPrintable(t));
    const double chi = chiSquare(tokens, characters, weights);
    QVERIFY2(chi < chiSquareBound(int(characters.size()) - 1), qPrintable(QString::number(chi)));

    // Lines of five groups, each group followed by a blank.
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        QVERIFY(line.endsWith(u' ') && line.count(u' ') <= kGroupsPerLine);
    std::map<int, int> byLength;
    for (int l : groupLengths)
        ++byLength[l];
    if (GroupLengths(lengths) == GroupLengths::Fixed5) {
        QCOMPARE(byLength.size(), size_t(1));
        QCOMPARE(byLength.begin()->first, 5);
    } else {
        QCOMPARE(byLength.begin()->first, kMinGroupLength);
        QCOMPARE(byLength.rbegin()->first, kMaxGroupLength);
        QVERIFY(byLength[4] > 2 * byLength[2] && byLength[5] > 2 * byLength[7]);
    }
}

void KochCourseTest::passRule_data()
{
    QTest::addColumn<QString>("copy");
    QTest::addColumn<bool>("passes");
    // Ten characters sent: one error leaves exactly 90 %.
    QTest::newRow("all right") << QStringLiteral("KMKMK MMKKM") << true;
    QTest::newRow("one wrong: 90 %") << QStringLiteral("KMKMK MMKKK") << true;
    QTest::newRow("one missed: 90 %") << QStringLiteral("KMKMK MMKK") << true;
    QTest::newRow("one extra: 10/11") << QStringLiteral("KMKMK MMKKMK") << true;
    QTest::newRow("two wrong: 80 %") << QStringLiteral("KMKMM MMKKK") << false;
    QTest::newRow("nothing typed") << QString() << false;
}

void KochCourseTest::passRule()
{
    QFETCH(QString, copy);
    QFETCH(bool, passes);
    QCOMPARE(passed(receive::scoreCopy(u"KMKMK MMKKM", copy).accuracy()), passes);
}

void KochCourseTest::historyAndSettings()
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    QCOMPARE(KochHistory::defaultPath(), dir.path() + QStringLiteral("/Telvok's Morsetræningsprogram/koch.csv"));
    qunsetenv("XDG_DATA_HOME");

    KochHistory history(dir.filePath(QStringLiteral("h/koch.csv")));
    QVERIFY(history.append({QStringLiteral("kursus"), 3, attempt(91.5)}));
    QByteArray bytes = testfiles::readAll(history.path()) + "kursus,x,2026\nklassisk,2,kaput\n";
    QVERIFY(testfiles::writeFile(history.path(), bytes));
    QVERIFY(history.append({QStringLiteral("egen"), 12, attempt(40)}));
    const KochHistory::Contents c = history.read();
    QVERIFY(c.readable);
    QCOMPARE(c.skipped, 2);
    QCOMPARE(c.runs.size(), size_t(2));
    QCOMPARE(c.runs[0].order, QStringLiteral("kursus"));
    QCOMPARE(c.runs[0].lesson, 3);
    QCOMPARE(c.runs[0].attempt.accuracy, 91.5);
    QCOMPARE(c.runs[0].attempt.characters, QStringLiteral("KM,"));
    QCOMPARE(c.runs[1].lesson, 12);

    QVERIFY(testfiles::writeFile(dir.filePath(QStringLiteral("blocked")), "x"));
    QVERIFY(!KochHistory(dir.filePath(QStringLiteral("blocked/koch.csv"))).append({QStringLiteral("kursus"), 1, attempt(1)}));

    // Section "Koch": written, read back; values out of range fall back.
    const QString ini = dir.filePath(QStringLiteral("store.ini"));
    {
        auto store = settings::openStoreAt(ini);
        KochSettings s;
        s.order = QStringLiteral("egen");
        s.ownOrder = QStringLiteral("ÆØÅ<AR>,");
        s.lessons.insert(QStringLiteral("klassisk"), 17);
        s.minutes = 4;
        s.lengths = GroupLengths::Fixed5;
        QVERIFY(saveKochSettings(*store, s));
    }
    auto store = settings::openStoreAt(ini);
    KochSettings s = readKochSettings(*store);
    QCOMPARE(s.order, QStringLiteral("egen"));
    QCOMPARE(s.ownOrder, QStringLiteral("ÆØÅ<AR>,"));
    QCOMPARE(s.lesson(QStringLiteral("klassisk")), 17);
    QCOMPARE(s.lesson(QStringLiteral("kursus")), 1);
    QCOMPARE(s.minutes, 4);
    QCOMPARE(s.lengths, GroupLengths::Fixed5);
    store->setValue(QStringLiteral("Koch/Minutter"), QStringLiteral("9"));
    store->setValue(QStringLiteral("Koch/Raekkefoelge"), QStringLiteral("ukendt"));
    QVERIFY(store->sync());
    s = readKochSettings(*store);
    QCOMPARE(s.minutes, kDefaultMinutes);
    QCOMPARE(s.order, QStringLiteral("kursus"));
}

QTEST_GUILESS_MAIN(KochCourseTest)
#include "tst_kochcourse.moc"
