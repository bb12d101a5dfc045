// Latency of the real sound path: from StartSending to the first non-silent sample
// captured at the null sink's monitor, and from StopSending to the last one. Needs
// the private sound server of scripts/services.sh. Prints the figures in ms.
//
//   sound_latency [runs]

#include "SoundCapture.h"
#include "engine/Morse.h"
#include "engine/constants.h"
#include "engine/sound_device/PulseSoundDevice.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

using namespace soundtest;

namespace {

struct Figures {
    std::vector<double> start;
    std::vector<double> stop;
};

void summary(const char *what, std::vector<double> v)
{
    if (v.empty()) {
        std::printf("%-34s no data\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v)
        sum += x;
    std::printf("%-34s min %6.1f  median %6.1f  mean %6.1f  max %6.1f ms  (%zu runs)\n", what,
                v.front(), v[v.size() / 2], sum / double(v.size()), v.back(), v.size());
}

} // namespace

static int run(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    const QString problem = serverProblem();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }

    Settings settings;
    settings.giWPM = 20;
    settings.giTone = 800;
    settings.glVolume = 12000;
    settings.giFarnsworth = 0;
    Morse morse(settings, std::make_unique<PulseSoundDevice>());
    if (!morse.LavLyd()) {
        std::fprintf(stderr, "no sound device: error %d\n", int(morse.error()));
        return 1;
    }

    Figures f;
    QElapsedTimer clock;
    clock.start();
    for (int run = 0; run < runs; ++run) {
        Capture capture(clock);
        if (!capture.start()) {
            std::fprintf(stderr, "parec did not deliver\n");
            return 1;
        }
        spin(50 + (run % 7) * 13);      // vary the phase against the server's blocks
        const qint64 baseline = capture.sampleCount();
        morse.gsCWTekst = QStringLiteral("T ");
        const qint64 startNs = clock.nsecsElapsed();
        morse.StartSending();
        waitFor([&] { return capture.firstSound(baseline) >= 0; }, 2000);
        const qint64 first = capture.firstSound(baseline);
        if (first >= 0)
            f.start.push_back(double(capture.arrivalNs(first) - startNs) / 1e6);
        spin(100);
        morse.StopSending();
        capture.stop();
    }

    // Stop latency on an endless tone (the text's gaps would hide the stop).
    PulseSoundDevice tone;
    if (!tone.open(morse::kBufferBytes))
        return 1;
    std::vector<std::int16_t> half(size_t(morse::kHalfSamples));
    for (size_t i = 0; i < half.size(); ++i)
        half[i] = std::int16_t(i % 50 < 25 ? 8000 : -8000);
    tone.write(0, half);
    tone.write(morse::kHalfBytes, half);
    for (int run = 0; run < runs; ++run) {
        Capture capture(clock);
        if (!capture.start())
            return 1;
        tone.setPosition(0);
        tone.playLooping();
        spin(300 + (run % 7) * 13);
        const qint64 stopNs = clock.nsecsElapsed();
        tone.stop();
        spin(300);
        capture.stop();
        const auto s = capture.samples();
        qint64 last = qint64(s.size()) - 1;
        while (last >= 0 && s[size_t(last)] == 0)
            --last;
        if (last >= 0)
            f.stop.push_back(double(capture.arrivalNs(last) - stopNs) / 1e6);
    }
    auto *device = static_cast<PulseSoundDevice *>(morse.device());
    std::printf("server buffer target: %d bytes (%.1f ms)\n", PulseSoundDevice::kTargetBytes,
                PulseSoundDevice::kTargetBytes / 88.2);
    summary("StartSending -> first sound heard", f.start);
    summary("StopSending -> last sound heard", f.stop);
    std::printf("underruns: %d\n", device->underruns());
    return 0;
}

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
