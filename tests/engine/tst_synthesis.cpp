// Tone synthesis and the double-buffered transmission on the simulated device.

#include "support/SoundSamples.h"
#include "support/SymbolStream.h"
#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <QTest>

#include <cstring>

using namespace morse;
using namespace soundtest;

namespace {

// The samples a text must sound as: each symbol's element, one after the other.
std::vector<std::int16_t> expectedSound(Morse &m, const QString &text)
{
    const std::string symbols = symbolStream(m, text);
    std::vector<std::int16_t> out;
    const auto d = size_t(m.dotSamples());
    for (char sym : symbols) {
        const std::vector<std::int16_t> &e = m.element(sym);
        out.insert(out.end(), e.begin(), e.begin() + ptrdiff_t(d));
    }
    return out;
}

struct Rig {
    Settings settings;
    SimulatedSoundDevice *device;
    Morse morse;
    int ended = 0;
    int fills = 0;

    explicit Rig(Settings s)
        : settings(s), device(new SimulatedSoundDevice),
          morse(settings, std::unique_ptr<SoundDevice>(device))
    {
        morse.transmissionEnded = [this] { ++ended; };
        morse.halfFilled = [this](bool) { ++fills; };
        QVERIFY(morse.LavLyd());
    }
};

} // namespace

class SynthesisTest : public QObject {
    Q_OBJECT
private slots:
    void dotLength_data();
    void dotLength();
    void firstSamples();
    void elementEnds_data();
    void elementEnds();
    void silentVolumeKeepsTiming();
    void peaks_data();
    void peaks();
    void fillExampleAt20Wpm();
    void sendsExactSamples_data();
    void sendsExactSamples();
    void shortTextIsOneHalf();
    void emptyTextIsWordGap();
    void lateNotificationIsIgnored();
    void stopMidCharacter();
    void deviceFailureEndsTransmission();
    void longTextPositions();
};

void SynthesisTest::dotLength_data()
{
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("samples");
    QTest::newRow("3 wpm") << 3 << 17640;
    QTest::newRow("5 wpm") << 5 << 10584;
    QTest::newRow("12 wpm") << 12 << 4410;
    QTest::newRow("20 wpm") << 20 << 2646;
    QTest::newRow("25 wpm drops fraction") << 25 << 2116;
    QTest::newRow("30 wpm") << 30 << 1764;
    QTest::newRow("50 wpm") << 50 << 1058;
    QTest::newRow("60 wpm") << 60 << 882;
    QTest::newRow("2116 wpm") << 2116 << 25;
}

void SynthesisTest::dotLength()
{
    QFETCH(int, wpm);
    QFETCH(int, samples);
    QCOMPARE(Morse::dotLength(wpm), samples);
    Settings s = soundSettings(wpm);
    Morse m(s, nullptr);
    m.buildElements();
    QCOMPARE(m.dotSamples(), samples);
    QCOMPARE(int(m.sine().size()), 3 * samples + 1);
    QCOMPARE(int(m.element('4').size()), samples + 1);
}

void SynthesisTest::firstSamples()
{
    Settings s = soundSettings(20, 800, 10000);
    Morse m(s, nullptr);
    m.buildElements();
    const std::vector<std::int16_t> sine(m.sine().begin(), m.sine().begin() + 5);
    QCOMPARE(sine, (std::vector<std::int16_t>{0, -1137, -2259, -3352, -4401}));
    const std::vector<std::int16_t> dot(m.element('4').begin(), m.element('4').begin() + 5);
    QCOMPARE(dot, (std::vector<std::int16_t>{0, -46, -181, -403, -705}));
    // The recursion follows the rounded values, not the exact sine.
    QCOMPARE(m.element('2')[0], m.sine()[size_t(m.dotSamples() - 1)]);
    QCOMPARE(m.element('3')[0], m.sine()[size_t(2 * m.dotSamples() - 1)]);
}

void SynthesisTest::elementEnds_data()
{
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("tone");
    QTest::newRow("20 wpm 800 Hz") << 20 << 800;
    QTest::newRow("60 wpm 1500 Hz") << 60 << 1500;
    QTest::newRow("5 wpm 300 Hz") << 5 << 300;
    QTest::newRow("2116 wpm, ramps overlap") << 2116 << 1000;
}

void SynthesisTest::elementEnds()
{
    QFETCH(int, wpm);
    QFETCH(int, tone);
    Settings s = soundSettings(wpm, tone);
    Morse m(s, nullptr);
    m.buildElements();
    const auto d = size_t(m.dotSamples());
    const std::vector<std::int16_t> &dot = m.element('4');
    const std::vector<std::int16_t> &pause = m.element(' ');
    QCOMPARE(dot[0], 0);
    QCOMPARE(m.element('1')[0], 0);
    for (char sym : {'4', '1', '2', '3', ' '})
        QCOMPARE(m.element(sym)[d], 0);
    QVERIFY(std::all_of(pause.begin(), pause.end(), [](auto v) { return v == 0; }));
    // The last played sample of the fall ramp is Int(x / 25).
    const double x = m.sine()[2 * d - 1 + d - 1];
    QCOMPARE(double(m.element('3')[d - 1]), std::floor(x / 25));
    // The steady third is untouched by the ramps.
    QCOMPARE(m.element('2')[d / 2], m.sine()[d - 1 + d / 2]);
}

void SynthesisTest::silentVolumeKeepsTiming()
{
    Settings s = soundSettings(20, 800, 0);
    Morse m(s, nullptr);
    m.buildElements();
    QCOMPARE(m.dotSamples(), 2646);
    QVERIFY(std::all_of(m.sine().begin(), m.sine().end(), [](auto v) { return v == 0; }));
}

void SynthesisTest::peaks_data()
{
    QTest::addColumn<int>("tone");
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    // The rounded recursion peaks about 1 % above the volume.
    QTest::newRow("10000 at 1500 Hz") << 1500 << 10000 << -10076 << 10077;
    // Near 32767 it would leave 16 bits: it saturates instead.
    QTest::newRow("32767 at 800 Hz") << 800 << 32767 << -32768 << 32761;
    QTest::newRow("32767 at 1500 Hz") << 1500 << 32767 << -32764 << 32767;
}

void SynthesisTest::peaks()
{
    QFETCH(int, tone);
    QFETCH(int, volume);
    QFETCH(int, low);
    QFETCH(int, high);
    Settings s = soundSettings(20, tone, volume);
    Morse m(s, nullptr);
    m.buildElements();
    const auto [lo, hi] = std::minmax_element(m.sine().begin(), m.sine().end());
    QCOMPARE(int(*lo), low);
    QCOMPARE(int(*hi), high);
}

void SynthesisTest::fillExampleAt20Wpm()
{
    Settings s = soundSettings(20);
    Morse m(s, nullptr);
    m.buildElements();
    const QString text = QStringLiteral("PARIS PARIS ");
    const std::vector<std::int16_t> expected = expectedSound(m, text);
    m.setText(text);
    QVERIFY(m.FyldDel1());
    QVERIFY(m.FyldDel2());
    // A half holds 8 dot lengths of 2646 samples and 882 of the ninth symbol, the
    // last third of P's first dash; the next fill goes on with its other 1764.
    const std::vector<std::int16_t> &third = m.element('3');
    const auto halfEnd = m.staging().begin() + kHalfSamples;
    QVERIFY(std::equal(third.begin(), third.begin() + 882, halfEnd - 882));
    QVERIFY(std::equal(third.begin() + 882, third.begin() + 2646, halfEnd));
    QVERIFY(std::equal(m.staging().begin(), halfEnd + kHalfSamples, expected.begin()));
}

void SynthesisTest::sendsExactSamples_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("farnsworth");
    QTest::newRow("dash across a half, 20 wpm") << "TTTTTTTTTT " << 20 << 0;
    QTest::newRow("paris, 25 wpm") << "PARIS PARIS PARIS " << 25 << 0;
    QTest::newRow("60 wpm, tail under half a second") << "TEST " << 60 << 0;
    QTest::newRow("farnsworth 8") << "<KA> VVV " << 12 << 8;
    QTest::newRow("5 wpm") << "ETA " << 5 << 0;
    QTest::newRow("negative farnsworth") << "HELLO WORLD " << 30 << -3;
}

void SynthesisTest::sendsExactSamples()
{
    QFETCH(QString, text);
    QFETCH(int, wpm);
    QFETCH(int, farnsworth);
    Rig rig(soundSettings(wpm, 700, 8000, farnsworth));
    const std::vector<std::int16_t> expected = expectedSound(rig.morse, text);

    rig.morse.setText(text);
    QVERIFY(rig.morse.StartSending());
    rig.device->runUntilStopped(qint64(kSampleRate) * 600);
    QCOMPARE(rig.ended, 1);
    QVERIFY(!rig.morse.isSending());

    // Everything played: whole halves, the last one holding sound, no cut-off.
    const std::vector<std::int16_t> played = toSamples(rig.device->played());
    QCOMPARE(played.size() % size_t(kHalfSamples), size_t(0));
    QVERIFY(played.size() >= expected.size());
    QVERIFY(std::equal(expected.begin(), expected.end(), played.begin()));
    QVERIFY(std::all_of(played.begin() + ptrdiff_t(expected.size()), played.end(),
                        [](auto v) { return v == 0; }));
    // The half after the last one that held a symbol is not played.
    QVERIFY(played.size() - expected.size() < size_t(kHalfSamples) + size_t(rig.morse.dotSamples()));
}

void SynthesisTest::shortTextIsOneHalf()
{
    Rig rig(soundSettings(60));
    rig.morse.setText(QStringLiteral("E "));
    QVERIFY(rig.morse.StartSending());
    rig.device->runUntilStopped(kSampleRate * 10);
    QCOMPARE(rig.ended, 1);
    QCOMPARE(rig.fills, 1);
    QCOMPARE(rig.device->played().size(), qsizetype(kHalfBytes));
}

void SynthesisTest::emptyTextIsWordGap()
{
    Settings s = soundSettings(20, 800, 10000, 3);
    Morse m(s, nullptr);
    const std::string stream = symbolStream(m, QStringLiteral(" "));
    QCOMPARE(int(stream.size()) - 1, 7 + 2 * 3);
    QCOMPARE(stream.back(), '0');
}

void SynthesisTest::lateNotificationIsIgnored()
{
    Rig rig(soundSettings(20));
    rig.morse.setText(QStringLiteral("PARIS PARIS "));
    QVERIFY(rig.morse.StartSending());
    rig.device->advance(kHalfSamples);
    rig.morse.StopSending();
    const int writes = rig.device->writeCount();
    const std::vector<std::int16_t> image = rig.morse.staging();
    rig.device->notified(0);
    rig.device->notified(1);
    QCOMPARE(rig.device->writeCount(), writes);
    QCOMPARE(rig.morse.staging(), image);
    QCOMPARE(rig.morse.sentCharacters(), 0);
    QCOMPARE(rig.ended, 0);
}

void SynthesisTest::stopMidCharacter()
{
    Rig rig(soundSettings(20));
    rig.morse.setText(QStringLiteral("HHHHHHHHHHHHHHHH "));
    QVERIFY(rig.morse.StartSending());
    rig.device->advance(kHalfSamples + 1000);
    QVERIFY(rig.morse.sentCharacters() > 0);
    rig.morse.StopSending();
    QVERIFY(!rig.device->isPlaying());
    QCOMPARE(rig.device->position(), 0);
    QCOMPARE(rig.morse.sentCharacters(), 0);
    // The next transmission starts from the top and sounds exactly right.
    rig.device->clearPlayed();
    const QString next = QStringLiteral("EE ");
    const std::vector<std::int16_t> expected = expectedSound(rig.morse, next);
    rig.morse.setText(next);
    QVERIFY(rig.morse.StartSending());
    rig.device->runUntilStopped(kSampleRate * 10);
    const std::vector<std::int16_t> played = toSamples(rig.device->played());
    QVERIFY(std::equal(expected.begin(), expected.end(), played.begin()));
    QCOMPARE(rig.ended, 1);
}

void SynthesisTest::deviceFailureEndsTransmission()
{
    Rig rig(soundSettings(20));
    int failures = 0;
    rig.morse.deviceFailed = [&failures] { ++failures; };
    rig.morse.setText(QStringLiteral("PARIS PARIS "));
    QVERIFY(rig.morse.StartSending());
    rig.device->advance(1000);
    rig.device->failNow();
    QCOMPARE(failures, 1);
    QVERIFY(!rig.morse.isSending());
    QVERIFY(!rig.morse.hasBuffer());
    QCOMPARE(rig.morse.sentCharacters(), 0);
    // The next send opens the device again.
    QVERIFY(rig.morse.LavLyd());
    QVERIFY(rig.morse.StartSending());
}

void SynthesisTest::longTextPositions()
{
    // 200 000 characters: positions beyond 16 bits, and every sample still right.
    Settings s = soundSettings(2116, 800, 10000, -20);
    Morse m(s, nullptr);
    m.buildElements();
    const QString text(200000, u'E');
    const std::vector<std::int16_t> expected = expectedSound(m, text);
    m.setText(text);
    const std::vector<std::int16_t> rendered = renderHalves(m);
    // Each E is one dot and one unit of gap, 25 samples each; then one unit and the end.
    QCOMPARE(expected.size(), size_t((2 * 200000 + 2) * 25));
    QVERIFY(rendered.size() >= expected.size() - 25);
    QVERIFY(std::equal(rendered.begin(), rendered.end(), expected.begin()));
}

QTEST_GUILESS_MAIN(SynthesisTest)
#include "tst_synthesis.moc"
