#include "PulseSoundDevice.h"

#include "PulseConnection.h"
#include "PulseSidetoneStream.h"

#include "engine/constants.h"

#include <QObject>
#include <QtEndian>

#include <pulse/context.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <atomic>
#include <limits>

namespace {

constexpr pa_usec_t kWatchUsec = PA_USEC_PER_SEC;                // longest sleep of the play-position watch
constexpr pa_usec_t kStallUsec = 2 * PA_USEC_PER_SEC;            // queued sound that long unplayed: server stuck
constexpr qint64 kBytesPerSecond = morse::kWaveFormat.avgBytesPerSec;   // 88200
constexpr qint64 kEndless = std::numeric_limits<qint64>::max();
// A stream that joins a running sink makes the server rewind what the sink had
// already mixed ahead (its latency) to play the new stream at once; what was taken
// back that way can be lost (a null sink's monitor never sees it). So a pass
// begins with that much silence: at most 20 ms (also when it is not known yet).
constexpr pa_usec_t kMinLeadInUsec = 2 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kMaxLeadInUsec = 20 * PA_USEC_PER_MSEC;

// Silence written after the end of a pass until the watch sees it heard.
const char kSilence[PulseSoundDevice::kTargetBytes] = {};

pa_usec_t bytesToUsec(qint64 bytes)
{
    return pa_usec_t(std::max<qint64>(bytes, 0)) * PA_USEC_PER_SEC / pa_usec_t(kBytesPerSecond);
}

void unref(pa_operation *operation)
{
    if (operation)
        pa_operation_unref(operation);
}

} // namespace

// Everything below the device: the connection (libpulse's loop thread and context),
// the stream and the ring. The UI thread takes the loop's lock for every call into libpulse
// and for the state marked "shared"; libpulse runs every callback in its thread
// with that lock held. Messages to the UI thread are queued to `receiver`, tagged
// with the pass (generation) or the connection (serial) they belong to, so that
// those of a stopped pass or a replaced connection are dropped on arrival.
struct PulseSoundDevice::Loop {
    explicit Loop(PulseSoundDevice &device) : owner(device)
    {
        connection.lost = [this] { postFailed(); };
    }
    ~Loop();

    struct Crossing {
        qint64 bytes;   // pass bytes heard when the notification offset is passed
        int index;      // index into the notification positions
    };

    // --- UI thread ---------------------------------------------------------------
    bool prepareStream();
    void startPass();
    void endPass(bool keepStream);
    void dropStream();
    void dropContext();
    void onNotified(int passGeneration, quint64 sequence, int index);
    void onPlayedOut(int passGeneration);
    void onFailed(quint64 connectionSerial);

    // --- loop thread (or UI thread with the lock held) -----------------------------
    void fill();
    void watch();
    void scheduleWatch(pa_usec_t delay);
    qint64 crossingBytes(quint64 sequence) const;
    void postFailed();

    static void streamChanged(pa_stream *stream, void *self);
    static void streamWritable(pa_stream *stream, size_t bytes, void *self);
    static void streamUnderflow(pa_stream *stream, void *self);
    static void timerFired(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self);
    static void timingUpdated(pa_stream *stream, int success, void *self);

    PulseSoundDevice &owner;
    QObject receiver;       // in the owner's thread; the loop thread's messages go to it
    // Made by the UI thread, which alone connects and disconnects it (lock held);
    // the sidetone streams made from the device use it too. Declared after
    // `receiver`: its loop thread stops before the receiver goes.
    PulseConnection connection;
    std::atomic<int> underruns{0};

    // UI thread only.
    std::vector<int> notify;        // byte offsets, as set by the owner
    int startPosition = 0;
    bool open = false;
    bool playing = false;
    bool finishing = false;
    quint64 delivered = 0;          // crossings of this pass handed to the owner
    SoundError error = SoundError::None;

    // Shared (under the loop lock).
    pa_stream *stream = nullptr;    // corked and ready for the next pass, or playing it
    pa_time_event *timer = nullptr; // the play-position watch
    std::vector<char> ring;
    std::vector<Crossing> crossings;    // the pass's first lap, ascending
    int generation = 0;             // one per pass
    bool active = false;            // a pass is playing
    bool used = false;              // the stream has been uncorked (it is replaced after the pass)
    bool starved = false;           // the writer waits for the owner to refill the ring
    int passStart = 0;              // ring offset of pass byte 0
    qint64 leadIn = 0;              // bytes of silence the stream plays before pass byte 0
    qint64 written = 0;             // pass bytes handed to the server
    qint64 writeLimit = 0;          // pass bytes the owner has released for writing
    qint64 finishAt = -1;           // pass bytes after which silence follows and the pass ends
    quint64 nextCrossing = 0;       // sequence number of the next crossing to look for
    qint64 heard = 0;               // pass bytes heard, as of the last timing update
    pa_usec_t movedAt = 0;          // when `heard` last grew, or the writer last starved
};

// --- loop thread ----------------------------------------------------------------------

void PulseSoundDevice::Loop::streamChanged(pa_stream *s, void *self)
{
    auto *loop = static_cast<Loop *>(self);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (s == loop->stream && !PA_STREAM_IS_GOOD(state))
        loop->postFailed();
    // The sink's latency, for the lead-in of the first pass.
    if (s == loop->stream && state == PA_STREAM_READY)
        unref(pa_stream_update_timing_info(
            s,
            [](pa_stream *, int, void *data) {
                pa_threaded_mainloop_signal(static_cast<Loop *>(data)->connection.mainloop(), 0);
            },
            self));
    pa_threaded_mainloop_signal(loop->connection.mainloop(), 0);
}

void PulseSoundDevice::Loop::streamWritable(pa_stream *s, size_t, void *self)
{
    auto *loop = static_cast<Loop *>(self);
    if (s == loop->stream && loop->active)
        loop->fill();
}

void PulseSoundDevice::Loop::streamUnderflow(pa_stream *s, void *self)
{
    auto *loop = static_cast<Loop *>(self);
    if (s == loop->stream && loop->active)
        loop->underruns.fetch_add(1, std::memory_order_relaxed);
}

void PulseSoundDevice::Loop::timerFired(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
{
    auto *loop = static_cast<Loop *>(self);
    if (!loop->active || !loop->stream)
        return;
    // A fresh position from the server; the watch runs when it arrives.
    pa_operation *op = pa_stream_update_timing_info(loop->stream, &Loop::timingUpdated, self);
    if (op)
        pa_operation_unref(op);
    else
        loop->scheduleWatch(kWatchUsec);
}

void PulseSoundDevice::Loop::timingUpdated(pa_stream *s, int, void *self)
{
    auto *loop = static_cast<Loop *>(self);
    if (s == loop->stream && loop->active)
        loop->watch();
}

// Hands the server what it asks for: ring bytes up to the write limit (the end of
// the pass, or what the owner has refilled), silence after the end.
void PulseSoundDevice::Loop::fill()
{
    size_t wanted = pa_stream_writable_size(stream);
    if (wanted == size_t(-1))
        return;
    wanted -= wanted % size_t(morse::kBytesPerSample);
    const auto size = qint64(ring.size());
    while (wanted > 0) {
        const char *from = kSilence;
        qint64 n = std::min<qint64>(qint64(wanted), qint64(sizeof kSilence));
        if (finishAt < 0 || written < finishAt) {
            const qint64 end = finishAt < 0 ? writeLimit : std::min(writeLimit, finishAt);
            if (written >= end) {
                starved = true;
                movedAt = pa_rtclock_now();
                return;
            }
            const qint64 at = (passStart + written) % size;
            n = std::min({qint64(wanted), end - written, size - at});
            from = ring.data() + at;
        }
        if (pa_stream_write(stream, from, size_t(n), nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        written += n;
        wanted -= size_t(n);
    }
    starved = false;
}

qint64 PulseSoundDevice::Loop::crossingBytes(quint64 sequence) const
{
    const quint64 lap = sequence / crossings.size();
    return crossings[size_t(sequence % crossings.size())].bytes + qint64(lap) * qint64(ring.size());
}

// Compares what has been heard with the next crossing or the end of the pass, and
// sleeps until that is due.
void PulseSoundDevice::Loop::watch()
{
    pa_usec_t time = 0;
    if (pa_stream_get_time(stream, &time) < 0)
        time = 0;
    const qint64 now = qint64(time) * kBytesPerSecond / qint64(PA_USEC_PER_SEC) - leadIn;
    const pa_usec_t clock = pa_rtclock_now();
    if (now > heard || starved) {
        heard = std::max(heard, now);
        movedAt = clock;
    } else if (clock - movedAt > kStallUsec) {
        active = false;
        postFailed();
        return;
    }

    const int passGeneration = generation;
    qint64 due = -1;
    if (finishAt >= 0) {
        if (heard >= finishAt) {
            // The last sample is out: cork at once, the owner replaces the stream.
            active = false;
            unref(pa_stream_cork(stream, 1, nullptr, nullptr));
            QMetaObject::invokeMethod(&receiver, [this, passGeneration] { onPlayedOut(passGeneration); },
                                      Qt::QueuedConnection);
            return;
        }
        due = finishAt;
    } else if (!crossings.empty()) {
        for (qint64 at = crossingBytes(nextCrossing); heard >= at; at = crossingBytes(nextCrossing)) {
            const quint64 sequence = nextCrossing++;
            const int index = crossings[size_t(sequence % crossings.size())].index;
            QMetaObject::invokeMethod(
                &receiver, [this, passGeneration, sequence, index] { onNotified(passGeneration, sequence, index); },
                Qt::QueuedConnection);
        }
        due = crossingBytes(nextCrossing);
    }
    scheduleWatch(due < 0 ? kWatchUsec : std::min(kWatchUsec, bytesToUsec(due - heard)));
}

void PulseSoundDevice::Loop::scheduleWatch(pa_usec_t delay)
{
    const pa_usec_t when = pa_rtclock_now() + delay;
    if (timer)
        pa_context_rttime_restart(connection.context(), timer, when);
    else
        timer = pa_context_rttime_new(connection.context(), when, &Loop::timerFired, this);
}

void PulseSoundDevice::Loop::postFailed()
{
    const quint64 connectionSerial = connection.serial();
    QMetaObject::invokeMethod(&receiver, [this, connectionSerial] { onFailed(connectionSerial); },
                              Qt::QueuedConnection);
}

// --- UI thread ------------------------------------------------------------------------

PulseSoundDevice::Loop::~Loop()
{
    if (!connection.mainloop())
        return;
    // Nothing is left for the loop thread to call here; the connection stops that
    // thread as it goes, and `receiver` after it, with every message still queued.
    connection.lock();
    dropContext();
    connection.unlock();
}

// A new stream, corked, on the connection; it gets ready while the owner fills the ring.
bool PulseSoundDevice::Loop::prepareStream()
{
    const pa_sample_spec spec{PA_SAMPLE_S16LE, uint32_t(morse::kWaveFormat.samplesPerSec),
                              uint8_t(morse::kWaveFormat.channels)};
    pa_channel_map map;
    pa_channel_map_init_mono(&map);
    static_assert(morse::kWaveFormat.channels == 1 && morse::kWaveFormat.bitsPerSample == 16);
    stream = pa_stream_new(connection.context(), "Morse", &spec, &map);
    if (!stream)
        return false;
    used = false;
    pa_stream_set_state_callback(stream, &Loop::streamChanged, this);
    pa_stream_set_write_callback(stream, &Loop::streamWritable, this);
    pa_stream_set_underflow_callback(stream, &Loop::streamUnderflow, this);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = kTargetBytes;
    attr.prebuf = kPrebufferBytes;
    attr.minreq = kMinRequestBytes;
    attr.fragsize = uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        dropStream();
        return false;
    }
    return true;
}

void PulseSoundDevice::Loop::dropStream()
{
    if (timer)
        pa_threaded_mainloop_get_api(connection.mainloop())->time_restart(timer, nullptr);
    active = false;
    if (!stream)
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
}

void PulseSoundDevice::Loop::dropContext()
{
    dropStream();
    if (timer) {
        pa_threaded_mainloop_get_api(connection.mainloop())->time_free(timer);
        timer = nullptr;
    }
    connection.disconnect();
}

void PulseSoundDevice::Loop::startPass()
{
    const int size = int(ring.size());
    crossings.clear();
    for (size_t i = 0; i < notify.size(); ++i) {
        const int offset = notify[i];
        if (offset < 0 || offset >= size)
            continue;
        // Passed once the sample holding the offset has been heard.
        const int at = (offset / 2 + 1) * 2;
        crossings.push_back({at > passStart ? at - passStart : at - passStart + size, int(i)});
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing &a, const Crossing &b) { return a.bytes < b.bytes; });
    ++generation;
    active = true;
    used = true;
    starved = false;
    written = 0;
    // Until the first notification the whole ring is the owner's; without
    // notifications it loops as it is.
    writeLimit = crossings.empty() ? kEndless : size;
    finishAt = -1;
    nextCrossing = 0;
    heard = 0;
    movedAt = pa_rtclock_now();
    const pa_timing_info *timing = pa_stream_get_timing_info(stream);
    const pa_usec_t sinkUsec = timing && timing->configured_sink_usec > 0 ? timing->configured_sink_usec
                                                                          : kMaxLeadInUsec;
    leadIn = qint64(std::clamp(sinkUsec, kMinLeadInUsec, kMaxLeadInUsec)) * kBytesPerSecond
             / qint64(PA_USEC_PER_SEC) / 2 * 2;
    if (pa_stream_write(stream, kSilence, size_t(leadIn), nullptr, 0, PA_SEEK_RELATIVE) < 0)
        leadIn = 0;
    fill();
    unref(pa_stream_cork(stream, 0, nullptr, nullptr));
    scheduleWatch(crossings.empty() ? kWatchUsec : std::min(kWatchUsec, bytesToUsec(crossings[0].bytes)));
}

// Silences the pass (cork and flush) and puts a fresh corked stream in its place,
// so that the next pass starts at once with its time counted from zero.
void PulseSoundDevice::Loop::endPass(bool keepStream)
{
    ++generation;
    active = false;
    if (stream && used) {
        unref(pa_stream_cork(stream, 1, nullptr, nullptr));
        unref(pa_stream_flush(stream, nullptr, nullptr));
        dropStream();
    }
    if (!keepStream)
        dropStream();
    else if (!stream && connection.context() && pa_context_get_state(connection.context()) == PA_CONTEXT_READY)
        prepareStream();
}

void PulseSoundDevice::Loop::onNotified(int passGeneration, quint64 sequence, int index)
{
    if (passGeneration != generation || !playing || finishing || sequence != delivered)
        return;
    delivered = sequence + 1;
    if (owner.notified)
        owner.notified(index);
    // The owner has had its chance to refill what was heard; the writer may go on
    // into it (unless the handler stopped the pass).
    if (!playing || passGeneration != generation)
        return;
    connection.lock();
    if (active && passGeneration == generation) {
        writeLimit = crossingBytes(sequence) + qint64(ring.size());
        if (starved)
            fill();
    }
    connection.unlock();
}

void PulseSoundDevice::Loop::onPlayedOut(int passGeneration)
{
    if (passGeneration != generation || !playing)
        return;
    playing = false;
    finishing = false;
    connection.lock();
    endPass(true);
    connection.unlock();
    if (owner.playedOut)
        owner.playedOut();
}

void PulseSoundDevice::Loop::onFailed(quint64 connectionSerial)
{
    if (connectionSerial != connection.serial() || !open)
        return;
    connection.lock();
    dropContext();
    ring.clear();
    connection.unlock();
    open = false;
    playing = false;
    finishing = false;
    error = SoundError::ServerLost;
    if (owner.failed)
        owner.failed();
}

// --- the device -------------------------------------------------------------------------

PulseSoundDevice::PulseSoundDevice() : m_loop(std::make_unique<Loop>(*this)) {}

PulseSoundDevice::~PulseSoundDevice() = default;

bool PulseSoundDevice::open(int bufferBytes)
{
    Loop &l = *m_loop;
    release();
    l.error = SoundError::None;
    if (bufferBytes <= 0 || bufferBytes % morse::kWaveFormat.blockAlign != 0) {
        l.error = SoundError::InvalidBuffer;
        return false;
    }
    if (!l.connection.lockAndConnect()) {
        if (l.connection.mainloop())
            l.connection.unlock();
        l.error = SoundError::NoServer;
        return false;
    }
    // Ready, and the sink's latency known (the lead-in of the first pass).
    const bool ready = l.prepareStream() && l.connection.waitFor([&l] {
        const pa_stream_state_t state = pa_stream_get_state(l.stream);
        return state != PA_STREAM_CREATING && (state != PA_STREAM_READY || pa_stream_get_timing_info(l.stream));
    }) && pa_stream_get_state(l.stream) == PA_STREAM_READY;
    if (!ready) {
        const bool lost = pa_context_get_state(l.connection.context()) != PA_CONTEXT_READY;
        l.dropContext();
        l.connection.unlock();
        l.error = lost ? SoundError::NoServer : SoundError::RefusedFormat;
        return false;
    }
    l.ring.assign(size_t(bufferBytes), 0);
    l.connection.unlock();
    l.open = true;
    return true;
}

void PulseSoundDevice::setNotificationPositions(std::vector<int> byteOffsets)
{
    m_loop->notify = std::move(byteOffsets);
}

void PulseSoundDevice::write(int byteOffset, std::span<const std::int16_t> samples)
{
    Loop &l = *m_loop;
    if (!l.open)
        return;
    const auto size = qsizetype(l.ring.size());
    const auto bytes = qsizetype(samples.size_bytes());
    if (byteOffset < 0 || byteOffset % 2 != 0 || bytes > size - byteOffset)
        return;
    // The engine's samples are host order; the ring holds little-endian PCM.
    l.connection.lock();
    qToLittleEndian<std::int16_t>(samples.data(), qsizetype(samples.size()), l.ring.data() + byteOffset);
    l.connection.unlock();
}

void PulseSoundDevice::setPosition(int byteOffset)
{
    m_loop->startPosition = byteOffset;
}

void PulseSoundDevice::playLooping()
{
    Loop &l = *m_loop;
    if (!l.open || l.playing)
        return;
    l.connection.lock();
    if (!l.stream && pa_context_get_state(l.connection.context()) == PA_CONTEXT_READY)
        l.prepareStream();
    // The stream made after the last pass is normally ready long before.
    const bool ready = l.stream && l.connection.waitFor([&l] {
        return pa_stream_get_state(l.stream) != PA_STREAM_CREATING;
    }) && pa_stream_get_state(l.stream) == PA_STREAM_READY;
    if (ready) {
        const int size = int(l.ring.size());
        l.passStart = std::clamp(l.startPosition / 2 * 2, 0, size - 2);
        l.startPass();
    } else {
        l.postFailed();
    }
    l.connection.unlock();
    l.playing = ready;
    l.finishing = false;
    l.delivered = 0;
}

void PulseSoundDevice::stop()
{
    Loop &l = *m_loop;
    l.playing = false;
    l.finishing = false;
    if (!l.connection.mainloop())
        return;
    l.connection.lock();
    l.endPass(l.open);
    l.connection.unlock();
}

void PulseSoundDevice::finishAtNextNotification()
{
    Loop &l = *m_loop;
    if (!l.playing || l.finishing)
        return;
    l.finishing = true;
    l.connection.lock();
    if (l.active) {
        // Without notification positions there is no next one: the end is what
        // has been written.
        l.finishAt = l.crossings.empty() ? l.written : l.crossingBytes(l.delivered);
        l.fill();
        l.scheduleWatch(0);
    }
    l.connection.unlock();
}

void PulseSoundDevice::release()
{
    Loop &l = *m_loop;
    l.playing = false;
    l.finishing = false;
    l.open = false;
    if (!l.connection.mainloop())
        return;
    l.connection.lock();
    l.endPass(false);
    l.ring.clear();
    l.connection.unlock();
}

bool PulseSoundDevice::isOpen() const
{
    return m_loop->open;
}

SoundError PulseSoundDevice::error() const
{
    return m_loop->error;
}

int PulseSoundDevice::underruns() const
{
    return m_loop->underruns.load(std::memory_order_relaxed);
}

std::unique_ptr<SidetoneStream> PulseSoundDevice::makeSidetoneStream()
{
    return std::make_unique<PulseSidetoneStream>(m_loop->connection);
}
