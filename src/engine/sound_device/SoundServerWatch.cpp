#include "engine/sound_device/SoundServerWatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <vector>

#if TELVOK_HAVE_LIBPULSE
#include <pulse/context.h>
#include <pulse/mainloop.h>
#endif

namespace {

constexpr int kProbeTimeoutMs = 1000;
// Qt's layer tries again this long after losing the server; until then it may
// still connect by itself, and a second connection must not be started under it.
constexpr int kQtRetryMs = 3000 + 500;

// The name of Qt's internal PulseAudio connection object. It is not public API:
// if a later Qt renames it, the watch never finds it and nothing else changes.
constexpr const char *kEngineClass = "QPulseAudioEngine";

// Qt 6.4 makes more than one such object (the sinks use one, the device list
// another); each loses the server and gives up on its own.
struct Lost {
    QPointer<QObject> engine;
    QElapsedTimer since;
};

struct State {
    std::vector<Lost> lost;
    void (*onLoss)() = nullptr;
    bool installed = false;
};

State &state()
{
    static State s;
    return s;
}

void noteLoss(QObject *engine)
{
    std::vector<Lost> &lost = state().lost;
    auto it = std::find_if(lost.begin(), lost.end(),
                           [engine](const Lost &l) { return l.engine == engine; });
    if (it == lost.end())
        it = lost.insert(lost.end(), Lost{engine, {}});
    it->since.start();
}

// Qt's connection objects are private and made inside Qt; the first queued call
// one of them receives in the UI thread makes it known (at the latest the one
// that reports a lost server, before it is handled). From then on its own
// "contextFailed" signal, emitted as it lets its connection go, marks each loss.
class EngineFinder : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MetaCall
            && qstrcmp(watched->metaObject()->className(), kEngineClass) == 0)
            watch(watched);
        return QObject::eventFilter(watched, event);
    }

private slots:
    void engineFailed()
    {
        noteLoss(sender());
        if (state().onLoss)
            state().onLoss();
    }

private:
    void watch(QObject *engine)
    {
        if (engine->metaObject()->indexOfSignal("contextFailed()") < 0)
            return;
        // Direct: the signal is emitted in the UI thread, from the queued call.
        // Unique: every queued call to the object comes by here.
        connect(engine, SIGNAL(contextFailed()), this, SLOT(engineFailed()),
                Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection));
    }
};

} // namespace

namespace SoundServerWatch {

bool serverAnswers()
{
#if TELVOK_HAVE_LIBPULSE
    pa_mainloop *loop = pa_mainloop_new();
    if (!loop)
        return false;
    bool ready = false;
    pa_context *context = pa_context_new(pa_mainloop_get_api(loop), "telvok-cw");
    // The same server and flags Qt's layer uses, so the answer is the one it would get.
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const pa_context_state_t now = pa_context_get_state(context);
            if (now == PA_CONTEXT_READY) {
                ready = true;
                break;
            }
            const qint64 leftMs = kProbeTimeoutMs - clock.elapsed();
            if (!PA_CONTEXT_IS_GOOD(now) || leftMs <= 0)
                break;
            if (pa_mainloop_prepare(loop, int(leftMs * 1000)) < 0 || pa_mainloop_poll(loop) < 0
                || pa_mainloop_dispatch(loop) < 0)
                break;
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return ready;
#else
    return true;
#endif
}

void install(void (*onLoss)())
{
#if TELVOK_HAVE_LIBPULSE
    QCoreApplication *app = QCoreApplication::instance();
    if (state().installed || !app || QThread::currentThread() != app->thread())
        return;
    app->installEventFilter(new EngineFinder(app));
    state().onLoss = onLoss;
    state().installed = true;
#else
    Q_UNUSED(onLoss);
#endif
}

bool reconnect()
{
    std::vector<Lost> &lost = state().lost;
    std::erase_if(lost, [](const Lost &l) { return l.engine.isNull(); });
    // Only objects past their own retry, living in this thread (their connect slot
    // runs there) and still having that slot are asked.
    const auto due = [](const Lost &l) {
        return l.since.elapsed() >= kQtRetryMs && l.engine->thread() == QThread::currentThread()
               && l.engine->metaObject()->indexOfMethod("prepare()") >= 0;
    };
    if (std::none_of(lost.begin(), lost.end(), due) || !serverAnswers())
        return false;
    bool asked = false;
    for (auto it = lost.begin(); it != lost.end();) {
        if (due(*it)) {
            asked |= QMetaObject::invokeMethod(it->engine.data(), "prepare", Qt::DirectConnection);
            it = lost.erase(it);
        } else {
            ++it;
        }
    }
    return asked;
}

void opened()
{
    state().lost.clear();
}

} // namespace SoundServerWatch

#include "SoundServerWatch.moc"
