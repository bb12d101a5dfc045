// The sending practice's sidetone as a user feels it, on the test display and the
// private sound server (bench/sound_figures.sh starts both): from the launch of an
// xdotool key-down of the left lever ("[") on the key area to the first non-silent
// sample at the null sink's monitor, beside the launch of paplay with a short tone
// in the same run.
//
//   sidetone_latency [runs]

#include "LatencyFigures.h"
#include "support/SoundCapture.h"
#include "support/XDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>

using namespace soundtest;
using namespace xdriver;

static int run(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    const QString problem = serverProblem();
    if (!problem.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "%s\n", problem.isEmpty() ? "DISPLAY is not set" : qPrintable(problem));
        return 1;
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    QElapsedTimer clock;
    clock.start();
    std::map<std::string, std::vector<double>> figures;

    QProcess program;
    if (!startOnDisplay(program, QStringLiteral(TELVOK_CW), home.path()))
        return 1;
    const QString main = findWindow(bench::kMainTitle);
    if (main.isEmpty()) {
        std::fprintf(stderr, "the main window did not appear\n");
        return 1;
    }
    spin(1000);
    keys(main, {QStringLiteral("alt+k"), QStringLiteral("s")});
    const QString window = findWindow(QStringLiteral("Sendetræning"), 5000);
    if (window.isEmpty()) {
        std::fprintf(stderr, "the sending practice did not open\n");
        return 1;
    }
    spin(500);
    keys(window, {QStringLiteral("space")});   // Start: the key area has the focus
    spin(300);
    int checked = 0;
    int cutRises = 0;
    int gaps = 0;
    for (int i = 0; i < runs; ++i) {
        Capture capture(clock);
        if (!capture.start())
            return 1;
        spin(50 + (i % 7) * 13);   // vary the phase against the server's blocks
        QProcess press;
        const qint64 pressNs = clock.nsecsElapsed();
        press.start(QStringLiteral("xdotool"), {QStringLiteral("keydown"), QStringLiteral("bracketleft")});
        const double ms = bench::toFirstSound(capture, 0, pressNs, 3000);
        if (ms >= 0)
            figures["key-down -> first sound"].push_back(ms);
        press.waitForFinished();
        spin(100);
        xdotool({QStringLiteral("keyup"), QStringLiteral("bracketleft")});
        spin(300);
        capture.stop();
        // The tone as heard: its 5 ms rise whole (no sample of the first 0.5 ms above
        // a tenth of the peak), and no gap in its first 40 ms (the first dit at the
        // speed set, 20 WPM unless stored otherwise, lasts longer).
        const std::vector<std::int16_t> pcm = capture.samples();
        const qint64 first = capture.firstSound(0);
        if (first < 0)
            continue;
        int peak = 0;
        for (const std::int16_t v : pcm)
            peak = std::max(peak, std::abs(int(v)));
        int early = 0;
        for (qint64 k = first; k < std::min<qint64>(first + 22, qint64(pcm.size())); ++k)
            early = std::max(early, std::abs(int(pcm[size_t(k)])));
        ++checked;
        cutRises += early > peak / 10;
        qint64 silent = 0;
        bool gap = false;
        for (qint64 k = first; k <= std::min(capture.lastSound(), first + 1764); ++k) {
            silent = pcm[size_t(k)] == 0 ? silent + 1 : 0;
            gap = gap || silent > 20;
        }
        gaps += gap;
    }
    program.terminate();
    program.waitForFinished(10000);

    // paplay of a short tone, cold, the same number of times.
    const QString wav = home.filePath(QStringLiteral("t.wav"));
    {
        QFile f(home.filePath(QStringLiteral("t.txt")));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write("E");
    }
    xdriver::run(QStringLiteral(TELVOK_CW_SEND), {QStringLiteral("--wpm"), QStringLiteral("20"),
                                                  QStringLiteral("-o"), wav, home.filePath(QStringLiteral("t.txt"))});
    for (int i = 0; i < runs && QFile::exists(wav); ++i) {
        Capture capture(clock);
        if (!capture.start())
            return 1;
        spin(30 + (i % 7) * 13);
        QProcess p;
        const qint64 startNs = clock.nsecsElapsed();
        p.start(QStringLiteral("paplay"), {wav});
        const double ms = bench::toFirstSound(capture, 0, startNs, 3000);
        if (ms >= 0)
            figures["paplay launch -> first sound"].push_back(ms);
        p.waitForFinished(10000);
        capture.stop();
    }
    for (const auto &[name, values] : figures)
        bench::printLatencies(name.c_str(), values);
    std::printf("%-38s %d of %d tones with a cut rise, %d with a gap\n", "sidetone as heard", cutRises, checked, gaps);
    return 0;
}

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
