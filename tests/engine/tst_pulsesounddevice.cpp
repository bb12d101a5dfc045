// The real sound device through the private sound server: what the engine sends
// must come out of the null sink sample for sample, from the first to the last,
// and stop, the natural end and teardown must behave; telvok-cw-send plays what it
// renders with -o and exits cleanly. Needs the server of scripts/services.sh.

#include "support/SoundCapture.h"
#include "support/TestFiles.h"
#include "engine/Morse.h"
#include "engine/constants.h"
#include "PulseSoundDevice.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace morse;
using namespace soundtest;

namespace {

std::vector<std::int16_t> tone(int samples, int period)
{
    std::vector<std::int16_t> out(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i)
        out[size_t(i)] = std::int16_t((i % period) < period / 2 ? 6000 : -6000);
    return out;
}

// An engine on the real device, with its end and failure counted.
struct Sender {
    Settings settings;
    PulseSoundDevice *device;
    Morse morse;
    int ended = 0;
    int failedCount = 0;
    qint64 endedNs = -1;
    const QElapsedTimer &clock;

    Sender(const Settings &s, const QElapsedTimer &c)
        : settings(s), device(new PulseSoundDevice), morse(settings, std::unique_ptr<SoundDevice>(device)),
          clock(c)
    {
        morse.transmissionEnded = [this] {
            ++ended;
            endedNs = clock.nsecsElapsed();
        };
        morse.deviceFailed = [this] { ++failedCount; };
    }
};

} // namespace

class PulseSoundDeviceTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sendsTextUnchanged_data();
    void sendsTextUnchanged();
    void stopMidSendIsSilentAtOnce();
    void notificationsInOrderOnOwnThread();
    void noNotificationAfterStop();
    void fiftyCyclesAndTeardown();
    void cwSendPlaysWhatItRenders_data();
    void cwSendPlaysWhatItRenders();
};

void PulseSoundDeviceTest::initTestCase()
{
    const QString problem = serverProblem();
    if (!problem.isEmpty())
        QFAIL(qPrintable(problem));
}

void PulseSoundDeviceTest::sendsTextUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("tone");
    QTest::addColumn<int>("farnsworth");
    QTest::newRow("words at 25 wpm") << QStringLiteral("PARIS CQ DE OZ") << 25 << 800 << 0;
    QTest::newRow("dashes at 40 wpm, spaced") << QStringLiteral("0O<AR>") << 40 << 600 << 3;
    QTest::newRow("one dot fits half a second") << QStringLiteral("E") << 30 << 1000 << 0;
    QTest::newRow("empty text is silence") << QString() << 20 << 800 << 0;
    // Texts that end within the first half: the end comes when that half is heard.
    QTest::newRow("T, 6 E, 0 at 150 wpm") << QStringLiteral("TEEEEEE0") << 150 << 700 << 0;
    QTest::newRow("T, 33 E, 0 at 400 wpm") << QStringLiteral("T") + QString(33, u'E') + u'0' << 400 << 700 << 0;
    QTest::newRow("a text that starts with a dash at 60 wpm") << QStringLiteral("TE") << 60 << 900 << 0;
}

void PulseSoundDeviceTest::sendsTextUnchanged()
{
    QFETCH(QString, text);
    QFETCH(int, wpm);
    QFETCH(int, tone);
    QFETCH(int, farnsworth);
    const Settings settings = soundSettings(wpm, tone, 12000, farnsworth);
    const std::vector<std::int16_t> ref = reference(settings, text + QLatin1Char(' '));
    QVERIFY(!ref.empty());

    QElapsedTimer clock;
    clock.start();
    Capture capture(clock);
    QVERIFY2(capture.start(), "parec did not deliver from the sink monitor");
    Sender sender(settings, clock);
    QVERIFY2(sender.morse.LavLyd(), errorName(sender.morse.error()));
    int playedOut = 0;
    sender.device->playedOut = [&playedOut, engine = sender.device->playedOut] {
        ++playedOut;
        engine();
    };
    sender.morse.setText(text + QLatin1Char(' '));
    const qint64 startNs = clock.nsecsElapsed();
    QVERIFY(sender.morse.StartSending());
    const int playMs = int(ref.size() * 1000 / kSampleRate);
    QVERIFY2(waitFor([&] { return sender.ended > 0; }, playMs + 3000), "the transmission never ended");
    spin(300);
    capture.stop();
    QCOMPARE(sender.ended, 1);
    QCOMPARE(sender.failedCount, 0);
    QVERIFY(!sender.morse.isSending());
    QCOMPARE(sender.device->underruns(), 0);

    const std::vector<std::int16_t> got = capture.samples();
    const Match m = locate(got, ref);
    if (std::all_of(ref.begin(), ref.end(), [](std::int16_t v) { return v == 0; })) {
        // Nothing to hear: the capture stays silent and the end comes after the
        // silent halves have played.
        QCOMPARE(capture.firstSound(), qint64(-1));
        QVERIFY(sender.endedNs - startNs >= qint64(ref.size()) * 1000000000 / kSampleRate / 2);
        return;
    }
    QVERIFY2(m.found, "the sound of the text is not in the capture");
    // Nothing lost as the stream joins: the capture starts at the first sound.
    const auto firstRef = qint64(std::find_if(ref.begin(), ref.end(), [](std::int16_t v) { return v != 0; })
                                 - ref.begin());
    QCOMPARE(m.firstSound, firstRef);
    // Every sample from the first sound to the end of the reference, in order: no
    // gap, no repeat, no other rate; and nothing after it.
    QCOMPARE(m.matched, qint64(ref.size()) - m.firstSound);
    QCOMPARE(m.noiseAfter, qint64(0));

    // The end comes after the last sound was heard (the capture dates a sample
    // within its 10 ms chunks), and not much later than the last sample.
    const qint64 slackNs = 30 * 1000000;
    const qint64 lastSound = capture.lastSound();
    QVERIFY2(sender.endedNs + slackNs >= capture.arrivalNs(lastSound),
             qPrintable(QStringLiteral("ended %1 ms before the last sound arrived")
                            .arg((capture.arrivalNs(lastSound) - sender.endedNs) / 1000000)));
    const qint64 lastSampleNs = capture.arrivalNs(m.offset + qint64(ref.size()) - 1);
    QVERIFY(lastSampleNs > 0);
    QVERIFY2(sender.endedNs - lastSampleNs < qint64(150) * 1000000,
             qPrintable(QStringLiteral("ended %1 ms after the last sample")
                            .arg((sender.endedNs - lastSampleNs) / 1000000)));
    // When the device finished the pass itself, it reported the end only after
    // the sink had played every sample handed to it, trailing silence included.
    if (playedOut > 0) {
        QVERIFY2(sender.endedNs + slackNs >= lastSampleNs,
                 qPrintable(QStringLiteral("played out %1 ms before the last sample arrived")
                                .arg((lastSampleNs - sender.endedNs) / 1000000)));
    }
}

void PulseSoundDeviceTest::stopMidSendIsSilentAtOnce()
{
    const Settings settings = soundSettings(20, 700, 12000, 0);
    const QString text = QStringLiteral("TTTTTTTTTTTTTTTTTTTT ");
    const std::vector<std::int16_t> ref = reference(settings, text);

    QElapsedTimer clock;
    clock.start();
    Capture capture(clock);
    QVERIFY(capture.start());
    Sender sender(settings, clock);
    QVERIFY2(sender.morse.LavLyd(), errorName(sender.morse.error()));
    sender.morse.setText(text);
    QVERIFY(sender.morse.StartSending());
    spin(1300);
    const qint64 stopNs = clock.nsecsElapsed();
    sender.morse.StopSending();
    spin(800);
    capture.stop();
    QCOMPARE(sender.ended, 0);

    const std::vector<std::int16_t> got = capture.samples();
    const Match m = locate(got, ref);
    QVERIFY(m.found);
    // Played in order up to the stop, then silence: no tail of queued sound, no repeat.
    QVERIFY2(m.matched > kSampleRate, qPrintable(QString::number(m.matched)));
    QVERIFY(m.matched < qint64(ref.size()) / 2);
    QCOMPARE(m.noiseAfter, qint64(0));
    const qint64 lastHeardNs = capture.arrivalNs(capture.lastSound());
    QVERIFY2(lastHeardNs - stopNs < qint64(60) * 1000000,
             qPrintable(QStringLiteral("sound went on %1 ms after the stop")
                            .arg((lastHeardNs - stopNs) / 1000000)));
}

void PulseSoundDeviceTest::notificationsInOrderOnOwnThread()
{
    PulseSoundDevice device;
    QVERIFY2(device.open(kBufferBytes), errorName(device.error()));
    device.setNotificationPositions({kNotifyMiddle, kNotifyEnd});
    std::vector<int> seen;
    bool foreignThread = false;
    device.notified = [&](int index) {
        seen.push_back(index);
        foreignThread |= QThread::currentThread() != thread();
    };
    const auto half = tone(kHalfSamples, 100);
    device.write(0, half);
    device.write(kHalfBytes, half);
    device.setPosition(0);
    device.playLooping();
    QVERIFY2(waitFor([&] { return seen.size() >= 5; }, 4000), errorName(device.error()));
    device.stop();
    QVERIFY(!foreignThread);
    QCOMPARE(seen, (std::vector<int>{0, 1, 0, 1, 0}));
    device.release();
}

void PulseSoundDeviceTest::noNotificationAfterStop()
{
    PulseSoundDevice device;
    QVERIFY(device.open(kBufferBytes));
    device.setNotificationPositions({kNotifyMiddle, kNotifyEnd});
    int count = 0;
    int ended = 0;
    device.notified = [&](int) { ++count; };
    device.playedOut = [&] { ++ended; };
    device.write(0, tone(kHalfSamples, 80));
    device.write(kHalfBytes, tone(kHalfSamples, 80));
    device.setPosition(0);
    device.playLooping();
    // The window is busy while the first notification is posted: it waits in the
    // queue when Stop comes, and must not arrive.
    QThread::msleep(700);
    device.stop();
    spin(1200);
    QCOMPARE(count, 0);

    // The same for the end of a pass that is finishing.
    device.setPosition(0);
    device.playLooping();
    QVERIFY(waitFor([&] { return count > 0; }, 2000));
    device.finishAtNextNotification();
    QThread::msleep(200);
    device.stop();
    spin(1200);
    QCOMPARE(count, 1);
    QCOMPARE(ended, 0);
}

void PulseSoundDeviceTest::fiftyCyclesAndTeardown()
{
    const auto half = tone(kHalfSamples, 60);
    PulseSoundDevice device;
    int failures = 0;
    device.failed = [&] { ++failures; };
    for (int i = 0; i < 50; ++i) {
        QVERIFY2(device.open(kBufferBytes), qPrintable(QStringLiteral("cycle %1: %2").arg(i).arg(QLatin1String(errorName(device.error())))));
        device.setNotificationPositions({kNotifyMiddle, kNotifyEnd});
        device.write(0, half);
        device.write(kHalfBytes, half);
        device.setPosition(0);
        device.playLooping();
        spin(i % 5 == 0 ? 60 : 5);
        device.stop();
        if (i % 2 == 0)
            device.release();
    }
    QCOMPARE(failures, 0);

    // Destroyed while playing, with notifications possibly queued.
    for (int i = 0; i < 3; ++i) {
        auto *playing = new PulseSoundDevice;
        QVERIFY(playing->open(kBufferBytes));
        playing->setNotificationPositions({kNotifyMiddle, kNotifyEnd});
        int hits = 0;
        playing->notified = [&hits](int) { ++hits; };
        playing->write(0, half);
        playing->playLooping();
        spin(100);
        QThread::msleep(i * 300);
        delete playing;
        spin(50);
    }
    // The server still takes a new stream.
    QVERIFY(device.open(kBufferBytes));
}

void PulseSoundDeviceTest::cwSendPlaysWhatItRenders_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("runs");
    QTest::newRow("T, 6 E, 0 at 150 wpm") << QStringLiteral("TEEEEEE0") << 150 << 1;
    QTest::newRow("T, 33 E, 0 at 400 wpm") << QStringLiteral("T") + QString(33, u'E') + u'0' << 400 << 1;
    QTest::newRow("send and exit, 20 times") << QStringLiteral("EE") << 60 << 20;
}

// The tool plays what it renders into a WAV file, from its first to its last
// non-silent sample, and every run ends with status 0 (no abort at exit).
void PulseSoundDeviceTest::cwSendPlaysWhatItRenders()
{
    QFETCH(QString, text);
    QFETCH(int, wpm);
    QFETCH(int, runs);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("text.txt"));
    QVERIFY(testfiles::writeFile(input, text.toLatin1()));
    const QStringList options{QStringLiteral("--wpm"), QString::number(wpm), QStringLiteral("--tone"),
                              QStringLiteral("700"), QStringLiteral("--volume"), QStringLiteral("12000")};
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    tool.setProcessEnvironment(env);
    const QString wav = dir.filePath(QStringLiteral("text.wav"));
    tool.start(QStringLiteral(TELVOK_CW_SEND), options + QStringList{QStringLiteral("-o"), wav, input});
    QVERIFY(tool.waitForFinished(10000) && tool.exitCode() == 0);
    std::vector<std::int16_t> ref = toSamples(testfiles::readAll(wav).mid(44));
    const auto nonZero = [](std::int16_t v) { return v != 0; };
    const auto first = std::find_if(ref.begin(), ref.end(), nonZero);
    const auto last = std::find_if(ref.rbegin(), ref.rend(), nonZero).base();
    QVERIFY(first < last);
    ref = std::vector<std::int16_t>(first, last);

    QElapsedTimer clock;
    clock.start();
    for (int run = 0; run < runs; ++run) {
        Capture capture(clock);
        QVERIFY(capture.start());
        tool.start(QStringLiteral(TELVOK_CW_SEND), options + QStringList{input});
        QVERIFY(tool.waitForFinished(10000));
        spin(100);
        capture.stop();
        QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
                 qPrintable(QStringLiteral("run %1: status %2, %3").arg(run).arg(tool.exitCode())
                                .arg(QString::fromLocal8Bit(tool.readAllStandardError()))));
        const std::vector<std::int16_t> got = capture.samples();
        const qint64 from = capture.firstSound();
        QVERIFY2(from >= 0, "nothing heard");
        const std::vector<std::int16_t> heard(got.begin() + from, got.begin() + capture.lastSound() + 1);
        QVERIFY2(heard == ref, qPrintable(QStringLiteral("run %1: heard %2 samples of sound, rendered %3")
                                              .arg(run).arg(heard.size()).arg(ref.size())));
    }
}

QTEST_GUILESS_MAIN(PulseSoundDeviceTest)
#include "tst_pulsesounddevice.moc"
