#pragma once
// The program's one connection to the sound server: libpulse's threaded main loop and
// its context, shared by every stream (the looping device's and the sidetone's). A
// connection that broke is replaced by the next lockAndConnect().

#include <QtGlobal>

#include <functional>

struct pa_context;
struct pa_threaded_mainloop;

class PulseConnection {
public:
    PulseConnection() = default;
    ~PulseConnection();   // the loop thread is stopped before anything else goes
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // --- UI thread -----------------------------------------------------------------
    // Starts the loop if need be and takes its lock; a broken context is replaced by
    // a fresh one. The lock is held on return whenever mainloop() is set (also when
    // false: no server).
    bool lockAndConnect();
    void lock();
    void unlock();

    // --- the lock held -----------------------------------------------------------------
    // Waits until done() or the set-up timeout (3 s); true when done().
    bool waitFor(const std::function<bool()> &done);
    // Drops the context; its streams must be gone first.
    void disconnect();
    bool isReady() const;

    pa_threaded_mainloop *mainloop() const { return m_mainloop; }
    pa_context *context() const { return m_context; }
    // One per context made: messages about an old one are told apart.
    quint64 serial() const { return m_serial; }

    // Called in the loop thread (lock held) when the context leaves the good states.
    std::function<void()> lost;

private:
    bool connect();
    static void stateChanged(pa_context *context, void *self);

    // Set by the UI thread with the lock held (the loop itself before its start).
    pa_threaded_mainloop *m_mainloop = nullptr;
    pa_context *m_context = nullptr;
    quint64 m_serial = 0;
};
