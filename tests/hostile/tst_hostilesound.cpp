// The installed program under X when its sound server is missing at start-up, dies
// while it sends or dies while it is idle: the first "&TX" once the server is back
// plays. It runs a PulseAudio server of its own, started late and killed on
// purpose, so no other test's server is touched. Needs a display (scripts/test
// starts Xvfb), xdotool, pulseaudio and parec.

#include "support/CiSkip.h"
#include "support/PrivateSoundServer.h"
#include "support/SoundCapture.h"
#include "support/XDriver.h"

#include <QFile>
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
    // Presses "&TX" until sound reaches the sink; message boxes in between (the
    // sound layer not reconnected yet) are dismissed and counted in *refused.
    bool sendUntilHeard(const QString &main, Capture &capture, int *refused);
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
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
    m_server.stop(true);
}

void HostileSoundTest::startProgram()
{
    QVERIFY(startOnDisplay(m_program, QStringLiteral(TELVOK_CW), m_home.path()));
}

QString HostileSoundTest::mainWindow()
{
    QStringList found;
    waitFor([&] { return !(found = windows(kTitle)).isEmpty(); }, 15000);
    return found.value(0);
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
            waitFor([&] { return !windows(kTitle).contains(id); }, 3000);
        }
        spin(100);
    }
    return count;
}

bool HostileSoundTest::sendUntilHeard(const QString &main, Capture &capture, int *refused)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kReconnectMs) {
        const qint64 before = capture.sampleCount();
        keys(main, {QStringLiteral("alt+t")});
        if (waitFor([&] { return capture.firstSound(before) >= 0 || windows(kTitle).size() > 1; }, 5000)
            && capture.firstSound(before) >= 0)
            return true;
        *refused += dismissMessages(main, 500);
        spin(1000);
    }
    return false;
}

void HostileSoundTest::saveAndCheck(const QString &main, const QString &name, const QByteArray &expected)
{
    const QString saved = m_home.filePath(name);
    // "Filer > Gem som...": the dialog opens only once the menus are back on (plain
    // "Gem" would save silently to the file named before).
    keys(main, {QStringLiteral("alt+f"), QStringLiteral("m")});
    QStringList dialog;
    QVERIFY2(waitFor([&] { return !(dialog = windows(QStringLiteral("Gem som"))).isEmpty(); }, 5000),
             "the save dialog did not open: the menus are still off");
    type(dialog.value(0), saved);
    keys(dialog.value(0), {QStringLiteral("Return")});
    QVERIFY(waitFor([&] { return QFile::exists(saved); }, 5000));
    spin(200);
    QFile f(saved);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), expected);
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
    QVERIFY2(capture.start(), "parec does not deliver the null sink's monitor");
    int refused = 0;
    QVERIFY2(sendUntilHeard(main, capture, &refused), "no sound after the server came up");
    QCOMPARE(refused, 0);
    QVERIFY(waitFor([&] { return capture.lastSound() >= 0 && capture.sampleCount() - capture.lastSound() > 44100; },
                    15000));
    QCOMPARE(dismissMessages(main, 500), 0);
    keys(main, {QStringLiteral("alt+f")});
    keys(main, {QStringLiteral("a")});
    QVERIFY(waitFor([&] { return m_program.state() == QProcess::NotRunning; }, 15000));
    QCOMPARE(m_program.exitCode(), 0);
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
    {
        Capture capture(m_clock);
        QVERIFY(capture.start());
        int refused = 0;
        QVERIFY2(sendUntilHeard(main, capture, &refused), "no sound with the server up");
        QCOMPARE(refused, 0);
        spin(1000);
    }
    // Twice, as with a laptop suspended and resumed: the server dies mid-text (one
    // message, the transmission over, the text whole), stays away for 5 s and comes
    // back; then the first "&TX" sends again.
    for (int outage = 1; outage <= 2; ++outage) {
        m_server.stop(true);
        QElapsedTimer shown;
        shown.start();
        QVERIFY2(waitFor([&] { return windows(kTitle).size() > 1; }, 10000),
                 "no message after the server died");
        qInfo("outage %d: message %lld ms after the server was killed", outage, shown.elapsed());
        QCOMPARE(dismissMessages(main, 3000), 1);
        QVERIFY(m_program.state() == QProcess::Running);
        saveAndCheck(main, QStringLiteral("after-kill-%1.txt").arg(outage),
                     text.toUpper().toLatin1() + "\r\n");

        if (shown.elapsed() < 5000)
            spin(int(5000 - shown.elapsed()));
        QVERIFY2(m_server.start(m_clock), "could not restart the private PulseAudio server");
        Capture capture(m_clock);
        QVERIFY(capture.start());
        int refused = 0;
        QVERIFY2(sendUntilHeard(main, capture, &refused), "no sound after the server came back");
        QCOMPARE(refused, 0);
        spin(1000);
    }
    keys(main, {QStringLiteral("Escape")});
    spin(500);
    QCOMPARE(dismissMessages(main, 500), 0);

    // Killed while idle and up again for a while: no message comes by itself, and
    // the first "&TX" plays.
    m_server.stop(true);
    QCOMPARE(dismissMessages(main, 2000), 0);
    QVERIFY2(m_server.start(m_clock), "could not restart the private PulseAudio server");
    spin(3000);
    {
        Capture capture(m_clock);
        QVERIFY(capture.start());
        int refused = 0;
        QVERIFY2(sendUntilHeard(main, capture, &refused), "no sound after an idle outage");
        QCOMPARE(refused, 0);
        spin(500);
    }
    keys(main, {QStringLiteral("Escape")});
    spin(500);
    QCOMPARE(dismissMessages(main, 500), 0);
    keys(main, {QStringLiteral("alt+f")});
    keys(main, {QStringLiteral("a")});
    QVERIFY(waitFor([&] { return m_program.state() == QProcess::NotRunning; }, 15000));
    QCOMPARE(m_program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(HostileSoundTest)
#include "tst_hostilesound.moc"
