// Instant recognition: where a character's sound ends (against the engine's own
// rendering on the simulated device), the reaction clock pinned by the device's
// notifications, and the run that brings wrong and slow characters back.

#include "support/SoundCapture.h"
#include "support/SoundSamples.h"
#include "exercises/Recognition.h"

#include <QTest>

using namespace recognition;

class RecognitionTest : public QObject {
    Q_OBJECT
private slots:
    void clock_data();
    void clock();
    void runWeights();
};

void RecognitionTest::clock_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<int>("wpm");
    QTest::addColumn<qint64>("latencyMs");   // from a sample's writing to its being heard
    QTest::addColumn<qint64>("keyAfterMs");  // from the true end of the sound
    QTest::newRow("E at 20, inside the first half") << QStringLiteral("E") << 20 << qint64(0) << qint64(350);
    QTest::newRow("0 at 20, past the first half") << QStringLiteral("0") << 20 << qint64(120) << qint64(800);
    QTest::newRow("Ø at 12, two halves") << QStringLiteral("Ø") << 12 << qint64(45) << qint64(1);
    QTest::newRow("<AR> at 30") << QStringLiteral("<AR>") << 30 << qint64(80) << qint64(250);
    QTest::newRow("key during the sound") << QStringLiteral("5") << 20 << qint64(10) << qint64(-200);
}

void RecognitionTest::clock()
{
    QFETCH(QString, token);
    QFETCH(int, wpm);
    QFETCH(qint64, latencyMs);
    QFETCH(qint64, keyAfterMs);

    // The engine's sound of the token on the simulated device: its last non-zero sample.
    const std::vector<std::int16_t> sound = soundtest::reference(soundtest::soundSettings(wpm), token);
    qint64 end = qint64(sound.size());
    while (end > 0 && sound[size_t(end - 1)] == 0)
        --end;
    QVERIFY(end > 0);
    QCOMPARE(soundSamples(token, wpm), end);

    // The device plays sample s at latency + s / 44.1 ms; notification k comes when
    // sample k x 22050 has been heard. The answer is timed from the true end.
    ReactionClock clock;
    clock.start(soundSamples(token, wpm));
    QVERIFY(!clock.reactionMs(1000));
    const qint64 trueEndMs = latencyMs + end * 1000 / 44100;
    for (int k = 1; k <= 3; ++k)
        clock.notified(k, latencyMs + k * 500);
    QVERIFY(clock.soundEndMs());
    QVERIFY(std::abs(*clock.soundEndMs() - trueEndMs) <= 1);
    const int reaction = *clock.reactionMs(trueEndMs + keyAfterMs);
    QVERIFY2(std::abs(reaction - std::max<qint64>(0, keyAfterMs)) <= 1, qPrintable(QString::number(reaction)));
}

void RecognitionTest::runWeights()
{
    RecognitionRun run({QStringLiteral("K"), QStringLiteral("M"), QStringLiteral("R")}, practice::seededUniform(5));
    QCOMPARE(run.weights(), (std::vector<double>{1, 1, 1}));
    run.answer(QStringLiteral("K"), false, 400);
    run.answer(QStringLiteral("M"), true, 900);   // slow
    run.answer(QStringLiteral("R"), true, 300);
    run.answer(QStringLiteral("R"), true, std::nullopt);   // no time: counts for nothing slow
    QCOMPARE(run.weights(), (std::vector<double>{1 + kWrongExtraWeight, 1 + kSlowExtraWeight, 1}));
    QCOMPARE(run.tallies().value(QStringLiteral("R")).asked, 2);
    QCOMPARE(*run.tallies().value(QStringLiteral("M")).meanReactionMs(), 900.0);

    // Drawn in proportion: K three times as often as R.
    int k = 0, r = 0;
    for (int i = 0; i < 6000; ++i) {
        const QString c = run.next();
        k += c == u"K" ? 1 : 0;
        r += c == u"R" ? 1 : 0;
    }
    QVERIFY2(k > 2.6 * r && k < 3.4 * r, qPrintable(QStringLiteral("%1 %2").arg(k).arg(r)));
    QVERIFY(!run.finished());
    for (int i = run.answered(); i < kRunLength; ++i)
        run.answer(QStringLiteral("R"), true, 100);
    QVERIFY(run.finished());
}

QTEST_GUILESS_MAIN(RecognitionTest)
#include "tst_recognition.moc"
