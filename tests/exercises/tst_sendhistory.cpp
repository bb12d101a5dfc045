// The sending history: rows written beside the receiving history and read back,
// damaged and cut-off rows skipped, a folder that cannot be written reported.

#include "support/TestFiles.h"
#include "exercises/SendHistory.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace keying;

class SendHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
};

void SendHistoryTest::rows_data()
{
    QTest::addColumn<QByteArray>("before");     // the file's bytes before one append
    QTest::addColumn<bool>("writable");
    QTest::addColumn<int>("attempts");          // read back after the append
    QTest::addColumn<int>("skipped");

    const QByteArray header = SendHistory::header().toUtf8() + '\n';
    const QByteArray good = "2026-12-09T20:00:00,25,ultimatic,10,9,1,0,0,90.0,24.3,87\n";
    QTest::newRow("a new file gets its header") << QByteArray() << true << 1 << 0;
    QTest::newRow("appended behind a row") << header + good << true << 2 << 0;
    QTest::newRow("damaged rows skipped")
        << header + good + "kaput,1\n" + "2026-12-09T20:00:00,25,vinkel,10,9,1,0,0,90.0,24.3,87\n"
               + "2026-12-09T20:00:00,25,ultimatic,10,9,1,0,0,190.0,24.3,87\n"
        << true << 2 << 3;
    QTest::newRow("a cut-off last row keeps its own line")
        << header + good + "2026-12-09T20:01:00,25,iambisk_a,10" << true << 2 << 1;
    QTest::newRow("a folder that cannot be written") << QByteArray() << false << 0 << 0;
}

void SendHistoryTest::rows()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, writable);
    QFETCH(int, attempts);
    QFETCH(int, skipped);

    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    QCOMPARE(SendHistory::defaultPath(),
             dir.path() + QStringLiteral("/Telvok's Morsetræningsprogram/sendetraening.csv"));
    const QString path = writable ? SendHistory::defaultPath()
                                  : dir.path() + QStringLiteral("/a file/sendetraening.csv");
    if (!writable)
        QVERIFY(testfiles::writeFile(dir.path() + QStringLiteral("/a file"), "not a folder"));
    if (!before.isEmpty()) {
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(testfiles::writeFile(path, before));
    }

    SendAttempt a;
    a.when = QDateTime(QDate(2026, 12, 9), QTime(20, 15, 7));
    a.wpm = 30;
    a.mode = KeyerMode::SingleDot;
    a.sent = 20;
    a.correct = 18;
    a.wrong = 1;
    a.missing = 1;
    a.extra = 2;
    a.accuracy = 81.8;
    a.keyedWpm = 28.44;
    a.fistScore = 76;
    SendHistory history(path);
    QCOMPARE(history.append(a), writable);

    const SendHistory::Contents c = history.read();
    QVERIFY(c.readable);
    QCOMPARE(int(c.attempts.size()), attempts);
    QCOMPARE(c.skipped, skipped);
    if (!writable)
        return;
    QVERIFY(testfiles::readAll(path).startsWith(SendHistory::header().toUtf8() + '\n'));
    const SendAttempt &back = c.attempts.back();
    QCOMPARE(back.when, a.when);
    QCOMPARE(back.mode, KeyerMode::SingleDot);
    QCOMPARE(back.extra, 2);
    QCOMPARE(back.accuracy, 81.8);
    QCOMPARE(back.keyedWpm, 28.4);
    QCOMPARE(back.fistScore, 76);
}

QTEST_APPLESS_MAIN(SendHistoryTest)
#include "tst_sendhistory.moc"
