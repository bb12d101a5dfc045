// The real sound device when the sound server dies: the transmission must end
// with failed(), nothing may hang, and once the server is back a new open() and a
// send must work. Runs its own PulseAudio server (it kills it), so it disturbs no
// other test; it needs the pulseaudio and parec programs and fails without them.

#include "SoundCapture.h"
#include "engine/Morse.h"
#include "engine/sound_device/QtSoundDevice.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace soundtest;

namespace {

constexpr int kServerStartMs = 10000;   // the server must answer pactl by then
constexpr int kReconnectMs = 20000;     // Qt retries a lost server every 3 s

const char kSink[] = "telvok_failure_null";

} // namespace

class QtSoundDeviceFailureTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void serverDies_data();
    void serverDies();

private:
    bool startServer();
    void killServer(bool hard);

    QTemporaryDir m_dir;
    QProcess m_server;
    std::unique_ptr<Capture> m_keepReading;     // the null sink stalls when nobody reads it
    QElapsedTimer m_clock;
};

bool QtSoundDeviceFailureTest::startServer()
{
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.setStandardOutputFile(m_dir.filePath(QStringLiteral("pulse.log")), QIODevice::Append);
    m_server.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit"),
                    QStringLiteral("--system=false"), QStringLiteral("--realtime=no"),
                    QStringLiteral("--use-pid-file=no"), QStringLiteral("-F"),
                    m_dir.filePath(QStringLiteral("default.pa"))});
    if (!m_server.waitForStarted(kServerStartMs))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kServerStartMs) {
        if (serverProblem().isEmpty()) {
            m_keepReading = std::make_unique<Capture>(m_clock);
            return m_keepReading->start();
        }
        if (m_server.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(100);
    }
    return false;
}

void QtSoundDeviceFailureTest::killServer(bool hard)
{
    m_keepReading.reset();
    if (hard)
        m_server.kill();
    else
        m_server.terminate();
    m_server.waitForFinished(5000);
}

void QtSoundDeviceFailureTest::initTestCase()
{
    m_clock.start();
    QVERIFY(m_dir.isValid());
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(m_dir.path()).mkpath(QStringLiteral("state"));
    QFile config(m_dir.filePath(QStringLiteral("default.pa")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral(
                     "load-module module-native-protocol-unix auth-anonymous=1 auth-cookie-enabled=0 socket=%1\n"
                     "load-module module-null-sink sink_name=%2 format=s16le rate=44100 channels=1\n"
                     "set-default-sink %2\n")
                     .arg(m_dir.filePath(QStringLiteral("native")), QLatin1String(kSink))
                     .toUtf8());
    config.close();
    // Before anything touches Qt Multimedia: this process, its parec and its
    // server all use the private server only.
    qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
    qputenv("PULSE_RUNTIME_PATH", m_dir.path().toLocal8Bit());
    qputenv("PULSE_STATE_PATH", m_dir.filePath(QStringLiteral("state")).toLocal8Bit());
    qputenv("PULSE_COOKIE", m_dir.filePath(QStringLiteral("cookie")).toLocal8Bit());
    qputenv("PULSE_SERVER", ("unix:" + m_dir.filePath(QStringLiteral("native"))).toLocal8Bit());
    qputenv("TELVOK_SINK", kSink);
    if (!startServer()) {
        QFile log(m_dir.filePath(QStringLiteral("pulse.log")));
        log.open(QIODevice::ReadOnly);
        QFAIL(qPrintable(QStringLiteral("could not start a private PulseAudio server: ")
                         + QString::fromLocal8Bit(log.readAll())));
    }
}

void QtSoundDeviceFailureTest::cleanupTestCase()
{
    killServer(false);
}

void QtSoundDeviceFailureTest::serverDies_data()
{
    QTest::addColumn<bool>("hard");
    QTest::addColumn<bool>("whilePlaying");
    QTest::newRow("killed while sending") << true << true;
    QTest::newRow("terminated while sending") << false << true;
    QTest::newRow("killed while idle, then send") << true << false;
}

void QtSoundDeviceFailureTest::serverDies()
{
    QFETCH(bool, hard);
    QFETCH(bool, whilePlaying);
    Settings settings;
    settings.giWPM = 25;
    settings.giTone = 750;
    settings.glVolume = 10000;
    auto *device = new QtSoundDevice;
    Morse morse(settings, std::unique_ptr<SoundDevice>(device));
    int failures = 0;
    int ended = 0;
    morse.deviceFailed = [&] { ++failures; };
    morse.transmissionEnded = [&] { ++ended; };
    QVERIFY2(morse.LavLyd(), qPrintable(morse.errorString()));

    morse.gsCWTekst = QStringLiteral("CQ CQ CQ DE OZ1ABC OZ1ABC K ");
    if (whilePlaying) {
        QVERIFY(morse.StartSending());
        spin(700);
        QVERIFY(morse.isSending());
        killServer(hard);
    } else {
        killServer(hard);
        spin(200);
        QVERIFY(morse.StartSending());
    }
    QVERIFY2(waitFor([&] { return failures > 0; }, 5000), "failed() never came");
    QCOMPARE(failures, 1);
    QCOMPARE(ended, 0);
    QVERIFY(!morse.isSending());
    QVERIFY(!morse.hasBuffer());
    QVERIFY(!device->errorString().isEmpty());

    // Without a server the device does not open, and says why, without hanging.
    QElapsedTimer openTime;
    openTime.start();
    QVERIFY(!morse.LavLyd());
    QVERIFY(!morse.errorString().isEmpty());
    QVERIFY2(openTime.elapsed() < 6000, qPrintable(QString::number(openTime.elapsed())));
    QVERIFY(!morse.StartSending());

    // The server comes back: a new open() works once Qt has reconnected.
    QVERIFY(startServer());
    QElapsedTimer reconnect;
    reconnect.start();
    bool reopened = false;
    while (!reopened && reconnect.elapsed() < kReconnectMs) {
        reopened = morse.LavLyd();
        if (!reopened)
            spin(250);
    }
    QVERIFY2(reopened, qPrintable(morse.errorString()));
    const QString text = QStringLiteral("TEST ");
    const std::vector<std::int16_t> ref = reference(settings, text);
    Capture capture(m_clock);
    QVERIFY(capture.start());
    morse.gsCWTekst = text;
    QVERIFY(morse.StartSending());
    QVERIFY2(waitFor([&] { return ended > 0 || failures > 1; }, 5000), "the new send never ended");
    spin(200);
    capture.stop();
    QCOMPARE(failures, 1);
    QCOMPARE(ended, 1);
    const Match m = locate(capture.samples(), ref);
    QVERIFY2(m.found, "nothing heard after the restart");
    QCOMPARE(m.matched, qint64(ref.size()) - m.firstSound);
    QCOMPARE(m.noiseAfter, qint64(0));
}

QTEST_GUILESS_MAIN(QtSoundDeviceFailureTest)
#include "tst_qtsounddevice_failure.moc"
