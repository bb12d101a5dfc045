// The real sound device when the sound server is missing or dies: the device says
// so (while sending: failed(), the transmission over), nothing hangs, and the first
// open() once the server is back works and plays. Runs its own PulseAudio server
// (it kills it), so it disturbs no other test; it needs pulseaudio and parec.

#include "support/PrivateSoundServer.h"
#include "support/SoundCapture.h"
#include "engine/Morse.h"
#include "PulseSoundDevice.h"

#include <QTest>

using namespace soundtest;

namespace {

const char kSink[] = "telvok_failure_null";

} // namespace

class PulseSoundDeviceFailureTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void serverGoneAndBack_data();
    void serverGoneAndBack();

private:
    PrivateSoundServer m_server{kSink};
    QElapsedTimer m_clock;
};

void PulseSoundDeviceFailureTest::initTestCase()
{
    m_clock.start();
    // This process, its parec and its server all use the private server only.
    QVERIFY(m_server.configure());
    if (!m_server.start(m_clock))
        QFAIL(qPrintable(QStringLiteral("could not start a private PulseAudio server: ")
                         + m_server.log()));
}

void PulseSoundDeviceFailureTest::cleanupTestCase()
{
    m_server.stop(false);
}

void PulseSoundDeviceFailureTest::serverGoneAndBack_data()
{
    QTest::addColumn<QString>("when");      // "start", "sending" or "idle"
    QTest::addColumn<bool>("hard");         // killed, or asked to end
    QTest::addColumn<int>("downMs");        // how long the server stays away
    QTest::newRow("missing at start") << QStringLiteral("start") << true << 1000;
    QTest::newRow("killed while sending, back after 1 s") << QStringLiteral("sending") << true << 1000;
    QTest::newRow("terminated while sending") << QStringLiteral("sending") << false << 1000;
    QTest::newRow("killed while sending, back after 10 s") << QStringLiteral("sending") << true << 10000;
    QTest::newRow("killed while idle, back after 1 s") << QStringLiteral("idle") << true << 1000;
    QTest::newRow("killed while idle, back after 10 s") << QStringLiteral("idle") << true << 10000;
}

void PulseSoundDeviceFailureTest::serverGoneAndBack()
{
    QFETCH(QString, when);
    QFETCH(bool, hard);
    QFETCH(int, downMs);
    const Settings settings = soundSettings(25, 750, 10000, 0);
    Settings engineSettings = settings;
    auto *device = new PulseSoundDevice;
    Morse morse(engineSettings, std::unique_ptr<SoundDevice>(device));
    int failures = 0;
    int ended = 0;
    morse.deviceFailed = [&] { ++failures; };
    morse.transmissionEnded = [&] { ++ended; };

    QElapsedTimer down;
    if (when == QLatin1String("start")) {
        m_server.stop(hard);
        down.start();
    } else {
        QVERIFY2(morse.LavLyd(), errorName(morse.error()));
        morse.setText(QStringLiteral("CQ CQ CQ DE OZ1ABC OZ1ABC K "));
        if (when == QLatin1String("sending")) {
            QVERIFY(morse.StartSending());
            QTest::qWait(700);
            QVERIFY(morse.isSending());
        }
        m_server.stop(hard);
        down.start();
        // Noticed without a send: the buffer is gone; a send in progress ends with
        // one failure and no natural end.
        QVERIFY2(QTest::qWaitFor([&] { return !morse.hasBuffer(); }, 5000), "the loss went unnoticed");
        QCOMPARE(failures, when == QLatin1String("sending") ? 1 : 0);
        QCOMPARE(ended, 0);
        QVERIFY(!morse.isSending());
        QCOMPARE(device->error(), SoundError::ServerLost);
    }

    // Without a server the device does not open, says why, and does not hang.
    QElapsedTimer openTime;
    openTime.start();
    QVERIFY(!morse.LavLyd());
    QCOMPARE(morse.error(), SoundError::NoServer);
    QVERIFY2(openTime.elapsed() < 4000, qPrintable(QString::number(openTime.elapsed())));
    QVERIFY(!morse.StartSending());

    // The server comes back: the first open works, and the send is heard whole.
    if (down.elapsed() < downMs)
        QTest::qWait(int(downMs - down.elapsed()));
    QVERIFY(m_server.start(m_clock));
    QVERIFY2(morse.LavLyd(), errorName(morse.error()));
    const QString text = QStringLiteral("TEST ");
    const std::vector<std::int16_t> ref = reference(settings, text);
    Capture capture(m_clock);
    QVERIFY(capture.start());
    const int failuresBefore = failures;
    morse.setText(text);
    QVERIFY(morse.StartSending());
    QVERIFY2(QTest::qWaitFor([&] { return ended > 0 || failures > failuresBefore; }, 5000), "the new send never ended");
    QTest::qWait(200);
    capture.stop();
    QCOMPARE(failures, failuresBefore);
    QCOMPARE(ended, 1);
    const Match m = locate(capture.samples(), ref);
    QVERIFY2(m.found, "nothing heard after the restart");
    QCOMPARE(m.matched, qint64(ref.size()) - m.firstSound);
    QCOMPARE(m.noiseAfter, qint64(0));
}

QTEST_GUILESS_MAIN(PulseSoundDeviceFailureTest)
#include "tst_pulsesounddevice_failure.moc"
