// The sidetone stream on the real sound server: on the looping device's connection
// (opened or not), the keyed tone heard for as long as the key was held and soon
// after the key-down, its latency measured, and a server lost while keying said once,
// with the next start reconnecting. Runs its own PulseAudio server (it kills it).

#include "support/PrivateSoundServer.h"
#include "support/SoundCapture.h"
#include "engine/constants.h"
#include "exercises/KeyerSource.h"
#include "PulseSoundDevice.h"

#include <QTest>

using namespace soundtest;

namespace {

const char kSink[] = "telvok_sidetone_null";

// Samples from the first to the last non-silent one of the capture, or 0.
qint64 soundLength(const Capture &capture)
{
    const qint64 first = capture.firstSound();
    return first < 0 ? 0 : capture.lastSound() - first + 1;
}

} // namespace

class PulseSidetoneTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void keying_data();
    void keying();

private:
    PrivateSoundServer m_server{kSink};
    QElapsedTimer m_clock;
};

void PulseSidetoneTest::initTestCase()
{
    m_clock.start();
    QVERIFY(m_server.configure());
    if (!m_server.start(m_clock))
        QFAIL(qPrintable(QStringLiteral("could not start a private PulseAudio server: ") + m_server.log()));
}

void PulseSidetoneTest::cleanupTestCase()
{
    m_server.stop(false);
}

void PulseSidetoneTest::keying_data()
{
    QTest::addColumn<bool>("deviceOpen");   // the looping device opened first
    QTest::addColumn<bool>("killServer");   // the server dies while the key is held
    QTest::newRow("beside the open looping device") << true << false;
    QTest::newRow("the connection made by the sidetone") << false << false;
    QTest::newRow("server killed while keying, then back") << true << true;
}

void PulseSidetoneTest::keying()
{
    QFETCH(bool, deviceOpen);
    QFETCH(bool, killServer);

    PulseSoundDevice device;
    if (deviceOpen)
        QVERIFY2(device.open(morse::kBufferBytes), errorName(device.error()));
    std::unique_ptr<SidetoneStream> stream = device.makeSidetoneStream();
    QVERIFY(stream);
    int failures = 0;
    stream->failed = [&] { ++failures; };
    keying::KeyerSource source(2646, 700, 10000);
    source.setMode(keying::KeyerMode::Straight, false);
    QVERIFY2(stream->start(&source), errorName(stream->error()));
    QVERIFY(stream->isRunning());

    auto capture = std::make_unique<Capture>(m_clock);
    QVERIFY(capture->start());
    QTest::qWait(200);
    QCOMPARE(capture->firstSound(), qint64(-1));   // silence until keyed
    const qint64 downNs = m_clock.nsecsElapsed();
    source.setLevers(true, false);
    stream->refresh();
    if (killServer) {
        QTest::qWait(100);
        m_server.stop(true);
        QVERIFY2(QTest::qWaitFor([&] { return failures > 0; }, 5000), "the loss went unnoticed");
        QCOMPARE(failures, 1);
        QVERIFY(!stream->isRunning());
        QCOMPARE(stream->error(), SoundError::ServerLost);
        source.setLevers(false, false);
        QVERIFY(m_server.start(m_clock));
        QVERIFY2(stream->start(&source), errorName(stream->error()));   // reconnects
        capture = std::make_unique<Capture>(m_clock);
        QVERIFY(capture->start());
        QTest::qWait(100);
        source.setLevers(true, false);
        stream->refresh();
    }
    QTest::qWait(300);
    source.setLevers(false, false);
    stream->refresh();
    QTest::qWait(300);
    capture->stop();

    // Heard soon after the key-down (allowing for a busy machine), for as long as it was
    // held give or take the scheduling of this test, ending with its 5 ms fall.
    QVERIFY2(capture->firstSound() >= 0, "nothing heard");
    if (!killServer) {
        const double delayMs = double(capture->arrivalNs(capture->firstSound()) - downNs) / 1e6;
        QVERIFY2(delayMs < 100, qPrintable(QString::number(delayMs)));
    }
    const double heldMs = double(soundLength(*capture)) * 1000 / morse::kSampleRate;
    QVERIFY2(heldMs > 250 && heldMs < 400, qPrintable(QString::number(heldMs)));
    const int latency = stream->latencyMs();
    QVERIFY2(latency >= 0 && latency <= 50, qPrintable(QString::number(latency)));
    QCOMPARE(failures, killServer ? 1 : 0);
    stream->stop();
    QVERIFY(!stream->isRunning());
}

QTEST_GUILESS_MAIN(PulseSidetoneTest)
#include "tst_pulsesidetone.moc"
