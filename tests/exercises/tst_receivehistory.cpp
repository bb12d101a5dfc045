// The history file of the receiving practice: rows appended and read back, the last
// one replaced, damaged rows skipped, and a folder that cannot be written.

#include "support/TestFiles.h"
#include "exercises/ReceiveHistory.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace receive;

namespace {

Attempt attempt(int correct, const QString &characters)
{
    Attempt a;
    a.when = QDateTime(QDate(2026, 3, 1), QTime(20, 15, 7));
    a.wpm = 20;
    a.farnsworth = 3;
    a.cpm = 73;
    a.sent = 50;
    a.correct = correct;
    a.wrong = 1;
    a.missing = 50 - correct - 1;
    a.extra = 2;
    a.accuracy = 100.0 * correct / 52;
    a.characters = characters;
    return a;
}

} // namespace

class ReceiveHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void appendReadBack();
    void failures();
    void olderFileWithoutConditions();
};

void ReceiveHistoryTest::appendReadBack()
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    const QString path = ReceiveHistory::defaultPath();
    QCOMPARE(path, dir.path() + QStringLiteral("/Telvok's Morsetræningsprogram/modtagetraening.csv"));

    ReceiveHistory history(path);
    QVERIFY(history.append(attempt(40, QStringLiteral("ABCÆØÅ<KA>"))));
    QVERIFY(history.append(attempt(45, QStringLiteral(",.\"?"))));   // quoted field
    QVERIFY(testfiles::readAll(path).startsWith(ReceiveHistory::header().toUtf8() + '\n'
                                                + "2026-03-01T20:15:07,20,3,73,50,40,1,9,2,76.9,"));

    // A damaged row and a last row cut off in the middle: both skipped, and the next
    // row still starts on a line of its own.
    QByteArray bytes = testfiles::readAll(path);
    bytes += "kaput,1,2\n2026-03-01T21:00:00,20,3,73,50,4";
    QVERIFY(testfiles::writeFile(path, bytes));
    QVERIFY(history.append(attempt(49, QStringLiteral("E"))));

    ReceiveHistory::Contents c = history.read();
    QVERIFY(c.readable);
    QCOMPARE(c.skipped, 2);
    QCOMPARE(c.attempts.size(), size_t(3));
    QCOMPARE(c.attempts[0].characters, QStringLiteral("ABCÆØÅ<KA>"));
    QCOMPARE(c.attempts[1].characters, QStringLiteral(",.\"?"));
    QCOMPARE(c.attempts[1].correct, 45);
    QCOMPARE(c.attempts[2].when, attempt(49, {}).when);
    QCOMPARE(c.attempts[2].accuracy, 94.2);

    // Re-scoring the attempt replaces its row; everything before it stays byte for byte.
    const QByteArray beforeReplace = testfiles::readAll(path);
    QVERIFY(history.replaceLast(attempt(48, QStringLiteral("E"))));
    const QByteArray afterReplace = testfiles::readAll(path);
    QVERIFY(afterReplace.startsWith(beforeReplace.left(beforeReplace.lastIndexOf("2026-03-01T20:15:07,20,3,73,50,49"))));
    c = history.read();
    QCOMPARE(c.attempts.size(), size_t(3));
    QCOMPARE(c.attempts[2].correct, 48);

    // Once another row was added behind it, the replacement is appended instead.
    ReceiveHistory other(path);
    QVERIFY(other.append(attempt(10, QStringLiteral("T"))));
    QVERIFY(history.replaceLast(attempt(20, QStringLiteral("M"))));
    c = history.read();
    QCOMPARE(c.attempts.size(), size_t(5));
    QCOMPARE(c.attempts[3].characters, QStringLiteral("T"));
    QCOMPARE(c.attempts[4].characters, QStringLiteral("M"));
    qunsetenv("XDG_DATA_HOME");
}

void ReceiveHistoryTest::failures()
{
    QTemporaryDir dir;
    // A file where the folder should be: no one, root included, can make the folder.
    QVERIFY(testfiles::writeFile(dir.filePath(QStringLiteral("blocked")), "x"));
    ReceiveHistory blocked(dir.filePath(QStringLiteral("blocked/modtagetraening.csv")));
    QVERIFY(!blocked.append(attempt(40, QStringLiteral("A"))));
    QVERIFY(!blocked.replaceLast(attempt(40, QStringLiteral("A"))));
    QCOMPARE(testfiles::readAll(dir.filePath(QStringLiteral("blocked"))), QByteArray("x"));
    QVERIFY(blocked.read().readable);   // nothing there: an empty history
    QCOMPARE(blocked.read().attempts.size(), size_t(0));

    // A folder where the file should be: it cannot be read, and nothing replaces it.
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder.csv/inside")));
    ReceiveHistory folder(dir.filePath(QStringLiteral("folder.csv")));
    QVERIFY(!folder.read().readable);
    QVERIFY(!folder.append(attempt(40, QStringLiteral("A"))));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder.csv/inside"))).isDir());
}

// A file from before the conditions column: its header and rows still read, and a
// new row with conditions goes behind them.
void ReceiveHistoryTest::olderFileWithoutConditions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.csv"));
    QVERIFY(testfiles::writeFile(path, "tidspunkt,wpm,farnsworth,tegn_pr_minut,sendt,rigtige,forkerte,"
                                       "manglende,ekstra,noejagtighed_pct,tegn\n"
                                       "2026-03-01T20:15:07,20,3,73,50,40,1,9,2,76.9,ABC\n"));
    ReceiveHistory history(path);
    Attempt heard = attempt(45, QStringLiteral("E"));
    heard.conditions = QStringLiteral("--snr -3 --filter 250 --qrm 2 --seed 18446744073709551615");
    QVERIFY(history.append(heard));
    const ReceiveHistory::Contents c = history.read();
    QCOMPARE(c.skipped, 0);
    QCOMPARE(c.attempts.size(), size_t(2));
    QCOMPARE(c.attempts[0].characters, QStringLiteral("ABC"));
    QCOMPARE(c.attempts[0].conditions, QString());
    QCOMPARE(c.attempts[1].conditions, heard.conditions);
}

QTEST_GUILESS_MAIN(ReceiveHistoryTest)
#include "tst_receivehistory.moc"
