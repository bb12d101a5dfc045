// The history file of the receiving practice: rows appended and read back, the last
// one replaced, damaged rows skipped, and what cannot be read or written.

#include "support/TestFiles.h"
#include "exercises/ReceiveHistory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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
    void failures_data();
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

void ReceiveHistoryTest::failures_data()
{
    // What may lie where the history should be. None of it may block the window,
    // fill its memory or be replaced by a history.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("readable");   // read as an empty history
    QTest::addColumn<bool>("appends");    // a row is added all the same
    QTest::newRow("file where the folder should be") << "blocked" << true << false;
    QTest::newRow("folder") << "folder" << false << false;
#ifdef Q_OS_UNIX
    QTest::newRow("FIFO nobody writes") << "fifo" << false << false;
    QTest::newRow("link to an endless device") << "zero" << false << false;
#endif
    QTest::newRow("one byte over the limit") << "large" << false << true;
}

void ReceiveHistoryTest::failures()
{
    QFETCH(QString, kind);
    QFETCH(bool, readable);
    QFETCH(bool, appends);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("modtagetraening.csv"));
    if (kind == QLatin1String("blocked")) {
        // No one, root included, can make a folder where a file is.
        QVERIFY(testfiles::writeFile(dir.filePath(QStringLiteral("blocked")), "x"));
        path = dir.filePath(QStringLiteral("blocked/modtagetraening.csv"));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("modtagetraening.csv/inside")));
#ifdef Q_OS_UNIX
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
#endif
    } else if (kind == QLatin1String("large")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(ReceiveHistory::kMaxBytes + 1));
    }
    const QFileInfo before(path);

    QElapsedTimer clock;
    clock.start();
    ReceiveHistory history(path);
    const ReceiveHistory::Contents c = history.read();
    QCOMPARE(c.readable, readable);
    QCOMPARE(c.attempts.size(), size_t(0));
    QCOMPARE(bool(history.append(attempt(40, QStringLiteral("A")))), appends);
    QCOMPARE(bool(history.replaceLast(attempt(41, QStringLiteral("A")))), appends);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));

    const QFileInfo after(path);
    QCOMPARE(after.isDir(), before.isDir());
    QCOMPARE(after.isSymLink(), before.isSymLink());
    if (!appends)
        QCOMPARE(after.size(), before.size());
    if (kind == QLatin1String("blocked"))
        QCOMPARE(testfiles::readAll(dir.filePath(QStringLiteral("blocked"))), QByteArray("x"));
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
