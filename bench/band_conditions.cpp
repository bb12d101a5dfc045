// Band conditions as measured on the rendered sound: S/N against the setting from
// -10 to +30 dB (key-down against key-up power in 500 Hz around the tone), the
// filters' -3 dB edges from the noise's spectrum, the CPU of one half with every
// condition on, and the speed of rendering into a WAV file with and without them.

#include "render_text.h"
#include "support/SoundSamples.h"
#include "support/PowerBands.h"

#include "engine/BandConditions.h"
#include "engine/Cp1252.h"
#include "engine/SoundExport.h"

#include <QBuffer>
#include <QElapsedTimer>

#include <cmath>
#include <cstdio>
#include <ctime>

using namespace soundtest;

namespace {

std::vector<std::int16_t> render(const Settings &s, const QString &text, const band::Conditions &c)
{
    Settings own = s;
    Morse m(own, nullptr);
    m.buildElements();
    band::BandConditions conditions;
    conditions.prepare(c, s.giTone, s.glVolume);
    m.setConditions(&conditions);
    m.setText(text);
    return renderHalves(m);
}

double measuredSnr(const Settings &s, const band::Conditions &c)
{
    const QString text = QStringLiteral("PARIS ").repeated(40);
    const std::vector<std::int16_t> clean = renderHalves(s, text);
    const std::vector<std::int16_t> sound = render(s, text, c);
    const std::vector<double> inBand = bandPass(sound, s.giTone - 250.0, s.giTone + 250.0);
    const std::vector<int> state = keyState(clean, 441);
    double power[2] = {0, 0};
    double count[2] = {0, 0};
    for (size_t i = 0; i < inBand.size(); ++i) {
        if (state[i] < 0)
            continue;
        power[state[i]] += inBand[i] * inBand[i];
        count[state[i]] += 1;
    }
    const double noise = power[0] / count[0];
    return 10 * std::log10((power[1] / count[1] - noise) / noise);
}

band::Conditions everything()
{
    band::Conditions c;
    c.active = true;
    c.snrDb = -3;
    c.filterHz = 500;
    c.qsb = band::Fading::Flutter;
    c.qrm = 3;
    c.qrn = band::Static::Heavy;
    return c;
}

} // namespace

// "band_conditions cost": only the CPU and render-speed figures.
int main(int argc, char *argv[])
{
    const Settings s = soundSettings(20);
    const bool costOnly = argc > 1 && qstrcmp(argv[1], "cost") == 0;

    std::printf("S/N in 500 Hz, 1000 Hz filter, 'PARIS' x 40 at 20 WPM, 800 Hz\n");
    std::printf("  set dB   measured dB   seed 1   seed 2   seed 3\n");
    for (int snr = -10; snr <= 30 && !costOnly; snr += 5) {
        double sum = 0;
        double each[3];
        for (int seed = 1; seed <= 3; ++seed) {
            band::Conditions c;
            c.active = true;
            c.snrDb = snr;
            c.filterHz = 1000;
            c.seed = std::uint64_t(seed);
            each[seed - 1] = measuredSnr(s, c);
            sum += each[seed - 1];
        }
        std::printf("  %+6d   %+11.2f   %+6.2f   %+6.2f   %+6.2f\n", snr, sum / 3, each[0], each[1], each[2]);
    }

    std::printf("\nFilter edges from the noise's spectrum (tone 1500 Hz, 40 Hz smoothing)\n");
    std::printf("  width Hz   low edge Hz   high edge Hz   measured width Hz\n");
    for (int width : band::kFilterWidths) {
        if (costOnly)
            break;
        Settings t = soundSettings(20, 1500);
        band::Conditions c;
        c.active = true;
        c.snrDb = 0;
        c.filterHz = width;
        const Spectrum sp = spectrumOf(render(t, QString(60, u' '), c));
        const auto level = [&sp](double f) { return sp.band(f - 20, f + 20); };
        const double centre = level(1500);
        double lo = 1500, hi = 1500;
        while (level(lo) > centre / 2 && lo > 0)
            lo -= 1;
        while (level(hi) > centre / 2 && hi < 20000)
            hi += 1;
        std::printf("  %8d   %11.0f   %12.0f   %17.0f\n", width, lo, hi, hi - lo);
    }

    std::printf("\nOne half (22050 samples, 0.5 s of sound), CPU, mean of 400\n");
    {
        Settings own = s;
        Morse m(own, nullptr);
        m.buildElements();
        band::BandConditions conditions;
        conditions.prepare(everything(), s.giTone, s.glVolume);
        for (int pass = 0; pass < 2; ++pass) {
            m.setConditions(pass == 0 ? nullptr : &conditions);
            m.setText(QString::fromLatin1(benchmarkText()).toUpper());
            const std::clock_t cpu0 = std::clock();
            for (int i = 0; i < 400; ++i)
                m.FyldDel(i % 2);
            const double ms = double(std::clock() - cpu0) * 1000.0 / CLOCKS_PER_SEC / 400;
            std::printf("  %-44s %7.3f ms  (%5.2f %% of a core while playing)\n",
                        pass == 0 ? "clean fill" : "fill + S/N -3, QSB flutter, 3 QRM, heavy QRN", ms,
                        ms / 500 * 100);
        }
    }

    std::printf("\nRendering a 2000-character text at 20 WPM to WAV in memory, best of 3\n");
    const QString text = cp1252::upper(cp1252::decode(benchmarkText())) + u' ';
    for (int pass = 0; pass < 2; ++pass) {
        double best = 1e9;
        double seconds = 0;
        for (int run = 0; run < 3; ++run) {
            QBuffer buffer;
            buffer.open(QIODevice::ReadWrite);
            const std::clock_t cpu0 = std::clock();
            soundexport::renderInto(s, text, buffer, true, SoundFileFormat::Wav, {},
                                    pass == 0 ? band::Conditions{} : everything());
            best = std::min(best, double(std::clock() - cpu0) / CLOCKS_PER_SEC);
            seconds = double(buffer.size() - 44) / morse::kBufferBytes;
        }
        std::printf("  %-16s %7.1f s of sound in %6.3f s of CPU (%6.0fx real time)\n",
                    pass == 0 ? "clean" : "all conditions", seconds, best, seconds / best);
    }
    return 0;
}
