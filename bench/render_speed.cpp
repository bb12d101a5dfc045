// Rendering speed: seconds of sound per second of CPU for a 2000-character text at
// 20 WPM, for the whole "telvok-cw-send -o" process (target 10 000x real time) and
// for the same engine path inside this process without the file.

#include "ProcessFigures.h"
#include "render_text.h"

#include "engine/Cp1252.h"
#include "engine/Morse.h"
#include "engine/constants.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

constexpr int kRuns = 5;

void report(const char *label, double audioSeconds, double wallSeconds, double cpuSeconds)
{
    std::printf("%-34s %8.1f s of sound  wall %7.4f s (%8.0fx)", label, audioSeconds, wallSeconds,
                audioSeconds / wallSeconds);
    if (cpuSeconds > 0)
        std::printf("  cpu %7.4f s (%8.0fx)", cpuSeconds, audioSeconds / cpuSeconds);
    std::printf("\n");
}

// The tool's own loop, minus the file: the simulated device plays half by half.
double renderInProcess(const QString &text)
{
    Settings settings;
    settings.giWPM = 20;
    settings.giTone = 800;
    settings.glVolume = 10000;
    auto *device = new SimulatedSoundDevice;
    Morse morse(settings, std::unique_ptr<SoundDevice>(device));
    morse.LavLyd();
    morse.setText(text);
    morse.StartSending();
    qint64 bytes = 0;
    while (device->isPlaying()) {
        device->advance(morse::kHalfSamples);
        bytes += device->played().size();
        device->clearPlayed();
    }
    return double(bytes) / morse::kBufferBytes;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QByteArray input = benchmarkText();
    std::printf("Rendering a %lld-character text at 20 WPM, best of %d runs\n", qlonglong(input.size()),
                kRuns);

    const QString text = cp1252::upper(cp1252::decode(input)) + u' ';
    double best = 1e9;
    double bestCpu = 1e9;
    double audio = 0;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer wall;
        wall.start();
        const std::clock_t cpu0 = std::clock();
        audio = renderInProcess(text);
        bestCpu = std::min(bestCpu, double(std::clock() - cpu0) / CLOCKS_PER_SEC);
        best = std::min(best, double(wall.nsecsElapsed()) / 1e9);
    }
    report("engine + simulated device", audio, best, bestCpu);

    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.txt"));
    const QString out = dir.filePath(QStringLiteral("out.wav"));
    QFile f(in);
    if (!f.open(QIODevice::WriteOnly) || f.write(input) != input.size())
        return 1;
    f.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    best = 1e9;
    bestCpu = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        QProcess p;
        p.setProcessEnvironment(env);
        const double cpu0 = bench::childCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        p.start(QStringLiteral(TELVOK_CW_SEND), {"--wpm", "20", "-o", out, in});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            std::fprintf(stderr, "telvok-cw-send failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
        best = std::min(best, double(wall.nsecsElapsed()) / 1e9);
        bestCpu = std::min(bestCpu, bench::childCpuSeconds() - cpu0);
    }
    audio = double(QFileInfo(out).size() - 44) / morse::kBufferBytes;
    report("telvok-cw-send -o (whole process)", audio, best, bestCpu);
    std::printf("target: >= 10000x real time for the whole process\n");
    return 0;
}
