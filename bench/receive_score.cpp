// Prints how long scoring a received copy takes and how much memory the alignment
// needs: a 300-group practice text against a copy with a few errors, and longer
// texts (up to 40 000 characters) against copies with 10 % errors. Heap figures count
// every operator new while scoring; the band keeps them proportional to the length.

#include "exercises/CopyScore.h"
#include "exercises/PracticeText.h"
#include "ProcessFigures.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>

namespace {

std::atomic<std::size_t> g_current{0};
std::atomic<std::size_t> g_peak{0};
constexpr std::size_t kHeader = 16;   // bytes in front of each block: its size

// The texts' letters: the characters of the longest exercise set.
const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ0123456789,./=?-");

// A copy of text with errorRate of its characters wrong, missing or extra (4:3:3).
QString withErrors(const QString &text, double errorRate, std::mt19937_64 &random)
{
    std::uniform_real_distribution<double> u(0, 1);
    std::uniform_int_distribution<qsizetype> letter(0, kLetters.size() - 1);
    QString copy;
    copy.reserve(text.size() + text.size() / 8);
    for (QChar c : text) {
        if (c == u' ' || c == u'\r' || c == u'\n' || u(random) >= errorRate) {
            copy += c;
            continue;
        }
        const double kind = u(random);
        if (kind < 0.4) {
            copy += kLetters[letter(random)];
        } else if (kind < 0.7) {
            // missed
        } else {
            copy += c;
            copy += kLetters[letter(random)];
        }
    }
    return copy;
}

struct Figures {
    double meanMs = 0;
    double maxMs = 0;
    std::size_t peakHeapKiB = 0;
    receive::Score score;
};

Figures measure(const QString &sent, const QString &copy, int runs)
{
    Figures f;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        g_peak = g_current.load();
        const std::size_t base = g_current;
        timer.start();
        f.score = receive::scoreCopy(sent, copy);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        f.meanMs += ms / runs;
        f.maxMs = std::max(f.maxMs, ms);
        f.peakHeapKiB = std::max(f.peakHeapKiB, (g_peak - base) / 1024);
    }
    return f;
}

void print(const char *what, qsizetype chars, const Figures &f)
{
    std::printf("%-34s %6lld chars  mean %8.2f ms  max %8.2f ms  heap peak %7zu KiB  accuracy %5.1f %%\n",
                what, static_cast<long long>(chars), f.meanMs, f.maxMs, f.peakHeapKiB, f.score.accuracy());
}

} // namespace

void *operator new(std::size_t size)
{
    auto *p = static_cast<unsigned char *>(std::malloc(size + kHeader));
    if (!p)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t *>(p) = size;
    const std::size_t now = g_current += size;
    std::size_t peak = g_peak;
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return p + kHeader;
}

void operator delete(void *block) noexcept
{
    if (!block)
        return;
    auto *p = static_cast<unsigned char *>(block) - kHeader;
    g_current -= *reinterpret_cast<std::size_t *>(p);
    std::free(p);
}

void operator delete(void *block, std::size_t) noexcept
{
    operator delete(block);
}

int main()
{
    std::mt19937_64 random(17);
    const QString groups = practice::groupText(kLetters, 300, practice::seededUniform(17));
    const QString fewErrors = withErrors(groups, 0.03, random);
    print("300 groups, 3 % errors", groups.size(), measure(groups, fewErrors, 50));
    print("300 groups, exact copy", groups.size(), measure(groups, groups, 50));

    for (int count : {800, 1600, 3300, 6600}) {
        // 6 characters per group: five letters and the blank; line breaks add a few.
        const QString text = practice::groupText(kLetters, std::min(count, practice::kMaxGroupCount),
                                                 practice::seededUniform(quint64(count)));
        QString longText;
        while (longText.size() < count * 6)
            longText += text;
        longText.truncate(count * 6);
        const QString copy = withErrors(longText, 0.10, random);
        print("long text, 10 % errors", longText.size(), measure(longText, copy, 5));
    }
    std::printf("process resident memory at the end: %ld KiB\n", bench::residentKiB());
    return 0;
}
