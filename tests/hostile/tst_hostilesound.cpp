// The installed program under X when its sound server is missing at start-up, dies
// while it sends or dies while it is idle: the first "&TX" once the server is back
// plays. It runs a PulseAudio server of its own, started late and killed on
// purpose, so no other test's server is touched. Needs a display (scripts/test
// starts Xvfb), xdotool, pulseaudio and parec.

#include "support/CiSkip.h"
#include "support/PrivateSoundServer.h"
#include "support/SoundCapture.h"
#include "support/TestFiles.h"
#include "support/XDriver.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace soundtest;
using namespace xdriver;

namespace {

const QString kTitle = QStringLiteral("Telvok's Morsetræningsprogram");
constexpr int kReconnectMs = 20000;     // "&TX" is retried this long once the server is up (a
                                        // refusal is counted, and fails the test)
const char kSink[] = "telvok_hostile_null";

} // namespace

class HostileSoundTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void noServerAtStart();
    void serverKilledWhileSending();

private:
    void startProgram();
    // The main window's id, once it alone is shown.
    QString mainWindow();
    // Waits for a message box beside main; dismisses it with Enter. Its count.
    int dismissMessages(const QString &main, int waitMs);
    // Presses "&TX" until sound reaches the capture, which it starts; no message box
    // may come in between (the sound layer not reconnected yet). Empty when heard;
    // otherwise what went wrong.
    QString sendUntilHeard(const QString &main, Capture &capture);
    // The same with a capture of its own, which listens on for listenMs.
    QString heardAgain(const QString &main, int listenMs);
    // Escape stops the sending, and no message follows.
    void stopQuietly(const QString &main);
    void saveAndCheck(const QString &main, const QString &name, const QByteArray &expected);

    PrivateSoundServer m_server{kSink};
    QTemporaryDir m_home;
    QProcess m_program;
    QElapsedTimer m_clock;
};

void HostileSoundTest::initTestCase()
{
    m_clock.start();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        SKIP_UNLESS_CI("no X display: run through scripts/test, which starts Xvfb");
    for (const char *tool : {"xdotool", "pulseaudio", "parec", "pactl"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            SKIP_UNLESS_CI("xdotool, pulseaudio, parec and pactl are needed");
    }
    QVERIFY(m_home.isValid());
    // This process, its helpers and the program all use this private server only.
    QVERIFY(m_server.configure());
}

void HostileSoundTest::cleanup()
{
    killProgram(m_program);
    m_server.stop(true);
}

void HostileSoundTest::startProgram()
{
    QVERIFY(startOnDisplay(m_program, QStringLiteral(TELVOK_CW), m_home.path()));
}

QString HostileSoundTest::mainWindow()
{
    QStringList found;
    return QTest::qWaitFor([&] { return !(found = windows(kTitle)).isEmpty(); }, 15000) ? found.value(0)
                                                                                         : QString();
}

int HostileSoundTest::dismissMessages(const QString &main, int waitMs)
{
    int count = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < waitMs) {
        const QStringList shown = windows(kTitle);
        for (const QString &id : shown) {
            if (id == main)
                continue;
            ++count;
            keys(id, {QStringLiteral("Return")});
            if (!QTest::qWaitFor([&] { return !windows(kTitle).contains(id); }, 3000))
                qWarning("message box %s did not close on Enter", qPrintable(id));
        }
        QTest::qWait(100);
    }
    return count;
}

QString HostileSoundTest::sendUntilHeard(const QString &main, Capture &capture)
{
    if (!capture.start())
        return QStringLiteral("parec does not deliver the null sink's monitor");
    int refused = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kReconnectMs) {
        const qint64 before = capture.sampleCount();
        keys(main, {QStringLiteral("alt+t")});
        if (QTest::qWaitFor([&] { return capture.firstSound(before) >= 0 || windows(kTitle).size() > 1; }, 5000)
            && capture.firstSound(before) >= 0)
            return refused == 0 ? QString() : QStringLiteral("%1 refusals before the sound came").arg(refused);
        refused += dismissMessages(main, 500);
        QTest::qWait(1000);
    }
    return QStringLiteral("no sound within %1 ms").arg(kReconnectMs);
}

QString HostileSoundTest::heardAgain(const QString &main, int listenMs)
{
    Capture capture(m_clock);
    const QString problem = sendUntilHeard(main, capture);
    QTest::qWait(listenMs);
    return problem;
}

void HostileSoundTest::stopQuietly(const QString &main)
{
    keys(main, {QStringLiteral("Escape")});
    QTest::qWait(500);
    QCOMPARE(dismissMessages(main, 500), 0);
}

void HostileSoundTest::saveAndCheck(const QString &main, const QString &name, const QByteArray &expected)
{
    // "Filer > Gem som...": the dialog opens only once the menus are back on (plain
    // "Gem" would save silently to the file named before).
    const QString saved = m_home.filePath(name);
    const QString problem = saveAs(main, {QStringLiteral("alt+f"), QStringLiteral("m")}, saved);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(testfiles::readAll(saved), expected);
}

void HostileSoundTest::noServerAtStart()
{
    // No server answers at the socket when the program starts.
    startProgram();
    const QString main = mainWindow();
    QVERIFY2(!main.isEmpty(), "the main window did not appear");
    QCOMPARE(dismissMessages(main, 4000), 1);
    QVERIFY2(m_program.state() == QProcess::Running, "the program ended without a server");
    // The window is usable: typed text goes into the box and the menus work.
    type(main, QStringLiteral("eeee"));
    saveAndCheck(main, QStringLiteral("typed.txt"), "EEEE\r\n");
    QCOMPARE(dismissMessages(main, 500), 0);

    QVERIFY2(m_server.start(m_clock), "could not start the private PulseAudio server");
    Capture capture(m_clock);
    const QString problem = sendUntilHeard(main, capture);
    QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("after the server came up: ") + problem));
    QVERIFY(QTest::qWaitFor([&] { return capture.lastSound() >= 0 && capture.sampleCount() - capture.lastSound() > 44100; },
                            15000));
    QCOMPARE(dismissMessages(main, 500), 0);
    QVERIFY(quitThroughMenu(m_program, main));
}

void HostileSoundTest::serverKilledWhileSending()
{
    QVERIFY2(m_server.start(m_clock), "could not start the private PulseAudio server");
    startProgram();
    const QString main = mainWindow();
    QVERIFY2(!main.isEmpty(), "the main window did not appear");
    QCOMPARE(dismissMessages(main, 1500), 0);
    const QString text = QStringLiteral("paris paris paris paris paris paris paris paris");
    type(main, text);
    QString problem = heardAgain(main, 1000);
    QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("with the server up: ") + problem));
    // Twice, as with a laptop suspended and resumed: the server dies mid-text (one
    // message, the transmission over, the text whole), stays away for 5 s and comes
    // back; then the first "&TX" sends again.
    for (int outage = 1; outage <= 2; ++outage) {
        m_server.stop(true);
        QElapsedTimer shown;
        shown.start();
        QVERIFY2(QTest::qWaitFor([&] { return windows(kTitle).size() > 1; }, 10000),
                 "no message after the server died");
        qInfo("outage %d: message %lld ms after the server was killed", outage, shown.elapsed());
        QCOMPARE(dismissMessages(main, 3000), 1);
        QVERIFY(m_program.state() == QProcess::Running);
        saveAndCheck(main, QStringLiteral("after-kill-%1.txt").arg(outage),
                     text.toUpper().toLatin1() + "\r\n");

        if (shown.elapsed() < 5000)
            QTest::qWait(int(5000 - shown.elapsed()));
        QVERIFY2(m_server.start(m_clock), "could not restart the private PulseAudio server");
        problem = heardAgain(main, 1000);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("after the server came back: ") + problem));
    }
    stopQuietly(main);

    // Killed while idle and up again for a while: no message comes by itself, and
    // the first "&TX" plays.
    m_server.stop(true);
    QCOMPARE(dismissMessages(main, 2000), 0);
    QVERIFY2(m_server.start(m_clock), "could not restart the private PulseAudio server");
    QTest::qWait(3000);
    problem = heardAgain(main, 500);
    QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("after an idle outage: ") + problem));
    stopQuietly(main);
    QVERIFY(quitThroughMenu(m_program, main));
}

QTEST_GUILESS_MAIN(HostileSoundTest)
#include "tst_hostilesound.moc"
