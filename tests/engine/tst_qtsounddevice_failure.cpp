// The real sound device when the sound server dies: the transmission must end
// with failed(), nothing may hang, and once the server is back a new open() and a
// send must work. Runs its own PulseAudio server (it kills it), so it disturbs no
// other test; it needs the pulseaudio and parec programs and fails without them.

#include "PrivateSoundServer.h"
#include "SoundCapture.h"
#include "SoundTestMain.h"
#include "engine/Morse.h"
#include "engine/sound_device/QtSoundDevice.h"

#include <QTest>

using namespace soundtest;

namespace {

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
    PrivateSoundServer m_server{kSink};
    QElapsedTimer m_clock;
};

void QtSoundDeviceFailureTest::initTestCase()
{
    m_clock.start();
    // Before anything touches Qt Multimedia: this process, its parec and its
    // server all use the private server only.
    QVERIFY(m_server.configure());
    if (!m_server.start(m_clock))
        QFAIL(qPrintable(QStringLiteral("could not start a private PulseAudio server: ")
                         + m_server.log()));
}

void QtSoundDeviceFailureTest::cleanupTestCase()
{
    m_server.stop(false);
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
        m_server.stop(hard);
    } else {
        m_server.stop(hard);
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
    QVERIFY(m_server.start(m_clock));
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

TELVOK_SOUND_TEST_MAIN(QtSoundDeviceFailureTest)
#include "tst_qtsounddevice_failure.moc"
