// Band conditions as heard: the S/N measured on the rendered sound, the filter's
// edges, the fading's depth, the seed, and no clipping even in the worst noise.

#include "support/SoundSamples.h"
#include "support/PowerBands.h"
#include "engine/BandConditions.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace soundtest;

namespace {

struct Render {
    std::vector<std::int16_t> clean;
    std::vector<std::int16_t> sound;
    double gain = 1;
};

Render render(const Settings &s, const QString &text, const band::Conditions &c)
{
    Render r;
    r.clean = renderHalves(s, text);
    Settings own = s;
    Morse m(own, nullptr);
    m.buildElements();
    band::BandConditions conditions;
    conditions.prepare(c, s.giTone, s.glVolume);
    r.gain = conditions.signalGain();
    m.setConditions(&conditions);
    m.setText(text);
    r.sound = renderHalves(m);
    return r;
}

} // namespace

class BandConditionsTest : public QObject {
    Q_OBJECT
private slots:
    void conditions_data();
    void conditions();
};

enum Check { Snr, Edges, Depth, Seed, Clipping, Clean };
Q_DECLARE_METATYPE(Check)

void BandConditionsTest::conditions_data()
{
    QTest::addColumn<Check>("check");
    QTest::addColumn<double>("snr");
    QTest::addColumn<int>("filter");
    QTest::addColumn<int>("tone");
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("qsb");
    QTest::addColumn<int>("qrm");
    QTest::addColumn<int>("qrn");

    using F = band::Fading;
    using S = band::Static;
    QTest::newRow("S/N +20 dB") << Snr << 20.0 << 1000 << 800 << 10000 << 0 << 0 << 0;
    QTest::newRow("S/N +10 dB, 500 Hz filter") << Snr << 10.0 << 500 << 700 << 10000 << 0 << 0 << 0;
    QTest::newRow("S/N 0 dB, 2400 Hz filter") << Snr << 0.0 << 2400 << 1500 << 10000 << 0 << 0 << 0;
    QTest::newRow("S/N -5 dB") << Snr << -5.0 << 1000 << 600 << 10000 << 0 << 0 << 0;
    for (int width : band::kFilterWidths)
        QTest::newRow(qPrintable(QStringLiteral("edges of %1 Hz").arg(width)))
            << Edges << 0.0 << width << 1500 << 10000 << 0 << 0 << 0;
    QTest::newRow("fast QSB, depth 0.6") << Depth << 40.0 << 500 << 800 << 10000 << int(F::Fast) << 0 << 0;
    QTest::newRow("all conditions, seeded")
        << Seed << 3.0 << 500 << 800 << 10000 << int(F::Slow) << 2 << int(S::Light);
    QTest::newRow("-15 dB at full volume, all on")
        << Clipping << -15.0 << 2400 << 800 << 32767 << int(F::Flutter) << 3 << int(S::Heavy);
    QTest::newRow("+40 dB, 3 stations, heavy static")
        << Clipping << 40.0 << 250 << 800 << 32767 << int(F::None) << 3 << int(S::Heavy);
    QTest::newRow("Ren: the clean sound") << Clean << 10.0 << 500 << 800 << 10000 << 0 << 0 << 0;
}

void BandConditionsTest::conditions()
{
    QFETCH(Check, check);
    QFETCH(double, snr);
    QFETCH(int, filter);
    QFETCH(int, tone);
    QFETCH(int, volume);
    QFETCH(int, qsb);
    QFETCH(int, qrm);
    QFETCH(int, qrn);
    const Settings s = soundSettings(20, tone, volume);
    band::Conditions c;
    c.active = check != Clean;
    c.snrDb = snr;
    c.filterHz = filter;
    c.qsb = band::Fading(qsb);
    c.qsbDepth = 0.6;
    c.qrm = qrm;
    c.qrn = band::Static(qrn);
    c.seed = 7;

    switch (check) {
    case Snr: {
        // Key-down against key-up power in 500 Hz around the tone.
        const Render r = render(s, QStringLiteral("PARIS ").repeated(40), c);
        const std::vector<double> inBand = bandPass(r.sound, tone - 250.0, tone + 250.0);
        const std::vector<int> state = keyState(r.clean, 441);
        double power[2] = {0, 0};
        qint64 count[2] = {0, 0};
        for (size_t i = 0; i < inBand.size(); ++i) {
            if (state[i] < 0)
                continue;
            power[state[i]] += inBand[i] * inBand[i];
            ++count[state[i]];
        }
        const double noise = power[0] / double(count[0]);
        const double signal = power[1] / double(count[1]) - noise;
        const double measured = 10 * std::log10(signal / noise);
        QVERIFY2(std::abs(measured - snr) <= 0.5, qPrintable(QString::number(measured)));
        break;
    }
    case Edges: {
        // The noise alone: its spectrum half down at the tone +- half the width.
        const Render r = render(s, QString(40, u' '), c);
        const Spectrum sp = spectrumOf(r.sound);
        const auto level = [&sp](double f) { return sp.band(f - 20, f + 20); };
        const double centre = level(tone);
        const auto edge = [&](int direction) {
            double f = tone;
            while (level(f) > centre / 2 && f > 0 && f < 20000)
                f += direction * 2.0;
            return std::abs(f - tone) * 2;
        };
        const double low = edge(-1);
        const double high = edge(1);
        QVERIFY2(std::abs(low - filter) <= 0.1 * filter, qPrintable(QString::number(low)));
        QVERIFY2(std::abs(high - filter) <= 0.1 * filter, qPrintable(QString::number(high)));
        break;
    }
    case Depth: {
        // The strongest and the weakest key-down stretch against the unfaded signal.
        const Render r = render(s, QStringLiteral("T").repeated(150), c);
        const std::vector<int> state = keyState(r.clean, 441);
        double weakest = 1e9, strongest = 0;
        const size_t window = 1764;   // 40 ms
        for (size_t i = 0; i + window < state.size(); i += window) {
            double p = 0;
            bool down = true;
            for (size_t j = i; j < i + window && down; ++j) {
                down = state[j] == 1;
                p += double(r.sound[j]) * r.sound[j];
            }
            if (!down)
                continue;
            const double amplitude = std::sqrt(2 * p / double(window)) / (r.gain * volume);
            weakest = std::min(weakest, amplitude);
            strongest = std::max(strongest, amplitude);
        }
        QVERIFY2(strongest > 0.95 && strongest < 1.05, qPrintable(QString::number(strongest)));
        QVERIFY2(weakest > 1 - c.qsbDepth - 0.03 && weakest < 1 - c.qsbDepth + 0.15,
                 qPrintable(QString::number(weakest)));
        break;
    }
    case Seed: {
        const QString text = QStringLiteral("CQ DE OZ1ABC K");
        const Render a = render(s, text, c);
        QVERIFY(a.sound == render(s, text, c).sound);
        c.seed = 8;
        QVERIFY(a.sound != render(s, text, c).sound);
        break;
    }
    case Clipping: {
        const Render r = render(s, QStringLiteral("PARIS ").repeated(15), c);
        const auto clipped = std::count_if(r.sound.begin(), r.sound.end(), [](std::int16_t v) {
            return v == 32767 || v == -32768;
        });
        QVERIFY2(double(clipped) < 1e-5 * double(r.sound.size()), qPrintable(QString::number(clipped)));
        // The signal is still there, under the headroom.
        QVERIFY(r.gain > 0.01);
        break;
    }
    case Clean: {
        c.active = false;
        const Render r = render(s, QStringLiteral("PARIS"), c);
        QVERIFY(r.sound == r.clean);
        break;
    }
    }
}

QTEST_GUILESS_MAIN(BandConditionsTest)
#include "tst_bandconditions.moc"
