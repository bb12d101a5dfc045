// Soft keying: raised-cosine edges in place of the 25-sample ramp, the timing kept,
// the key clicks gone, and the choice kept in section "Lyd" of the store.

#include "support/SoundSamples.h"
#include "support/PowerBands.h"
#include "engine/Keying.h"
#include "settings/SoundSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace soundtest;

class SoftKeyingTest : public QObject {
    Q_OBJECT
private slots:
    void edges_data();
    void edges();
    void clicks_data();
    void clicks();
    void stored_data();
    void stored();
};

void SoftKeyingTest::edges_data()
{
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("rampMs");
    QTest::addColumn<int>("edge");      // samples per edge
    QTest::newRow("20 WPM, 5 ms") << 20 << 5 << 221;
    QTest::newRow("20 WPM, 10 ms") << 20 << 10 << 441;
    QTest::newRow("5 WPM, 1 ms") << 5 << 1 << 44;
    // 10 ms would take more than a quarter of the 882-sample dot.
    QTest::newRow("60 WPM, 10 ms: a quarter dot") << 60 << 10 << 220;
    QTest::newRow("2116 WPM: the shortest dot") << 2116 << 5 << 6;
}

// "ET": a dot, three dots of silence, a dash, silence. The tone follows the ideal
// wave times the raised-cosine edge, the dash's three thirds as one unbroken wave,
// and every element starts and ends exactly where the 25-sample ramp has it.
void SoftKeyingTest::edges()
{
    QFETCH(int, wpm);
    QFETCH(int, rampMs);
    QFETCH(int, edge);
    Settings s = soundSettings(wpm);
    s.softRampMs = rampMs;
    const int d = Morse::dotLength(wpm);
    QCOMPARE(keying::edgeSamples(rampMs, d), edge);
    const std::vector<std::int16_t> soft = renderHalves(s, QStringLiteral("ET"));
    s.softRampMs = 0;
    const std::vector<std::int16_t> designed = renderHalves(s, QStringLiteral("ET"));
    QCOMPARE(soft.size(), designed.size());

    // The unshaped wave, where the 25-sample ramp leaves it whole: the designed dash
    // repeats the sample at each third's seam, the soft one does not. Near the start
    // the ideal wave stands in (the oscillator has not drifted yet); the last samples
    // are only held under the edge's envelope.
    const double omega = 2 * std::numbers::pi * 800 / morse::kSampleRate;
    const int ramp = morse::kRampSamples + 1;
    const auto check = [&](int start, int length) {
        for (int k = 0; k < length; ++k) {
            double w = 1.0;
            if (k < edge)
                w = keying::riseWeight(k, edge);
            else if (length - k <= edge)
                w = keying::riseWeight(length - k, edge);
            const double got = soft[size_t(start + k)];
            double wave = 0;
            if (k < ramp) {
                wave = -10000 * std::sin(omega * k);
            } else if (k >= length - ramp) {
                if (std::abs(got) > 10100 * w + 1)
                    QFAIL(qPrintable(QStringLiteral("sample %1 of the element at %2 is above its edge")
                                         .arg(k).arg(start)));
                continue;
            } else {
                wave = designed[size_t(start + k + (k >= d ? 1 : 0))];
            }
            if (std::abs(got - wave * w) > (k < ramp ? 2.0 + k : 1.0))
                QFAIL(qPrintable(QStringLiteral("sample %1 of the element at %2: %3, not %4")
                                     .arg(k).arg(start).arg(got).arg(wave * w)));
        }
    };
    const auto silent = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            QCOMPARE(soft[size_t(i)], std::int16_t(0));
            QCOMPARE(designed[size_t(i)], std::int16_t(0));
        }
    };
    check(0, d);
    silent(d, 4 * d);
    check(4 * d, 3 * d);
    silent(7 * d, int(soft.size()));
    QCOMPARE(soft[0], std::int16_t(0));
}

void SoftKeyingTest::clicks_data()
{
    QTest::addColumn<int>("rampMs");
    QTest::addColumn<double>("lowDb");
    QTest::addColumn<double>("highDb");
    // The 25-sample ramp stays as it was: its clicks are part of the designed sound.
    QTest::newRow("25-sample ramp") << 0 << -29.0 << -27.8;
    QTest::newRow("5 ms") << 5 << -90.0 << -50.0;
    QTest::newRow("10 ms") << 10 << -90.0 << -55.0;
}

// The share of the energy of "PARIS " x 10 at 20 WPM more than 300 Hz from the tone.
void SoftKeyingTest::clicks()
{
    QFETCH(int, rampMs);
    QFETCH(double, lowDb);
    QFETCH(double, highDb);
    Settings s = soundSettings(20);
    s.softRampMs = rampMs;
    const Spectrum sp = spectrumOf(renderHalves(s, QStringLiteral("PARIS ").repeated(10)));
    const double outside = 10 * std::log10((sp.total() - sp.band(500, 1100)) / sp.total());
    QVERIFY2(outside >= lowDb && outside <= highDb, qPrintable(QString::number(outside)));
}

void SoftKeyingTest::stored_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<int>("rampMs");
    QTest::newRow("not stored: off") << QByteArray() << 0;
    QTest::newRow("on: 5 ms") << QByteArray("BlodNogling=True\n") << 5;
    QTest::newRow("on, 8 ms") << QByteArray("BlodNogling=True\nRampeMs=8\n") << 8;
    QTest::newRow("off, 8 ms") << QByteArray("BlodNogling=False\nRampeMs=8\n") << 0;
    QTest::newRow("edge out of range: 5 ms") << QByteArray("BlodNogling=True\nRampeMs=30\n") << 5;
    QTest::newRow("unreadable: off") << QByteArray("BlodNogling=maybe\n") << 0;
}

void SoftKeyingTest::stored()
{
    QFETCH(QByteArray, section);
    QFETCH(int, rampMs);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("store.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[CW]\nWPM=20\n");
    if (!section.isEmpty())
        file.write("[Lyd]\n" + section);
    file.close();
    auto store = settings::openStoreAt(path);
    QCOMPARE(settings::loadSoftRampMs(*store), rampMs);

    // Turning it on keeps the stored edge and the rest of the file.
    QVERIFY(settings::saveSoftKeying(*store, true));
    auto again = settings::openStoreAt(path);
    QVERIFY(settings::loadSoftRampMs(*again) > 0);
    QCOMPARE(settings::readText(*again, QStringLiteral("CW"), QStringLiteral("WPM")), QString("20"));
    QVERIFY(settings::saveSoftKeying(*again, false));
    QCOMPARE(settings::loadSoftRampMs(*settings::openStoreAt(path)), 0);
}

QTEST_GUILESS_MAIN(SoftKeyingTest)
#include "tst_softkeying.moc"
