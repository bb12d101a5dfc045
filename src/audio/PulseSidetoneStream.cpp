#include "PulseSidetoneStream.h"

#include "PulseConnection.h"

#include "engine/constants.h"

#include <QtEndian>

#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>


namespace {
// Room left in front of what the sink has read, beyond the sink's own latency: the
// time a write takes to reach the server.
constexpr pa_usec_t kMarginUsec = 1500;
constexpr qint64 kBytesPerSecond = qint64(morse::kSampleRate) * morse::kBytesPerSample;
qint64 usecToBytes(pa_usec_t usec)
{
    return qint64(usec) * kBytesPerSecond / qint64(PA_USEC_PER_SEC) / morse::kBytesPerSample * morse::kBytesPerSample;
}
} // namespace

PulseSidetoneStream::PulseSidetoneStream(PulseConnection &connection)
    : m_connection(connection), m_again(size_t(kLongestRefresh))
{
}

PulseSidetoneStream::~PulseSidetoneStream()
{
    stop();
}

// --- loop thread -------------------------------------------------------------------------

void PulseSidetoneStream::stateChanged(pa_stream *s, void *self)
{
    auto *me = static_cast<PulseSidetoneStream *>(self);
    pa_threaded_mainloop_signal(me->m_connection.mainloop(), 0);
    if (s != me->m_stream || PA_STREAM_IS_GOOD(pa_stream_get_state(s)))
        return;
    const unsigned generation = me->m_generation.load();
    QMetaObject::invokeMethod(
        &me->m_receiver,
        [me, generation] {
            if (generation != me->m_generation.load() || !me->m_running)
                return;
            me->stop();
            me->m_error = SoundError::ServerLost;
            if (me->failed)
                me->failed();
        },
        Qt::QueuedConnection);
}

// The source renders straight into the server's memory what the server asks for.
void PulseSidetoneStream::writable(pa_stream *s, size_t bytes, void *self)
{
    auto *me = static_cast<PulseSidetoneStream *>(self);
    if (s != me->m_stream || !me->m_source)
        return;
    while (bytes >= size_t(morse::kBytesPerSample)) {
        void *data = nullptr;
        size_t n = bytes;
        if (pa_stream_begin_write(s, &data, &n) < 0 || !data)
            return;
        n -= n % size_t(morse::kBytesPerSample);
        auto *samples = static_cast<std::int16_t *>(data);
        const auto count = n / size_t(morse::kBytesPerSample);
        me->m_source->render({samples, count});
        qToLittleEndian<std::int16_t>(samples, qsizetype(count), samples);
        if (pa_stream_write(s, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= n;
    }
}

void PulseSidetoneStream::underflow(pa_stream *s, void *self)
{
    auto *me = static_cast<PulseSidetoneStream *>(self);
    if (s == me->m_stream)
        me->m_underruns.fetch_add(1, std::memory_order_relaxed);
}

// --- UI thread -----------------------------------------------------------------------------

bool PulseSidetoneStream::start(SidetoneSource *source)
{
    stop();
    m_error = SoundError::None;
    m_underruns.store(0);
    if (!source)
        return false;
    if (!m_connection.lockAndConnect()) {
        if (m_connection.mainloop())
            m_connection.unlock();
        m_error = SoundError::NoServer;
        return false;
    }
    const pa_sample_spec spec{PA_SAMPLE_S16LE, uint32_t(morse::kSampleRate), uint8_t(morse::kChannels)};
    pa_channel_map map;
    pa_channel_map_init_mono(&map);
    m_refreshing = false;
    m_stream = pa_stream_new(m_connection.context(), "Sidetone", &spec, &map);
    bool ready = false;
    if (m_stream) {
        m_source = source;
        m_generation.fetch_add(1);
        pa_stream_set_state_callback(m_stream, &stateChanged, this);
        pa_stream_set_write_callback(m_stream, &writable, this);
        pa_stream_set_underflow_callback(m_stream, &underflow, this);
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = kTargetBytes;
        attr.prebuf = 0;   // never waits to prebuffer: started by hand below, never paused
        attr.minreq = kMinRequestBytes;
        attr.fragsize = uint32_t(-1);
        // Timing is asked for at each refresh, when it is needed, not all the time.
        const auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
        ready = pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) >= 0
            && m_connection.waitFor([this] { return pa_stream_get_state(m_stream) != PA_STREAM_CREATING; })
            && pa_stream_get_state(m_stream) == PA_STREAM_READY;
    }
    if (ready) {
        for (pa_operation *op : {pa_stream_cork(m_stream, 0, nullptr, nullptr),
                                 pa_stream_update_timing_info(m_stream, nullptr, nullptr)}) {
            if (op)
                pa_operation_unref(op);
        }
    } else {
        const bool lost = !m_connection.isReady();
        dropStream();
        m_error = lost ? SoundError::NoServer : SoundError::RefusedFormat;
    }
    m_connection.unlock();
    m_running = ready;
    return ready;
}

void PulseSidetoneStream::dropStream()
{
    m_source = nullptr;
    if (!m_stream)
        return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(m_stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
        pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulseSidetoneStream::stop()
{
    m_running = false;
    if (!m_stream)
        return;
    m_connection.lock();
    dropStream();
    m_connection.unlock();
}

// Fresh timing from the server: what it has not handed to the sink yet is rendered
// again, but for a margin in front that the sink may take any moment.
void PulseSidetoneStream::timingArrived(pa_stream *s, int success, void *self)
{
    auto *me = static_cast<PulseSidetoneStream *>(self);
    if (s != me->m_stream)
        return;
    me->m_refreshing = false;
    const pa_timing_info *t = success ? pa_stream_get_timing_info(s) : nullptr;
    if (!me->m_source || !t || t->write_index_corrupt || t->read_index_corrupt)
        return;
    const qint64 unread = t->write_index - t->read_index - usecToBytes(t->transport_usec);
    const qint64 margin = usecToBytes(t->configured_sink_usec + kMarginUsec);
    const qint64 room = std::min<qint64>((unread - margin) / morse::kBytesPerSample, qint64(me->m_again.size()));
    const std::int64_t n = room > 0 ? me->m_source->takeBack(room) : 0;
    if (n <= 0)
        return;
    const std::span<std::int16_t> again(me->m_again.data(), size_t(n));
    me->m_source->render(again);
    qToLittleEndian<std::int16_t>(again.data(), qsizetype(n), again.data());
    const auto bytes = qint64(n) * morse::kBytesPerSample;
    pa_stream_write(s, again.data(), size_t(bytes), nullptr, -bytes, PA_SEEK_RELATIVE);
}

void PulseSidetoneStream::refresh()
{
    if (!m_running)
        return;
    m_connection.lock();
    if (m_stream && !m_refreshing && pa_stream_get_state(m_stream) == PA_STREAM_READY) {
        pa_operation *op = pa_stream_update_timing_info(m_stream, &timingArrived, this);
        if (op) {
            m_refreshing = true;
            pa_operation_unref(op);
        }
    }
    m_connection.unlock();
}

int PulseSidetoneStream::latencyMs() const
{
    if (!m_running)
        return -1;
    m_connection.lock();
    const pa_timing_info *t = m_stream ? pa_stream_get_timing_info(m_stream) : nullptr;
    // A change goes to the server and back, then waits behind the sink's part and the margin.
    const pa_usec_t usec = t ? t->configured_sink_usec + kMarginUsec + 2 * t->transport_usec : 0;
    m_connection.unlock();
    return t ? int((usec + 500) / 1000) : -1;
}
