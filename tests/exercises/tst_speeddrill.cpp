// Callsign and word drills: the speed steps and points of a run, the made-up calls,
// imported lists, the shipped word lists and the made-up contacts.

#include "engine/MorseTable.h"
#include "exercises/Callsigns.h"
#include "exercises/CopyScore.h"
#include "exercises/DrillHistory.h"
#include "exercises/QsoText.h"
#include "exercises/SpeedDrill.h"
#include "exercises/WordLists.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

class SpeedDrillTest : public QObject {
    Q_OBJECT
private slots:
    void run_data();
    void run();
    void points_data();
    void points();
    void generatedCalls();
    void callForms_data();
    void callForms();
    void import_data();
    void import();
    void wordListsSendable();
    void qso_data();
    void qso();
    void history_data();
    void history();
    void bestTen();
};

namespace {

// Every character of a text has a code (prosigns in <..> as one), blanks and CR LF
// aside: what the engine sends is all that was meant.
bool allSendable(const QString &text)
{
    const QString flat = QString(text).remove(u'\r').replace(u'\n', u' ');
    int sendable = 0;
    for (const receive::Located &t : receive::sentTokens(flat))
        sendable += t.token != receive::kWordGap;
    QString bare = flat;
    bare.remove(u' ');
    for (const QString &p : {u"<KN>"_s, u"<SK>"_s, u"<AR>"_s, u"<KA>"_s})
        bare.replace(p, u"#"_s);
    return sendable == bare.size();
}

} // namespace

// A run of copies: each exact copy raises the speed a step, each miss lowers it,
// within floor and ceiling; the report's speeds and points follow.
void SpeedDrillTest::run_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("floor");
    QTest::addColumn<int>("ceiling");
    QTest::addColumn<QStringList>("typed");   // copies of "OZ1ABC", in order
    QTest::addColumn<QList<int>>("speeds");   // the speed each was played at
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("finalWpm");
    QTest::addColumn<int>("points");

    QTest::newRow("three exact, step 1")
        << 20 << 1 << 5 << 60 << QStringList{"OZ1ABC", "oz1abc", "OZ1ABC"}
        << QList<int>{20, 21, 22} << 22 << 22 << (20 + 21 + 22) * 6;
    QTest::newRow("miss lowers, step 2")
        << 20 << 2 << 5 << 60 << QStringList{"OZ1ABC", "OZ1ABD", "OZ1ABC"}
        << QList<int>{20, 22, 20} << 22 << 20 << 20 * 6 + int(std::lround(2.0 * 6 * 22 / 5)) + 20 * 6;
    QTest::newRow("ceiling holds")
        << 29 << 2 << 5 << 30 << QStringList{"OZ1ABC", "OZ1ABC", "OZ1ABC"}
        << QList<int>{29, 30, 30} << 30 << 30 << (29 + 30 + 30) * 6;
    QTest::newRow("floor holds, nothing copied")
        << 6 << 2 << 5 << 60 << QStringList{"", "X", ""}
        << QList<int>{6, 5, 5} << 6 << 5 << 0;
    QTest::newRow("start outside the range is clamped")
        << 70 << 1 << 10 << 40 << QStringList{"OZ1ABC"} << QList<int>{40} << 40 << 40 << 40 * 6;
}

void SpeedDrillTest::run()
{
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(int, floor);
    QFETCH(int, ceiling);
    QFETCH(QStringList, typed);
    QFETCH(QList<int>, speeds);
    drill::Run run(start, {step, floor, ceiling}, int(typed.size()));
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QVERIFY(!run.finished());
        const drill::Copy &c = run.record(u"OZ1ABC"_s, typed[i], false);
        QCOMPARE(c.wpm, speeds[i]);
    }
    QVERIFY(run.finished());
    QTEST(run.topWpm(), "top");
    QTEST(run.finalWpm(), "finalWpm");
    QTEST(run.points(), "points");
}

// Points for one copy: speed × length exact, partial credit for one to three
// mistakes, nothing beyond, a replay halves.
void SpeedDrillTest::points_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("wpm");
    QTest::addColumn<bool>("replayed");
    QTest::addColumn<int>("mistakes");
    QTest::addColumn<int>("points");

    QTest::newRow("exact") << "DL2XYZ" << "DL2XYZ" << 25 << false << 0 << 150;
    QTest::newRow("exact, replayed") << "DL2XYZ" << "DL2XYZ" << 25 << true << 0 << 75;
    QTest::newRow("one wrong") << "DL2XYZ" << "DL2XYA" << 25 << false << 1 << 60;
    QTest::newRow("one missing") << "DL2XYZ" << "DL2XY" << 25 << false << 1 << 60;
    QTest::newRow("one extra") << "OZ1A" << "OZ1AB" << 30 << false << 1 << 48;
    QTest::newRow("three wrong") << "DL2XYZ" << "DL2ABC" << 25 << false << 3 << 20;
    QTest::newRow("three wrong, replayed") << "DL2XYZ" << "DL2ABC" << 25 << true << 3 << 10;
    QTest::newRow("four wrong earns nothing") << "DL2XYZ" << "DL3ABC" << 25 << false << 4 << 0;
    QTest::newRow("nothing typed") << "OZ1A" << "" << 20 << false << 4 << 0;
    QTest::newRow("slash counts") << "OZ1ABC/P" << "OZ1ABC/P" << 20 << false << 0 << 160;
    QTest::newRow("prosign counts once") << "<SK>" << "<SK>" << 20 << false << 0 << 20;
}

void SpeedDrillTest::points()
{
    QFETCH(QString, sent);
    QFETCH(QString, typed);
    QFETCH(int, wpm);
    QFETCH(bool, replayed);
    QFETCH(int, mistakes);
    QCOMPARE(drill::mistakes(sent, typed), mistakes);
    QTEST(drill::points(drill::itemLength(sent), wpm, mistakes, replayed), "points");
}

// Made-up calls: every one valid and sendable, its prefix from the tables, the
// Danish share as set, and the slash forms now and then.
void SpeedDrillTest::generatedCalls()
{
    const practice::Uniform random = practice::seededUniform(7);
    const int n = 20000;
    int danish = 0;
    int slashed = 0;
    for (int i = 0; i < n; ++i) {
        const QString call = calls::generateCall(random);
        QVERIFY2(calls::isValidCall(call), qPrintable(call));
        for (QChar c : call)
            QVERIFY2(!morse::lookupPattern(QStringView(&c, 1)).empty(), qPrintable(call));
        calls::CallParts parts;
        QVERIFY(calls::splitCall(call, parts));
        auto in = [&](std::span<const calls::Prefix> group) {
            return std::any_of(group.begin(), group.end(),
                               [&](const calls::Prefix &p) { return parts.prefix == p.text; });
        };
        QVERIFY2(in(calls::danishPrefixes()) || in(calls::foreignPrefixes()), qPrintable(call));
        danish += in(calls::danishPrefixes());
        slashed += call.contains(u'/');
    }
    // Binomial: three standard deviations of n draws.
    const double sd = std::sqrt(n * calls::kDanishShare * (1 - calls::kDanishShare));
    QVERIFY(std::abs(danish - n * calls::kDanishShare) < 3 * sd);
    const double slashShare = calls::kPortableShare + calls::kMobileShare + calls::kVisitorShare;
    QVERIFY(std::abs(slashed - n * slashShare) < 3 * std::sqrt(n * slashShare));
}

void SpeedDrillTest::callForms_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("plain") << "OZ1ABC" << true << "OZ";
    QTest::newRow("digit in prefix") << "5P2X" << true << "5P";
    QTest::newRow("one-letter prefix") << "K1A" << true << "K";
    QTest::newRow("portable") << "OZ1ABC/P" << true << "OZ";
    QTest::newRow("abroad") << "DL/OZ1ABC" << true << "OZ";
    QTest::newRow("four-letter suffix") << "2E0ABCD" << true << "2E";
    QTest::newRow("no digit") << "OZABC" << false << "";
    QTest::newRow("no suffix") << "OZ1" << false << "";
    QTest::newRow("empty part") << "OZ1ABC//P" << false << "";
    QTest::newRow("leading slash") << "/OZ1ABC" << false << "";
    QTest::newRow("lower case is the importer's job") << "oz1abc" << false << "";
    QTest::newRow("blank inside") << "OZ1 ABC" << false << "";
    QTest::newRow("too long") << "OZ/DL1ABC/MM/P" << false << "";
    QTest::newRow("digits only prefix") << "11ABC" << false << "";
    QTest::newRow("Danish letter") << "OZ1ÆBC" << false << "";
}

void SpeedDrillTest::callForms()
{
    QFETCH(QString, call);
    QFETCH(bool, valid);
    QCOMPARE(calls::isValidCall(call), valid);
    calls::CallParts parts;
    if (valid) {
        QVERIFY(calls::splitCall(call, parts));
        QTEST(parts.prefix, "prefix");
    }
}

// An imported list: comments and blank lines skipped, bad lines named by number,
// repeats counted once, order kept, upper-cased.
void SpeedDrillTest::import_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asCalls");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QList<int>>("badLines");
    QTest::addColumn<int>("duplicates");

    QTest::newRow("calls with comments")
        << "# my club\n oz1abc \r\nDL2XYZ # a friend\n\n#OZ9ZZZ\n" << true
        << QStringList{"OZ1ABC", "DL2XYZ"} << QList<int>{} << 0;
    QTest::newRow("bad and repeated calls")
        << "OZ1ABC\nhello\nOZ1ABC\noz1abc\n12345\nK1A" << true
        << QStringList{"OZ1ABC", "K1A"} << QList<int>{2, 5} << 2;
    QTest::newRow("words with Danish letters")
        << "rødgrød\nqth\nhash#tag\nnot sendable ~\nQTH" << false
        << QStringList{"RØDGRØD", "QTH", "HASH"} << QList<int>{4} << 1;
    QTest::newRow("empty") << "" << true << QStringList{} << QList<int>{} << 0;
}

void SpeedDrillTest::import()
{
    QFETCH(QString, text);
    QFETCH(bool, asCalls);
    const calls::ImportResult r =
        calls::importList(text, asCalls ? calls::isValidCall : calls::isSendableWord);
    QTEST(r.entries, "entries");
    QTEST(QList<int>(r.badLines.begin(), r.badLines.end()), "badLines");
    QTEST(r.duplicates, "duplicates");
}

void SpeedDrillTest::wordListsSendable()
{
    for (int l = 0; l < words::kListCount; ++l) {
        const auto list = words::list(static_cast<words::List>(l));
        QVERIFY(list.size() >= 30);
        for (QStringView w : list)
            QVERIFY2(calls::isSendableWord(w), qPrintable(w.toString()));
    }
}

// A made-up contact: the same seed gives the same text, another seed another; every
// character sendable; lines end in CR LF, with no bare LF or CR.
void SpeedDrillTest::qso_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("mustHave");
    for (int lang = 0; lang < 2; ++lang) {
        for (int len = 0; len < 3; ++len) {
            const char *word = len == 2 ? (lang == 0 ? "VEJRET" : "WX") : len == 1 ? "QTH" : "<SK>";
            QTest::addRow("%s, length %d", lang == 0 ? "Danish" : "English", len)
                << lang << len << QString::fromLatin1(word);
        }
    }
}

void SpeedDrillTest::qso()
{
    QFETCH(int, language);
    QFETCH(int, length);
    QFETCH(QString, mustHave);
    const auto lang = static_cast<qso::Language>(language);
    const auto len = static_cast<qso::Length>(length);
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        const QString text = qso::generate(lang, len, practice::seededUniform(seed));
        QCOMPARE(qso::generate(lang, len, practice::seededUniform(seed)), text);
        QVERIFY(text != qso::generate(lang, len, practice::seededUniform(seed + 1000)));
        QVERIFY2(allSendable(text), qPrintable(text));
        QVERIFY(text.contains(mustHave));
        QVERIFY(text.endsWith(u"\r\n"));
        QCOMPARE(text.count(u'\n'), text.count(u"\r\n"));
        QCOMPARE(text.count(u'\r'), text.count(u"\r\n"));
    }
}

// The drill history: rows read back, damaged ones skipped, and files that are no
// regular file (a folder, a FIFO, a device) neither read nor written, and not waited on.
void SpeedDrillTest::history_data()
{
    QTest::addColumn<QByteArray>("before");   // the file's bytes; "<fifo>" etc. for special ones
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<bool>("appends");

    const QByteArray header = drill::DrillHistory::header().toUtf8() + '\n';
    const QByteArray good = "2026-12-01T10:00:00,kald,25,1,20,26,24,3100,20\n";
    QTest::newRow("missing") << QByteArray() << true << 0 << 0 << true;
    QTest::newRow("good rows") << header + good + good << true << 2 << 0 << true;
    QTest::newRow("damaged rows") << header + good + "2026-13-01T10:00:00,kald,25,1,20,26,24,3100,20\n"
                                  + "x,y\n" + "2026-12-01T10:00:00,kald,25,1,20,26,24,-5,20\n"
                                  + "2026-12-01T10:00:00,\"kald,25,1,20,26,24,5,20\n"
                                  << true << 1 << 4 << true;
    QTest::newRow("cut-off last row") << header + good + "2026-12-01T10:00:00,kald,2" << true << 1 << 1
                                      << true;
    QTest::newRow("folder") << QByteArray("<folder>") << false << 0 << 0 << false;
    QTest::newRow("fifo") << QByteArray("<fifo>") << false << 0 << 0 << false;
    QTest::newRow("link to /dev/zero") << QByteArray("<zero>") << false << 0 << 0 << false;
}

void SpeedDrillTest::history()
{
    QFETCH(QByteArray, before);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/h.csv"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("sub"))));
    if (before == "<folder>")
        QVERIFY(QDir().mkpath(path));
    else if (before == "<fifo>")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (before == "<zero>")
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    else if (!before.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    drill::DrillHistory history(path);
    const drill::DrillHistory::Contents c = history.read();
    QTEST(c.readable, "readable");
    QTEST(int(c.runs.size()), "rows");
    QTEST(c.skipped, "skipped");

    drill::RunRecord r{QDateTime(QDate(2026, 12, 9), QTime(20, 1, 2)), QStringLiteral("a, \"b\""),
                       50, 2, 18, 30, 28, 9999, 44};
    QTEST(history.append(r), "appends");
    const drill::DrillHistory::Contents after = history.read();
    if (c.readable) {
        QCOMPARE(int(after.runs.size()), int(c.runs.size()) + 1);
        const drill::RunRecord &back = after.runs.back();
        QCOMPARE(back.when, r.when);
        QCOMPARE(back.source, r.source);
        QCOMPARE(back.points, r.points);
        QCOMPARE(back.exact, r.exact);
    }
}

void SpeedDrillTest::bestTen()
{
    std::vector<drill::RunRecord> runs;
    const QDateTime t(QDate(2026, 1, 1), QTime(0, 0));
    for (int i = 0; i < 14; ++i)
        runs.push_back({t.addDays(i), QStringLiteral("kald"), 25, 1, 20, 20, 20, (i * 7) % 5 * 100, 0});
    runs.push_back({t, QStringLiteral("kald"), 50, 1, 20, 20, 20, 10000, 0});
    runs.push_back({t, QStringLiteral("kald"), 25, 2, 20, 20, 20, 10000, 0});
    runs.push_back({t, QStringLiteral("dansk"), 25, 1, 20, 20, 20, 10000, 0});
    const std::vector<drill::RunRecord> best = drill::bestRuns(runs, QStringLiteral("kald"), 25, 1);
    QCOMPARE(int(best.size()), drill::kBestCount);
    for (size_t i = 1; i < best.size(); ++i) {
        QVERIFY(best[i - 1].points >= best[i].points);
        if (best[i - 1].points == best[i].points)
            QVERIFY(best[i - 1].when < best[i].when);
    }
    QCOMPARE(best.front().points, 400);
}

QTEST_GUILESS_MAIN(SpeedDrillTest)
#include "tst_speeddrill.moc"
