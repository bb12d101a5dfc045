// Latency of the real sound path as a user feels it, on the test display and the
// private sound server (bench/sound_figures.sh starts both). Each time is taken
// from the moment a helper program is started, without waiting for it, to the
// first (or, for a stop, the last) non-silent sample read from the null sink's
// monitor, which arrives in 10 ms chunks:
//  - a mouse click on "TX" and Alt+T in the program (with xdotool's pause between
//    keys, and without), Escape and a click on "Stop";
//  - the launch of telvok-cw-send, of paplay with a WAV of the same sound (the
//    setup's own delay), and of unixcw's cw when it is installed;
// and how many telvok-cw-send runs did not end with status 0.
//
//   sound_latency [window runs] [launch runs]

#include "LatencyFigures.h"
#include "support/SoundCapture.h"
#include "support/XDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>

using namespace soundtest;
using namespace xdriver;

namespace {

// Starts a helper and returns at once; the clock reading just before.
qint64 launch(QProcess &process, const QString &program, const QStringList &args, const QElapsedTimer &clock)
{
    const qint64 ns = clock.nsecsElapsed();
    process.start(program, args);
    return ns;
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

Geometry geometry(const QString &window)
{
    Geometry g;
    const QString shell = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    for (const QString &line : shell.split(QLatin1Char('\n'))) {
        const QStringList kv = line.split(QLatin1Char('='));
        const int v = kv.value(1).toInt();
        if (kv.value(0) == QLatin1String("X"))
            g.x = v;
        else if (kv.value(0) == QLatin1String("Y"))
            g.y = v;
        else if (kv.value(0) == QLatin1String("WIDTH"))
            g.width = v;
        else if (kv.value(0) == QLatin1String("HEIGHT"))
            g.height = v;
    }
    return g;
}

} // namespace

static int run(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int windowRuns = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    const int launchRuns = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 200;
    const QString problem = serverProblem();
    if (!problem.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "%s\n", problem.isEmpty() ? "DISPLAY is not set" : qPrintable(problem));
        return 1;
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    QElapsedTimer clock;
    clock.start();
    std::map<std::string, std::vector<double>> figures;

    // The window sends at 5 WPM: its first dash (0.72 s) outlasts the stop.
    const QString store = home.filePath(bench::kMainTitle);
    QDir().mkpath(store);
    QFile ini(store + u'/' + bench::kMainTitle + QStringLiteral(".ini"));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[CW]\nWPM=5\nTone=800\nVolume=10000\nFarnsworth=0\n");
    ini.close();

    // The window: the buttons as Form_Resize places them, 1095 x 375 twips at 96 dpi
    // (73 x 25 pixels), "Stop" 1.1 widths from the right edge, "TX" 1.1 widths left
    // of it, both two heights above the bottom.
    QProcess program;
    if (!startOnDisplay(program, QStringLiteral(TELVOK_CW), home.path()))
        return 1;
    const QString main = findWindow(bench::kMainTitle);
    if (main.isEmpty()) {
        std::fprintf(stderr, "the main window did not appear\n");
        return 1;
    }
    spin(1000);
    type(main, QStringLiteral("tttttttttttttttttttt"));
    const Geometry g = geometry(main);
    const int buttonY = g.y + g.height - 2 * 25 + 12;
    const QString txX = QString::number(g.x + g.width - int(73 * 1.1 * 2) + 36);
    const QString stopX = QString::number(g.x + g.width - int(73 * 1.1) + 36);
    const QString y = QString::number(buttonY);
    for (int i = 0; i < windowRuns; ++i) {
        const bool mouse = i % 2 == 0;
        // xdotool's own pause between keys (12 ms, half of it between Alt and T),
        // and none: the second is the program's part alone.
        const bool pauseless = i % 4 == 3;
        Capture capture(clock);
        if (!capture.start())
            return 1;
        spin(50 + (i % 7) * 13);   // vary the phase against the server's blocks
        QProcess press;
        const qint64 pressNs = mouse ? launch(press, QStringLiteral("xdotool"),
                                              {QStringLiteral("mousemove"), txX, y, QStringLiteral("click"),
                                               QStringLiteral("1")}, clock)
                                     : launch(press, QStringLiteral("xdotool"),
                                              {QStringLiteral("key"), QStringLiteral("--delay"),
                                               pauseless ? QStringLiteral("0") : QStringLiteral("12"), QStringLiteral("alt+t")},
                                              clock);
        const double start = bench::toFirstSound(capture, 0, pressNs, 3000);
        if (start >= 0)
            figures[mouse       ? "click on TX -> first sound"
                    : pauseless ? "Alt+T, T at once -> first sound"
                                : "Alt+T -> first sound"]
                .push_back(start);
        press.waitForFinished();
        spin(100);     // inside the first dash
        QProcess stop;
        const qint64 stopNs = mouse ? launch(stop, QStringLiteral("xdotool"),
                                             {QStringLiteral("key"), QStringLiteral("Escape")}, clock)
                                    : launch(stop, QStringLiteral("xdotool"),
                                             {QStringLiteral("mousemove"), stopX, y, QStringLiteral("click"),
                                              QStringLiteral("1")}, clock);
        spin(400);
        stop.waitForFinished();
        const qint64 last = capture.lastSound();
        if (start >= 0 && last >= 0)
            figures[mouse ? "Escape -> silence" : "click on Stop -> silence"].push_back(
                double(capture.arrivalNs(last) - stopNs) / 1e6);
        capture.stop();
        spin(200);
    }
    program.terminate();
    program.waitForFinished(10000);

    // Launches: telvok-cw-send each run; paplay and cw every tenth.
    const QString text = home.filePath(QStringLiteral("t.txt"));
    const QString wav = home.filePath(QStringLiteral("t.wav"));
    {
        QFile f(text);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write("T");
    }
    const QStringList options{QStringLiteral("--wpm"), QStringLiteral("20"), QStringLiteral("--tone"),
                              QStringLiteral("800")};
    xdriver::run(QStringLiteral(TELVOK_CW_SEND), options + QStringList{QStringLiteral("-o"), wav, text});
    if (!QFile::exists(wav))
        return 1;
    const bool haveCw = !QStandardPaths::findExecutable(QStringLiteral("cw")).isEmpty();
    int aborts = 0;
    for (int i = 0; i < launchRuns; ++i) {
        struct Launch {
            const char *name;
            QString program;
            QStringList args;
        };
        std::vector<Launch> launches{{"telvok-cw-send launch -> first sound", QStringLiteral(TELVOK_CW_SEND),
                                      options + QStringList{text}}};
        if (i % 10 == 0) {
            launches.push_back({"paplay launch -> first sound", QStringLiteral("paplay"), {wav}});
            if (haveCw)
                launches.push_back({"cw launch -> first sound", QStringLiteral("cw"),
                                    {QStringLiteral("-w"), QStringLiteral("20"), QStringLiteral("-t"),
                                     QStringLiteral("800")}});
        }
        for (const Launch &l : launches) {
            Capture capture(clock);
            if (!capture.start())
                return 1;
            spin(30 + (i % 7) * 13);
            QProcess p;
            const qint64 startNs = launch(p, l.program, l.args, clock);
            if (l.program == QLatin1String("cw")) {
                p.write("T\n");
                p.closeWriteChannel();
            }
            const double ms = bench::toFirstSound(capture, 0, startNs, 3000);
            if (ms >= 0)
                figures[l.name].push_back(ms);
            const bool finished = p.waitForFinished(10000);
            if (l.program == QLatin1String(TELVOK_CW_SEND)
                && (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0))
                ++aborts;
            capture.stop();
        }
    }

    for (const auto &[name, values] : figures)
        bench::printLatencies(name.c_str(), values);
    std::printf("telvok-cw-send runs that did not exit with status 0: %d of %d\n", aborts, launchRuns);
    return 0;
}

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
