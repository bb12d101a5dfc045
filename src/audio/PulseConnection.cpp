#include "PulseConnection.h"

#include <QCoreApplication>

#include <pulse/context.h>
#include <pulse/rtclock.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

namespace {
constexpr pa_usec_t kSetupTimeoutUsec = 3 * PA_USEC_PER_SEC;   // connecting, and a stream getting ready
}

PulseConnection::~PulseConnection()
{
    if (!m_mainloop)
        return;
    lock();
    disconnect();
    unlock();
    pa_threaded_mainloop_stop(m_mainloop);
    pa_threaded_mainloop_free(m_mainloop);
}

void PulseConnection::stateChanged(pa_context *c, void *self)
{
    auto *me = static_cast<PulseConnection *>(self);
    if (c == me->m_context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(c)) && me->lost)
        me->lost();
    pa_threaded_mainloop_signal(me->m_mainloop, 0);
}

void PulseConnection::lock()
{
    pa_threaded_mainloop_lock(m_mainloop);
}

void PulseConnection::unlock()
{
    pa_threaded_mainloop_unlock(m_mainloop);
}

bool PulseConnection::isReady() const
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

bool PulseConnection::lockAndConnect()
{
    if (!m_mainloop) {
        m_mainloop = pa_threaded_mainloop_new();
        if (!m_mainloop || pa_threaded_mainloop_start(m_mainloop) < 0) {
            if (m_mainloop)
                pa_threaded_mainloop_free(m_mainloop);
            m_mainloop = nullptr;
            return false;
        }
    }
    lock();
    // A connection that broke is replaced by a fresh one: the server may be back.
    if (m_context && !isReady())
        disconnect();
    return m_context || connect();
}

bool PulseConnection::waitFor(const std::function<bool()> &done)
{
    struct Deadline {
        pa_threaded_mainloop *mainloop;
        bool passed = false;
    } deadline{m_mainloop};
    pa_time_event *alarm = pa_context_rttime_new(
        m_context, pa_rtclock_now() + kSetupTimeoutUsec,
        [](pa_mainloop_api *, pa_time_event *, const struct timeval *, void *d) {
            auto *dl = static_cast<Deadline *>(d);
            dl->passed = true;
            pa_threaded_mainloop_signal(dl->mainloop, 0);
        },
        &deadline);
    while (!done() && !deadline.passed)
        pa_threaded_mainloop_wait(m_mainloop);
    if (alarm)
        pa_threaded_mainloop_get_api(m_mainloop)->time_free(alarm);
    return done();
}

bool PulseConnection::connect()
{
    const QByteArray name = QCoreApplication::applicationName().toUtf8();
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_mainloop),
                               name.isEmpty() ? "telvok-cw" : name.constData());
    if (!m_context)
        return false;
    ++m_serial;
    pa_context_set_state_callback(m_context, &PulseConnection::stateChanged, this);
    // No autospawn: a missing server is reported, not started behind the user's back.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        disconnect();
        return false;
    }
    const auto settled = [this] {
        const pa_context_state_t state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!waitFor(settled) || !isReady()) {
        disconnect();
        return false;
    }
    return true;
}

void PulseConnection::disconnect()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    if (PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)))
        pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}
