// Process CPU while sending, beside a peer: telvok-cw-send (the engine and device
// the window uses) plays PARIS at 20 WPM for 30 s, then unixcw's cw sends the same
// text for as long, in the same run, both into the private sound server's null
// sink. The CPU time of every thread of each process (/proc/<pid>/stat) is divided
// by the wall time. Needs the private sound server (bench/sound_figures.sh).
//
//   sound_cpu [seconds]

#include "support/SoundCapture.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

// User + system seconds of a running process and all its threads; -1 if unknown.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the parenthesised command name; utime and stime are 14 and 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// Runs program for seconds, feeding it input on standard input; its CPU share in %.
double measure(const QString &program, const QStringList &args, const QByteArray &input, int seconds)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForStarted())
        return -1;
    if (!input.isEmpty()) {
        p.write(input);
        p.closeWriteChannel();
    }
    QElapsedTimer wall;
    wall.start();
    soundtest::spin(seconds * 1000);
    const double cpu = cpuSeconds(p.processId());
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const bool running = p.state() == QProcess::Running;
    p.terminate();
    p.waitForFinished(5000);
    return running && cpu >= 0 ? 100.0 * cpu / elapsed : -1;
}

} // namespace

static int run(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 30;
    const QString problem = soundtest::serverProblem();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    // PARIS takes 3 s at 20 WPM; the text outlasts the measurement.
    const QByteArray text = QByteArray("PARIS ").repeated(seconds / 3 + 10);
    const QString file = dir.filePath(QStringLiteral("paris.txt"));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return 1;
    f.close();

    const double ours = measure(QStringLiteral(TELVOK_CW_SEND),
                                {QStringLiteral("--wpm"), QStringLiteral("20"), QStringLiteral("--tone"),
                                 QStringLiteral("800"), file},
                                {}, seconds);
    std::printf("telvok-cw-send, %d s of PARIS at 20 WPM: %.2f %% of one core\n", seconds, ours);
    if (QStandardPaths::findExecutable(QStringLiteral("cw")).isEmpty()) {
        std::printf("cw is not installed (Debian package cw): no peer figure\n");
        return ours >= 0 ? 0 : 1;
    }
    const double peer = measure(QStringLiteral("cw"),
                                {QStringLiteral("-w"), QStringLiteral("20"), QStringLiteral("-t"), QStringLiteral("800")},
                                text, seconds);
    std::printf("cw (unixcw), the same text and speed:  %.2f %% of one core\n", peer);
    if (ours > 0 && peer > 0)
        std::printf("telvok-cw-send uses %.1fx less\n", peer / ours);
    return ours >= 0 && peer >= 0 ? 0 : 1;
}

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
