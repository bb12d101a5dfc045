// Process CPU time of the real sound path while sending: the engine on a
// PulseSoundDevice sends text for 30 s (nothing else runs in the process) and the CPU
// time of all its threads is divided by the wall time. Needs the private sound
// server of scripts/services.sh.
//
//   sound_cpu [seconds]

#include "ProcessFigures.h"
#include "SoundCapture.h"
#include "engine/Morse.h"
#include "engine/sound_device/PulseSoundDevice.h"

#include <QCoreApplication>

#include <cstdio>
#include <ctime>

static int run(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 30;
    const QString problem = soundtest::serverProblem();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    Settings settings;
    settings.giWPM = 20;
    settings.giTone = 800;
    settings.glVolume = 12000;
    auto *device = new PulseSoundDevice;
    Morse morse(settings, std::unique_ptr<SoundDevice>(device));
    if (!morse.LavLyd()) {
        std::fprintf(stderr, "no sound device: error %d\n", int(morse.error()));
        return 1;
    }
    // PARIS takes 3 s at 20 WPM; the text outlasts the measurement.
    morse.gsCWTekst = QStringLiteral("PARIS ").repeated(seconds / 3 + 5);
    int failures = 0;
    QElapsedTimer sinceStart;
    sinceStart.start();
    morse.deviceFailed = [&] {
        ++failures;
        std::fprintf(stderr, "device failed after %.1f s: error %d\n", double(sinceStart.elapsed()) / 1000,
                     int(morse.error()));
    };

    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    const double cpuBefore = bench::processCpuSeconds();
    wall.start();
    morse.StartSending();
    loop.exec();
    const double cpu = bench::processCpuSeconds() - cpuBefore;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const bool stillSending = morse.isSending();
    morse.StopSending();

    std::printf("sent for %.1f s: process CPU %.3f s = %.2f %% of one core\n", elapsed, cpu,
                100.0 * cpu / elapsed);
    std::printf("still sending at the end: %s; device failures: %d; underruns: %d\n",
                stillSending ? "yes" : "NO", failures, device->underruns());
    return stillSending && failures == 0 ? 0 : 1;
}

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
