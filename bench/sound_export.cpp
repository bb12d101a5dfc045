// Sound files from a 2000-character text at 20 WPM (about 20 minutes of sound), each
// format: seconds of sound per second of wall and CPU time, and kB per minute of
// sound; beside ebook2cw writing MP3 and Ogg of the same text at the same sample rate
// in the same run, when it is installed (bench/sound_export.sh installs it).
// Targets: WAV >= 10 000x, FLAC >= 1 000x real time, MP3 and Ogg at least as fast as
// ebook2cw.

#include "ProcessFigures.h"
#include "render_text.h"

#include "engine/Cp1252.h"
#include "engine/SoundExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sndfile.h>

#include <cstdio>

namespace {

struct Figures {
    double soundSeconds = 0;
    double wall = 1e9;   // best run, seconds
    double cpu = 1e9;
    qint64 bytes = 0;
};

void report(const char *label, const Figures &f)
{
    std::printf("%-26s %7.1f s of sound  wall %7.3f s (%7.0fx)  cpu %7.3f s (%7.0fx)  %6.0f kB/min\n",
                label, f.soundSeconds, f.wall, f.soundSeconds / f.wall, f.cpu, f.soundSeconds / f.cpu,
                double(f.bytes) / 1024 / (f.soundSeconds / 60));
}

// The length libsndfile reads in a file, in seconds.
double soundSeconds(const QString &path)
{
    SF_INFO info = {};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return 0;
    sf_close(f);
    return double(info.frames) / info.samplerate;
}

Figures ours(const Settings &settings, const QString &text, const QString &path, SoundFileFormat format,
             int runs)
{
    Figures f;
    for (int i = 0; i < runs; ++i) {
        QFile::remove(path);
        const double cpu0 = bench::processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        if (!soundexport::exportText(settings, text, path, format).ok()) {
            std::fprintf(stderr, "export to %s failed\n", qPrintable(path));
            return f;
        }
        f.wall = std::min(f.wall, double(wall.nsecsElapsed()) / 1e9);
        f.cpu = std::min(f.cpu, bench::processCpuSeconds() - cpu0);
    }
    f.soundSeconds = soundSeconds(path);
    f.bytes = QFileInfo(path).size();
    return f;
}

// ebook2cw names its output <name>0000.mp3 or .ogg; its first run copies a settings
// file into $HOME, so HOME is the temporary folder.
Figures ebook2cw(const QString &program, const QString &dir, const QString &in, bool ogg, int runs)
{
    Figures f;
    const QString base = dir + (ogg ? QStringLiteral("/eb-ogg") : QStringLiteral("/eb-mp3"));
    const QString out = base + (ogg ? QStringLiteral("0000.ogg") : QStringLiteral("0000.mp3"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir);
    QStringList args = {"-w", "20", "-f", "800", "-s", "44100", "-o", base, in};
    if (ogg)
        args.prepend(QStringLiteral("-O"));
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir);
        const double cpu0 = bench::childCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        p.start(program, args);
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            std::fprintf(stderr, "ebook2cw failed: %s\n", p.readAllStandardError().constData());
            return f;
        }
        f.wall = std::min(f.wall, double(wall.nsecsElapsed()) / 1e9);
        f.cpu = std::min(f.cpu, bench::childCpuSeconds() - cpu0);
    }
    f.soundSeconds = soundSeconds(out);
    f.bytes = QFileInfo(out).size();
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const QByteArray input = benchmarkText();
    std::printf("Sound files of a %lld-character text at 20 WPM, 800 Hz, best of %d runs\n",
                qlonglong(input.size()), runs);
    const QString text = cp1252::upper(cp1252::decode(input)) + u' ';
    Settings settings;
    settings.giWPM = 20;
    settings.giTone = 800;
    settings.glVolume = 10000;

    QTemporaryDir dir;
    const struct {
        const char *label;
        SoundFileFormat format;
        int runs;
    } formats[] = {
        {"WAV", SoundFileFormat::Wav, runs + 2},
        {"FLAC", SoundFileFormat::Flac, runs},
        {"Ogg Vorbis", SoundFileFormat::OggVorbis, runs},
        {"MP3", SoundFileFormat::Mp3, runs},
    };
    for (const auto &f : formats) {
        const QString path = dir.filePath(QStringLiteral("ud.") + soundfile::extension(f.format));
        report(f.label, ours(settings, text, path, f.format, f.runs));
        QFile::remove(path);
    }

    const QString program = QStandardPaths::findExecutable(QStringLiteral("ebook2cw"));
    if (program.isEmpty()) {
        std::printf("ebook2cw is not installed (bench/sound_export.sh installs it)\n");
    } else {
        const QString in = dir.filePath(QStringLiteral("in.txt"));
        QFile file(in);
        if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
            return 1;
        file.close();
        report("ebook2cw MP3", ebook2cw(program, dir.path(), in, false, runs));
        report("ebook2cw Ogg Vorbis", ebook2cw(program, dir.path(), in, true, runs));
    }
    std::printf("targets: WAV >= 10000x, FLAC >= 1000x real time; MP3 and Ogg at least ebook2cw's speed\n");
    return 0;
}
