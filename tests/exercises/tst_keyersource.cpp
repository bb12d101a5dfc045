// The keyer's sidetone as a stream pulls it: the tone follows the keyer's output to the
// sample, rises and falls over 5 ms, reaches the set volume, and every key-down and
// key-up reaches the UI thread with its sample time.

#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSidetoneStream.h"
#include "exercises/KeyerSource.h"

#include <QTest>

#include <cmath>

using namespace keying;

Q_DECLARE_METATYPE(keying::KeyerMode)

class KeyerSourceTest : public QObject {
    Q_OBJECT
private slots:
    void sidetone_data();
    void sidetone();
};

void KeyerSourceTest::sidetone_data()
{
    QTest::addColumn<KeyerMode>("mode");
    QTest::addColumn<int>("block");            // samples the stream pulls at a time
    QTest::addColumn<QList<int>>("levers");    // sample, lever bits: 1 left, 2 right
    QTest::addColumn<QList<int>>("marks");     // start, length in samples

    const int dot = Morse::dotLength(20);   // 2646
    using L = QList<int>;
    QTest::newRow("straight key, 10 ms blocks") << KeyerMode::Straight << 441
                                                << L{441, 1, 4410, 0} << L{441, 3969};
    QTest::newRow("straight key, both levers") << KeyerMode::Straight << 441
                                               << L{882, 2, 1323, 3, 1764, 1, 2646, 0} << L{882, 1764};
    QTest::newRow("iambic: a tap keys a whole dit") << KeyerMode::IambicB << 441 << L{0, 1, 441, 0}
                                                    << L{0, dot};
    QTest::newRow("iambic: dah then dit from memory, one sample blocks")
        << KeyerMode::IambicB << 1 << L{100, 2, 3000, 3, 3100, 0} << L{100, 3 * dot, 100 + 4 * dot, dot};
    QTest::newRow("a lever held across big blocks") << KeyerMode::IambicA << 4410
                                                    << L{0, 1, 8820, 0} << L{0, dot, 2 * dot, dot};
}

void KeyerSourceTest::sidetone()
{
    QFETCH(KeyerMode, mode);
    QFETCH(int, block);
    QFETCH(QList<int>, levers);
    QFETCH(QList<int>, marks);

    constexpr int kAmplitude = 12000;
    KeyerSource source(Morse::dotLength(20), 700, kAmplitude);
    source.setMode(mode, false);
    SimulatedSidetoneStream stream;
    QVERIFY(stream.start(&source));
    for (qsizetype i = 0; i < levers.size(); i += 2) {
        stream.advance(levers[i] - source.clock(), block);
        QCOMPARE(source.clock(), qint64(levers[i]));
        source.setLevers((levers[i + 1] & 1) != 0, (levers[i + 1] & 2) != 0);
    }
    stream.advance(5 * 44100, block);

    // The events, paired into marks.
    QList<int> got;
    KeyEvent e;
    qint64 downAt = -1;
    while (source.takeEvent(e)) {
        if (e.down) {
            QCOMPARE(downAt, qint64(-1));
            downAt = e.sample;
            QCOMPARE(e.element == Element::Straight, mode == KeyerMode::Straight);
        } else {
            got << int(downAt) << int(e.sample - downAt);
            downAt = -1;
        }
    }
    QCOMPARE(got, marks);

    // The sound: silent outside each mark and its 5 ms fall, the full volume inside,
    // no step bigger than a 700 Hz sine's at full volume (no click at either end).
    const std::vector<std::int16_t> &pcm = stream.played();
    const double maxStep = kAmplitude * 2 * 3.1416 * 700 / 44100 * 1.05;
    std::vector<bool> sounding(pcm.size(), false);
    for (qsizetype i = 0; i < marks.size(); i += 2) {
        int peak = 0;
        for (int t = marks[i]; t < marks[i] + marks[i + 1] + KeyerSource::kRampSamples; ++t) {
            sounding[size_t(t)] = true;
            peak = std::max(peak, std::abs(int(pcm[size_t(t)])));
        }
        QVERIFY2(std::abs(peak - kAmplitude) < kAmplitude / 100, qPrintable(QString::number(peak)));
    }
    for (size_t t = 0; t < pcm.size(); ++t) {
        if (!sounding[t])
            QVERIFY2(pcm[t] == 0, qPrintable(QStringLiteral("sound at %1").arg(t)));
        if (t > 0)
            QVERIFY2(std::abs(int(pcm[t]) - int(pcm[t - 1])) <= maxStep, qPrintable(QStringLiteral("click at %1").arg(t)));
    }
}

QTEST_APPLESS_MAIN(KeyerSourceTest)
#include "tst_keyersource.moc"
