// The sidetone stream keyed for a long session into the real sound server: a lever
// pattern at 40 WPM through the keyer into the stream, then the gaps (underruns) the
// server reported, the latency the stream measured, key events lost, and the CPU the
// process used, per cent of one core.
//
//   sidetone_dropouts [seconds]

#include "ProcessFigures.h"
#include "support/SoundCapture.h"

#include "PulseSoundDevice.h"
#include "engine/Morse.h"
#include "exercises/KeyerSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 600;
    const QString problem = soundtest::serverProblem();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    PulseSoundDevice device;
    std::unique_ptr<SidetoneStream> stream = device.makeSidetoneStream();
    keying::KeyerSource source(Morse::dotLength(40), 700, 10000);
    source.setMode(keying::KeyerMode::IambicB, false);
    if (!stream->start(&source)) {
        std::fprintf(stderr, "the sidetone stream did not start\n");
        return 1;
    }
    bool failed = false;
    stream->failed = [&] { failed = true; };

    // A hand on a paddle: a lever changes every 45 ms on average, at random; the
    // events are taken as the window takes them, as often as it does (every 40 ms).
    QRandomGenerator rng(7);
    bool left = false;
    bool right = false;
    int events = 0;
    QTimer hand;
    hand.setSingleShot(true);
    QObject::connect(&hand, &QTimer::timeout, [&] {
        if (rng.bounded(2) == 0)
            left = !left;
        else
            right = !right;
        source.setLevers(left, right);
        stream->refresh();   // as the window does at every lever change
        hand.start(5 + int(rng.bounded(80)));
    });
    hand.start(10);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        keying::KeyEvent e;
        while (source.takeEvent(e))
            ++events;
    });
    poll.start(40);
    QElapsedTimer wall;
    wall.start();
    int latencyMax = 0;
    long latencySum = 0;
    int latencyCount = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        static int seen = 0;
        if (stream->underruns() != seen) {   // when they came, to tell them from load
            seen = stream->underruns();
            std::fprintf(stderr, "underruns %d at %.1f s\n", seen, double(wall.elapsed()) / 1000);
        }
        const int ms = stream->latencyMs();
        if (ms >= 0) {
            latencyMax = std::max(latencyMax, ms);
            latencySum += ms;
            ++latencyCount;
        }
    });
    probe.start(500);
    const double cpuStart = bench::processCpuSeconds();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double cpu = bench::processCpuSeconds() - cpuStart;
    const double elapsed = double(wall.elapsed()) / 1000;
    std::printf("keyed for %.0f s at 40 WPM: %d key events, %d lost\n", elapsed, events, source.lostEvents());
    std::printf("underruns: %d%s\n", stream->underruns(), failed ? " (the stream failed)" : "");
    std::printf("latency: mean %.1f ms, max %d ms\n", latencyCount ? double(latencySum) / latencyCount : -1.0,
                latencyMax);
    std::printf("CPU: %.2f %% of one core\n", 100 * cpu / elapsed);
    stream->stop();
    return failed ? 1 : 0;
}
