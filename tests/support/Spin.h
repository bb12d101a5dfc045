#pragma once
// Waiting on the event loop at a 1 ms step. QTest::qWaitFor sleeps up to 10 ms
// between its looks at the events; a capture's chunks would then be dated that much
// late, and a device's stop, start and notifications would meet the sound thread
// only at that step. The sound-path tests and benchmarks wait with these; every
// other test waits with QTest::qWait and QTest::qWaitFor.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace soundtest {

// Processes events until done() is true or timeoutMs passed. Returns done().
inline bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= timeoutMs)
            loop.quit();
    });
    tick.start(1);
    if (!done())
        loop.exec();
    return done();
}

// Runs the event loop for ms milliseconds.
inline void spin(int ms)
{
    waitFor([] { return false; }, ms);
}

} // namespace soundtest
