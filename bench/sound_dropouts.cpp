// Dropouts of the real sound path over a long run: sends a text through the engine
// on a PulseSoundDevice while capturing the null sink's monitor, and compares the
// capture with the engine's reference rendering sample for sample. Every place
// where samples go missing or repeat counts as one dropout. Optional load: busy
// threads, and a UI thread that stalls every second. Needs the private sound
// server of scripts/services.sh.
//
//   sound_dropouts [seconds] [busyThreads] [uiStallMs]
//   sound_dropouts --compare captured.raw reference.wav
// The second form compares a capture made elsewhere (raw s16le mono 44100 Hz)
// with a WAV file from telvok-cw-send -o.

#include "ProcessFigures.h"
#include "support/SoundCapture.h"
#include "engine/Morse.h"
#include "PulseSoundDevice.h"

#include <QCoreApplication>
#include <QThread>

#include <QFile>

#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

using namespace soundtest;

namespace {

struct Comparison {
    qint64 compared = 0;    // reference samples checked
    int dropouts = 0;       // places where the capture left the reference
    qint64 lost = 0;        // reference samples not found (skipped over)
    qint64 extra = 0;       // capture samples that belong to no reference sample
};

// Walks both; at a mismatch it looks for the next 256 reference samples within a
// second of either side and resynchronises there.
Comparison compare(const std::vector<std::int16_t> &got, const std::vector<std::int16_t> &ref,
                   const Match &m)
{
    constexpr qint64 kWindow = 256;
    constexpr qint64 kSearch = 44100;
    Comparison c;
    qint64 r = m.firstSound;
    qint64 g = m.offset + r;
    const auto n = qint64(ref.size());
    const auto gn = qint64(got.size());
    while (r < n && g < gn) {
        if (got[size_t(g)] == ref[size_t(r)]) {
            ++r;
            ++g;
            ++c.compared;
            continue;
        }
        ++c.dropouts;
        bool synced = false;
        for (qint64 skip = 0; skip < kSearch && !synced; ++skip) {
            for (int side = 0; side < 2 && !synced; ++side) {
                const qint64 rr = side == 0 ? r + skip : r;     // reference samples lost
                const qint64 gg = side == 0 ? g : g + skip;     // capture samples extra
                if (rr + kWindow > n || gg + kWindow > gn)
                    continue;
                if (std::equal(ref.begin() + rr, ref.begin() + rr + kWindow, got.begin() + gg)) {
                    c.lost += rr - r;
                    c.extra += gg - g;
                    r = rr;
                    g = gg;
                    synced = true;
                }
            }
        }
        if (!synced)
            break;
    }
    c.lost += n - r;
    return c;
}

} // namespace

// Compares two files; exit status 0 when the capture holds the reference unchanged.
int compareFiles(const QString &capturedPath, const QString &referencePath)
{
    QFile captured(capturedPath);
    QFile reference(referencePath);
    if (!captured.open(QIODevice::ReadOnly) || !reference.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s or %s\n", qPrintable(capturedPath), qPrintable(referencePath));
        return 1;
    }
    const std::vector<std::int16_t> got = toSamples(captured.readAll());
    const std::vector<std::int16_t> ref = toSamples(reference.readAll().mid(44));
    const Match m = locate(got, ref);
    if (!m.found) {
        std::printf("the reference was not found in the capture\n");
        return 1;
    }
    const Comparison c = compare(got, ref, m);
    std::printf("dropouts: %d (samples lost %lld, extra %lld), compared %lld of %lld (%.1f s)\n",
                c.dropouts, static_cast<long long>(c.lost), static_cast<long long>(c.extra),
                static_cast<long long>(c.compared), static_cast<long long>(ref.size() - m.firstSound),
                double(c.compared) / 44100);
    return c.dropouts == 0 ? 0 : 1;
}

static int run(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--compare")
        return compareFiles(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    const int seconds = argc > 1 ? std::max(2, QString::fromLocal8Bit(argv[1]).toInt()) : 60;
    const int busyThreads = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;
    const int stallMs = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 0;
    const QString problem = serverProblem();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }

    Settings settings;
    settings.giWPM = 30;
    settings.giTone = 700;
    settings.glVolume = 12000;
    // Random five-letter groups: no stretch of sound repeats, so a half played twice
    // or skipped cannot line up with the reference by chance. About 0.4 s a character.
    std::mt19937 rng(20261209);
    std::uniform_int_distribution<int> letter(0, 25);
    QString text;
    while (text.size() < seconds * 5 / 2) {
        for (int i = 0; i < 5; ++i)
            text += QChar(u'A' + letter(rng));
        text += u' ';
    }
    const std::vector<std::int16_t> ref = reference(settings, text);

    std::atomic<bool> busy{true};
    std::vector<std::thread> burners;
    for (int i = 0; i < busyThreads; ++i)
        burners.emplace_back([&busy] {
            volatile unsigned x = 0;
            while (busy.load(std::memory_order_relaxed))
                x = x * 1664525u + 1013904223u;
        });

    QElapsedTimer clock;
    clock.start();
    Capture capture(clock);
    if (!capture.start()) {
        std::fprintf(stderr, "parec did not deliver\n");
        return 1;
    }
    auto *device = new PulseSoundDevice;
    Morse morse(settings, std::unique_ptr<SoundDevice>(device));
    if (!morse.LavLyd()) {
        std::fprintf(stderr, "no sound device: error %d\n", int(morse.error()));
        return 1;
    }
    int failures = 0;
    bool ended = false;
    morse.deviceFailed = [&] { ++failures; };
    morse.transmissionEnded = [&] { ended = true; };
    QTimer stall;
    QObject::connect(&stall, &QTimer::timeout, [stallMs] { QThread::msleep(ulong(stallMs)); });
    if (stallMs > 0)
        stall.start(1000);

    // Memory while sending: sampled every 10 s once the stream has settled.
    std::vector<long> rss;
    QTimer memory;
    QObject::connect(&memory, &QTimer::timeout, [&rss] { rss.push_back(bench::residentKiB()); });
    memory.start(10000);

    morse.setText(text);
    morse.StartSending();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (ended || failures > 0)
            loop.quit();
    });
    poll.start(50);
    QTimer::singleShot(int(ref.size() * 1000 / 44100) + 5000, &loop, &QEventLoop::quit);
    loop.exec();
    stall.stop();
    spin(300);
    capture.stop();
    busy = false;
    for (auto &t : burners)
        t.join();

    const std::vector<std::int16_t> got = capture.samples();
    const Match m = locate(got, ref);
    std::printf("run: %.1f s of sound, %d busy threads, UI stall %d ms per second\n",
                double(ref.size()) / 44100, busyThreads, stallMs);
    if (!m.found) {
        std::printf("the sound was not found in the capture (ended %d, failures %d)\n", ended, failures);
        return 1;
    }
    const Comparison c = compare(got, ref, m);
    std::printf("dropouts: %d (samples lost %lld, extra %lld), compared %lld of %lld\n", c.dropouts,
                static_cast<long long>(c.lost), static_cast<long long>(c.extra),
                static_cast<long long>(c.compared), static_cast<long long>(ref.size() - m.firstSound));
    std::printf("sink underruns: %d; device failures: %d; ended normally: %s\n", device->underruns(),
                failures, ended ? "yes" : "no");
    if (rss.size() >= 2) {
        const auto [lo, hi] = std::minmax_element(rss.begin(), rss.end());
        std::printf("resident memory while sending: first %ld KiB, last %ld KiB, min %ld, max %ld "
                    "(%zu samples)\n", rss.front(), rss.back(), *lo, *hi, rss.size());
    }
    return c.dropouts == 0 && ended ? 0 : 1;
}

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
