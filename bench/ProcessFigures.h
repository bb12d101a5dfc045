#pragma once
// What the benchmarks report about their own process: resident memory and CPU time.

#include <QByteArray>
#include <QFile>

#include <ctime>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace bench {

// Resident memory of this process in KiB (Linux), or -1 elsewhere.
inline long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// CPU seconds used by every thread of this process so far.
inline double processCpuSeconds()
{
#ifdef Q_OS_UNIX
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
#else
    return double(std::clock()) / CLOCKS_PER_SEC;
#endif
}

} // namespace bench
