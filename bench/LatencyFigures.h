#pragma once
// What the latency benchmarks share: the program's window title, the wait for the
// first sound at the null sink's monitor, and the line each figure is printed on.

#include "support/SoundCapture.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline const QString kMainTitle = QStringLiteral("Telvok's Morsetræningsprogram");

// Milliseconds from startNs (the capture's clock) to the first non-silent sample at
// or after index `from`, waiting up to waitMs for it; -1 when none came.
inline double toFirstSound(soundtest::Capture &capture, qint64 from, qint64 startNs, int waitMs)
{
    soundtest::waitFor([&] { return capture.firstSound(from) >= 0; }, waitMs);
    const qint64 first = capture.firstSound(from);
    return first < 0 ? -1 : double(capture.arrivalNs(first) - startNs) / 1e6;
}

// One line: median, max and min in milliseconds, and how many runs.
inline void printLatencies(const char *what, std::vector<double> v)
{
    if (v.empty()) {
        std::printf("%-38s no data\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    std::printf("%-38s median %6.1f  max %6.1f  min %6.1f ms  (%zu runs)\n", what, v[v.size() / 2],
                v.back(), v.front(), v.size());
}

} // namespace bench
