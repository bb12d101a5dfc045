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
    void takeBack_data();
    void takeBack();
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

namespace {

struct Run {
    std::vector<std::int16_t> pcm;
    QList<qint64> events;   // sample, down
    QList<qint64> takenBack;
};

// Renders `levers` (sample, bits) up to `end`, the stream refreshing `late` samples
// after every change with `queued` samples not yet heard; then takes the events.
Run play(KeyerMode mode, const QList<int> &levers, qint64 end, qint64 queued, int late = 0)
{
    KeyerSource source(Morse::dotLength(20), 700, 12000);
    source.setMode(mode, false);
    SimulatedSidetoneStream stream;
    stream.setQueued(queued);
    stream.start(&source);
    Run run;
    for (qsizetype i = 0; i < levers.size(); i += 2) {
        stream.advance(levers[i] - source.clock(), 441);
        source.setLevers((levers[i + 1] & 1) != 0, (levers[i + 1] & 2) != 0);
        stream.advance(late, 441);   // the stream's thread may render before the refresh
        stream.refresh();
        run.takenBack << stream.lastRefresh();
    }
    stream.advance(end - source.clock(), 441);
    run.pcm = stream.played();
    KeyEvent e;
    while (source.takeEvent(e))
        run.events << e.sample << e.down;
    return run;
}

} // namespace

// Every lever change refreshes a stream that still has samples queued: what is heard is
// what the changes would have keyed had they come that much earlier, in every mode,
// also when a change falls in an element, its gap or a ramp; never more than 100 ms.
void KeyerSourceTest::takeBack_data()
{
    QTest::addColumn<KeyerMode>("mode");
    QTest::addColumn<QList<int>>("levers");   // sample, lever bits
    QTest::addColumn<int>("queued");
    QTest::addColumn<int>("late");            // samples rendered between a change and its refresh

    const int dot = Morse::dotLength(20);   // 2646
    const int q = 1300;                     // not a whole number of the tone's periods
    using L = QList<int>;
    QTest::newRow("paddle at rest, a tap") << KeyerMode::IambicB << L{8820, 1, 9000, 0} << q << 0;
    QTest::newRow("straight key, a dash and a dot")
        << KeyerMode::Straight << L{2000, 1, 2000 + 3 * dot, 0, 3000 + 4 * dot, 2, 3000 + 5 * dot, 0} << q << 0;
    QTest::newRow("straight key released in its rise") << KeyerMode::Straight << L{4410, 1, 4510, 0} << q << 0;
    QTest::newRow("iambic B: squeeze, released in a dah")
        << KeyerMode::IambicB << L{2000, 1, 2100, 3, 2000 + 2 * dot, 0} << q << 0;
    QTest::newRow("iambic A: squeeze released in a gap")
        << KeyerMode::IambicA << L{2000, 2, 2000 + dot, 3, 2000 + 3 * dot + dot / 2, 0} << q << 0;
    QTest::newRow("Ultimatic: the last lever wins, released during a dot")
        << KeyerMode::Ultimatic << L{2000, 2, 2000 + 2 * dot, 3, 2000 + 4 * dot + dot / 3, 0} << q << 0;
    QTest::newRow("single dot: a dit inserted into dahs")
        << KeyerMode::SingleDot << L{2000, 2, 2000 + 5 * dot, 3, 2000 + 5 * dot + 300, 2, 2000 + 12 * dot, 0} << q << 0;
    QTest::newRow("straight key, rendered before each refresh")
        << KeyerMode::Straight << L{4410, 1, 4460, 0, 4560, 1, 4410 + dot, 0} << q << 37;
    QTest::newRow("iambic B, rendered before each refresh")
        << KeyerMode::IambicB << L{2000, 1, 2100, 3, 2150, 2, 2000 + 2 * dot, 0} << q << 400;
    QTest::newRow("never further back than 100 ms")
        << KeyerMode::IambicB << L{44100, 2, 44100 + 4 * dot, 0} << 44100 << 0;
}

void KeyerSourceTest::takeBack()
{
    QFETCH(KeyerMode, mode);
    QFETCH(QList<int>, levers);
    QFETCH(int, queued);
    QFETCH(int, late);

    const qint64 taken = std::min<qint64>(queued, KeyerSource::kLongestTakeBack);
    const qint64 shift = taken - late;
    const qint64 end = levers[levers.size() - 2] + 8 * 44100;
    const Run got = play(mode, levers, end, queued, late);
    QCOMPARE(got.takenBack, QList<qint64>(levers.size() / 2, taken));
    QList<int> earlier = levers;
    for (qsizetype i = 0; i < earlier.size(); i += 2)
        earlier[i] -= int(shift);
    const Run want = play(mode, earlier, end, 0);
    QVERIFY(!want.events.isEmpty());
    QCOMPARE(got.events, want.events);
    QCOMPARE(got.pcm.size(), want.pcm.size());
    for (size_t i = 0; i < got.pcm.size(); ++i)
        QVERIFY2(got.pcm[i] == want.pcm[i], qPrintable(QStringLiteral("sample %1").arg(i)));
}

QTEST_APPLESS_MAIN(KeyerSourceTest)
#include "tst_keyersource.moc"
