#pragma once
// What the benchmarks report about their own process and its children: resident
// memory and CPU time.

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

#ifdef Q_OS_UNIX
inline double usageSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
#endif

// CPU seconds (user + system) used by every thread of this process so far.
inline double processCpuSeconds()
{
#ifdef Q_OS_UNIX
    return usageSeconds(RUSAGE_SELF);
#else
    return double(std::clock()) / CLOCKS_PER_SEC;
#endif
}

// CPU seconds used by the finished child processes; -1 where unknown.
inline double childCpuSeconds()
{
#ifdef Q_OS_UNIX
    return usageSeconds(RUSAGE_CHILDREN);
#else
    return -1;
#endif
}

} // namespace bench
