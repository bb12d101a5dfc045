// The receiving practice as a person uses it, under Xvfb with the private sound
// server: groups generated, sent into the null sink while the copy is typed with
// xdotool, scored into the history file, and the errors practised.

#include "support/CiSkip.h"
#include "support/SoundCapture.h"
#include "support/TestFiles.h"
#include "support/XDriver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace soundtest;
using namespace xdriver;

namespace {
const QString kTitle = QStringLiteral("Telvok's Morsetræningsprogram");
const QString kWindow = QStringLiteral("Modtagetræning");
}

class ReceiveEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void copyScoredAndPractised();
    void cleanupTestCase();

private:
    QTemporaryDir m_home;
    QProcess m_program;
    Screenshots m_shots{QStringLiteral(E2E_SHOT_DIR), QStringLiteral("receive-")};
};

void ReceiveEndToEndTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        SKIP_UNLESS_CI("no X display: run through scripts/test, which starts Xvfb");
    if (!serverProblem().isEmpty())
        SKIP_UNLESS_CI("no private sound server: run through scripts/test");
    QVERIFY(m_home.isValid());
}

void ReceiveEndToEndTest::cleanupTestCase()
{
    killProgram(m_program);
}

void ReceiveEndToEndTest::copyScoredAndPractised()
{
    QElapsedTimer clock;
    clock.start();
    Capture capture(clock);
    QVERIFY2(capture.start(), "parec does not deliver the null sink's monitor");

    // The history goes to the data folder, here inside the scratch home.
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
    const QString csv = m_home.filePath(QStringLiteral("data/Telvok's Morsetræningsprogram/modtagetraening.csv"));
    QVERIFY(startOnDisplay(m_program, QStringLiteral(TELVOK_CW), m_home.path()));
    const QString main = findWindow(kTitle);
    QVERIFY2(!main.isEmpty(), "the main window did not appear");

    // Two groups of E: "<KA><KA><KA>", two lines, "EEEEE EEEEE", "<AR>".
    keys(main, {QStringLiteral("alt+k"), QStringLiteral("5")});
    const QString groups = findWindow(QStringLiteral("Dan 5-bogstavsgrupper"), 5000);
    QVERIFY2(!groups.isEmpty(), "the group window did not open");
    keys(groups, {QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("End"),
                  QStringLiteral("BackSpace"), QStringLiteral("BackSpace")});
    type(groups, QStringLiteral("2\te"));
    keys(groups, {QStringLiteral("Return")});
    QVERIFY(QTest::qWaitFor([&] { return findWindow(QStringLiteral("Dan 5-bogstavsgrupper"), 100).isEmpty(); }, 5000));

    keys(main, {QStringLiteral("alt+k"), QStringLiteral("m")});
    const QString receive = findWindow(kWindow, 5000);
    QVERIFY2(!receive.isEmpty(), "the receiving practice did not open");
    m_shots.take(QStringLiteral("opened"));

    // Start is the default button; the copy box has the focus while the text plays.
    const qint64 before = capture.sampleCount();
    keys(receive, {QStringLiteral("Return")});
    type(receive, QStringLiteral("<ka><ka><ka> eeeee eetee"));
    QVERIFY2(QTest::qWaitFor([&] { return capture.firstSound(before) >= 0; }, 5000), "no sound reached the sink");
    m_shots.take(QStringLiteral("sending"));
    QVERIFY2(!QFile::exists(csv), "scored before the sending ended");

    // Played out: scored at once. 14 characters sent (the prosigns one each), one
    // taken for a T, "<AR>" not copied.
    QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(csv); }, 30000), "no history row after the sending");
    m_shots.take(QStringLiteral("scored"));
    const QList<QByteArray> rows = testfiles::readAll(csv).split('\n');
    QCOMPARE(rows.size(), 3);   // header, the attempt, the empty rest after its line end
    QVERIFY(rows[0].startsWith("tidspunkt,wpm,"));
    const QList<QByteArray> f = rows[1].split(',');
    QCOMPARE(f.size(), 12);   // the last one, the band conditions, empty: clean
    QCOMPARE(f.mid(4).join(','), QByteArray("14,12,1,1,0,85.7,E<AR><KA>,"));

    keys(receive, {QStringLiteral("alt+h")});
    m_shots.take(QStringLiteral("history"));

    // "Øv fejlene": two groups of the wrong character, handed to the main window.
    keys(receive, {QStringLiteral("alt+oslash")});
    QVERIFY(QTest::qWaitFor([&] { return findWindow(kWindow, 100).isEmpty(); }, 5000));
    const QString saved = m_home.filePath(QStringLiteral("fejl.txt"));
    const QString problem = saveAs(main, {QStringLiteral("ctrl+s")}, saved);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(testfiles::readAll(saved), QByteArray("<KA><KA><KA>\r\n\r\nEEEEE EEEEE \r\n<AR>\r\n"));

    QVERIFY2(quitThroughMenu(m_program, main), "the program did not exit with status 0");
    capture.stop();
}

QTEST_GUILESS_MAIN(ReceiveEndToEndTest)
#include "tst_receive.moc"
