#include "engine/sound_device/QtSoundDevice.h"

#include "engine/constants.h"
#include "engine/sound_device/SoundServerWatch.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define TELVOK_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TELVOK_LEAK_CHECK 1
#endif
#endif
#if TELVOK_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace {

constexpr int kCallTimeoutMs = 4000;    // a command the audio thread must finish by then
constexpr int kStallMs = 1500;          // playing, and no read for this long: output is dead
constexpr int kWatchIntervalMs = 250;   // stall check while playing
constexpr int kPlayedOutPollMs = 5;     // processed-time check after the last sample
constexpr qint64 kBytesPerSecond = morse::kSampleRate * morse::kBytesPerSample;   // 88200
constexpr qint64 kEndlessBytes = qint64(1) << 30;   // what the endless ring says it holds

// Set once Qt Multimedia has been asked for a sink; from then on its layer holds
// connections to the sound server until the process ends.
std::atomic<bool> g_soundSystemUsed{false};

// The devices that exist; used on the UI thread only.
std::vector<QtSoundDevice *> &devices()
{
    static std::vector<QtSoundDevice *> all;
    return all;
}

// Qt's PulseAudio backend makes its one connection to the sound server on the
// thread that first starts a sink, and after the server dies it reconnects through
// that thread's event loop. Started from an audio thread, that connection would
// die with the thread and never come back. So a silent probe is started once here,
// on the UI thread, and kept: destroying a sink makes Qt process events, which must
// not happen in the middle of open().
void anchorSoundSystem(const QAudioDevice &device, const QAudioFormat &format)
{
    static QAudioSink *anchor = nullptr;
    if (anchor)
        return;
    anchor = new QAudioSink(device, format);
    anchor->start();
    anchor->stop();
}

} // namespace

// The looping buffer. The UI thread writes a half only after the reader has left
// it (the notification says so); `published` orders those writes before the
// reader's next pass.
struct QtSoundDevice::Ring {
    std::vector<char> bytes;
    std::atomic<int> published{0};
};

class QtSoundDevice::Front : public QObject {
public:
    QtSoundDevice *owner = nullptr;   // null once the device is gone
};

// The ring as the sink sees it: an endless sequential device. Each read copies on
// from the play position, wrapping at the end of the ring, and reports every
// notification offset it passes. After the finish point it delivers silence.
class QtSoundDevice::Reader : public QIODevice {
public:
    Reader(Backend &backend, std::shared_ptr<Ring> ring)
        : m_backend(backend), m_ring(std::move(ring))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        m_sinceRead.start();
    }

    bool isSequential() const override { return true; }
    // Called by Qt from the sound server's thread as well: a constant, no state.
    qint64 bytesAvailable() const override { return kEndlessBytes + QIODevice::bytesAvailable(); }

    // Starts a pass: from byteOffset, reporting the given crossing points (the byte
    // offset just after each notification offset's sample; index = position in list).
    void begin(int byteOffset, std::vector<int> crossings)
    {
        m_crossings = std::move(crossings);
        const int size = int(m_ring->bytes.size());
        m_position = std::clamp(byteOffset / 2 * 2, 0, size > 0 ? size - 2 : 0);
        m_total = 0;
        m_sequence = 0;
        m_finishSequence = 0;
        m_silent = size == 0;
        m_endBytes = -1;
        m_sinceRead.restart();
    }

    // Delivers silence from now on (a pass that ended, or a trial start).
    void silence() { m_silent = true; }

    // Ends the pass at the crossing with this sequence number, or now if it is past.
    void finishAt(quint64 sequence)
    {
        if (m_silent)
            return;
        if (m_sequence >= sequence) {
            m_silent = true;
            m_endBytes = m_total;
        } else {
            m_finishSequence = sequence;
        }
    }

    // Bytes handed to the sink up to the finish point; -1 before it.
    qint64 endBytes() const { return m_endBytes; }
    qint64 msSinceRead() const { return m_sinceRead.elapsed(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    Backend &m_backend;
    std::shared_ptr<Ring> m_ring;
    std::vector<int> m_crossings;
    QElapsedTimer m_sinceRead;
    int m_position = 0;             // byte offset of the next byte to read
    qint64 m_total = 0;             // bytes handed over in this pass
    quint64 m_sequence = 0;         // crossings passed in this pass
    quint64 m_finishSequence = 0;   // 0: not finishing
    qint64 m_endBytes = -1;
    bool m_silent = true;
};

// Owns the sink and everything it touches; all of it runs in the audio thread.
// Messages to the UI thread are posted to the Front, tagged with the pass's
// generation so the UI can drop those of a pass it has stopped.
class QtSoundDevice::Backend : public QObject {
public:
    Backend(Front *front, std::shared_ptr<Ring> ring, std::shared_ptr<std::atomic<int>> underruns)
        : m_front(front), m_ring(std::move(ring)), m_underruns(std::move(underruns))
    {
    }

    // Creates the sink and proves the device by starting and stopping it once.
    // Returns an empty string or why it failed.
    QString init(const QAudioDevice &device, const QAudioFormat &format)
    {
        m_reader = new Reader(*this, m_ring);
        m_reader->setParent(this);
        m_sink = new QAudioSink(device, format, this);
        QObject::connect(m_sink, &QAudioSink::stateChanged, this,
                         [this](QAudio::State state) { onStateChanged(state); });
        m_watch = new QTimer(this);
        m_watch->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_watch, &QTimer::timeout, this, [this] { check(); });

        m_reader->begin(0, {});
        m_reader->silence();
        start();
        const QAudio::Error error = m_sink->error();
        const bool started = m_sink->state() != QAudio::StoppedState && error == QAudio::NoError;
        m_sink->stop();
        return started ? QString() : describe(error);
    }

    void play(int generation, int byteOffset, std::vector<int> crossings)
    {
        stop();
        m_generation = generation;
        m_reader->begin(byteOffset, std::move(crossings));
        m_playing = true;
        if (!m_sink) {
            fail(describe(QAudio::FatalError));
            return;
        }
        start();
        if (m_sink->state() == QAudio::StoppedState || m_sink->error() != QAudio::NoError) {
            fail(describe(m_sink->error()));
            return;
        }
        m_watch->start(kWatchIntervalMs);
    }

    void finish(int generation, quint64 sequence)
    {
        if (m_playing && generation == m_generation) {
            m_reader->finishAt(sequence);
            passEnded();
        }
    }

    void stop()
    {
        m_playing = false;
        m_watch->stop();
        if (m_sink)
            m_sink->stop();
        if (m_reader)
            m_reader->silence();
    }

    // Qt's layer is about to free its connection to a server that is gone: the
    // sink must be let go of while that connection still exists. A pass that is
    // playing fails; a later one fails at once.
    void serverLost()
    {
        if (m_playing)
            fail(describe(QAudio::FatalError));
        delete m_sink;
        m_sink = nullptr;
    }

    // Stops the sink and frees it here, in its own thread, before the thread ends.
    void shutdown()
    {
        stop();
        delete m_sink;
        m_sink = nullptr;
        delete m_reader;
        m_reader = nullptr;
        delete m_watch;
        m_watch = nullptr;
    }

    // Read path: the reader passed a notification offset.
    void crossed(quint64 sequence, int index)
    {
        Front *front = m_front;
        const int generation = m_generation;
        QMetaObject::invokeMethod(front, [front, generation, sequence, index] {
            if (front->owner)
                front->owner->onNotified(generation, sequence, index);
        }, Qt::QueuedConnection);
    }

    // Read path: the reader reached the finish point.
    void passEnded()
    {
        if (m_reader->endBytes() >= 0 && m_watch->interval() != kPlayedOutPollMs)
            m_watch->start(kPlayedOutPollMs);
    }

private:
    void start()
    {
        // Qt keeps the buffer size the server granted and asks for that next time;
        // the server grants less than asked, so without this each start shrinks the
        // buffer until the stream no longer reaches its prebuffer and never plays.
        m_sink->setBufferSize(kSinkBufferBytes);
        m_sink->start(m_reader);
    }

    static QString describe(QAudio::Error error)
    {
        switch (error) {
        case QAudio::OpenError:
            return QtSoundDevice::tr("Lydudgangen kunne ikke åbnes.");
        case QAudio::IOError:
            return QtSoundDevice::tr("Lydudgangen svigtede under afspilningen.");
        case QAudio::FatalError:
            return QtSoundDevice::tr("Forbindelsen til lydserveren er afbrudt.");
        default:
            return QtSoundDevice::tr("Lydudgangen kunne ikke startes.");
        }
    }

    void onStateChanged(QAudio::State state)
    {
        if (!m_playing)
            return;
        const QAudio::Error error = m_sink->error();
        if (state == QAudio::StoppedState && error != QAudio::NoError)
            fail(describe(error));
        else if (state == QAudio::IdleState)
            m_underruns->fetch_add(1, std::memory_order_relaxed);   // the reader never runs dry
    }

    void check()
    {
        if (!m_playing)
            return;
        if (m_reader->msSinceRead() > kStallMs) {
            fail(QtSoundDevice::tr("Lydudgangen holdt op med at spille."));
            return;
        }
        const qint64 end = m_reader->endBytes();
        if (end < 0 || !m_sink)
            return;
        // Played out once the server has processed every byte up to the finish
        // point; bytes to microseconds at 88200 bytes per second.
        const qint64 processedBytes = m_sink->processedUSecs() * kBytesPerSecond / 1000000;
        if (processedBytes < end)
            return;
        stop();
        Front *front = m_front;
        const int generation = m_generation;
        QMetaObject::invokeMethod(front, [front, generation] {
            if (front->owner)
                front->owner->onPlayedOut(generation);
        }, Qt::QueuedConnection);
    }

    void fail(const QString &reason)
    {
        stop();
        Front *front = m_front;
        const int generation = m_generation;
        QMetaObject::invokeMethod(front, [front, generation, reason] {
            if (front->owner)
                front->owner->onFailed(generation, reason);
        }, Qt::QueuedConnection);
    }

    Front *m_front;
    std::shared_ptr<Ring> m_ring;
    std::shared_ptr<std::atomic<int>> m_underruns;
    QAudioSink *m_sink = nullptr;
    Reader *m_reader = nullptr;
    QTimer *m_watch = nullptr;
    int m_generation = 0;
    bool m_playing = false;
};

qint64 QtSoundDevice::Reader::readData(char *data, qint64 maxSize)
{
    m_sinceRead.restart();
    const char *ring = m_ring->bytes.data();
    const int size = int(m_ring->bytes.size());
    m_ring->published.load(std::memory_order_acquire);
    qint64 done = 0;
    while (done < maxSize) {
        if (m_silent) {
            std::memset(data + done, 0, size_t(maxSize - done));
            return maxSize;
        }
        // Copy up to the next crossing point or the end of the ring.
        int boundary = size;
        int index = -1;
        for (int i = 0; i < int(m_crossings.size()); ++i) {
            const int at = m_crossings[size_t(i)];
            if (at > m_position && at < boundary + (index < 0 ? 1 : 0)) {
                boundary = at;
                index = i;
            }
        }
        const qint64 n = std::min<qint64>(maxSize - done, boundary - m_position);
        std::memcpy(data + done, ring + m_position, size_t(n));
        done += n;
        m_position += int(n);
        m_total += n;
        const bool passed = index >= 0 && m_position == boundary;
        if (m_position >= size)
            m_position = 0;
        if (!passed)
            continue;
        ++m_sequence;
        if (m_finishSequence != 0 && m_sequence >= m_finishSequence) {
            m_silent = true;
            m_endBytes = m_total;
            m_backend.passEnded();
        } else {
            m_backend.crossed(m_sequence, index);
        }
    }
    return done;
}

QtSoundDevice::QtSoundDevice()
    : m_ring(std::make_shared<Ring>()), m_underruns(std::make_shared<std::atomic<int>>(0))
{
    devices().push_back(this);
}

QtSoundDevice::~QtSoundDevice()
{
    std::erase(devices(), this);
    release();
}

void QtSoundDevice::dropSinks()
{
    for (QtSoundDevice *device : devices()) {
        if (device->m_backend)
            device->callBackend([](Backend &b) { b.serverLost(); });
    }
}

int QtSoundDevice::finishProcess(int status)
{
    if (!g_soundSystemUsed.load())
        return status;
    std::fflush(nullptr);
#if TELVOK_LEAK_CHECK
    __lsan_do_leak_check();
#endif
    std::_Exit(status);
}

bool QtSoundDevice::open(int bufferBytes)
{
    release();
    m_error.clear();
    if (bufferBytes <= 0 || bufferBytes % morse::kBytesPerSample != 0) {
        m_error = tr("Lydbufferen har en ugyldig størrelse.");
        return false;
    }
    // Qt Multimedia is first used only once a sound server answers: Qt's layer
    // would never look for a server that was missing at that moment.
    if (!g_soundSystemUsed.load()) {
        SoundServerWatch::install(&QtSoundDevice::dropSinks);
        if (!SoundServerWatch::serverAnswers()) {
            m_error = tr("Lydserveren svarer ikke.");
            return false;
        }
        g_soundSystemUsed.store(true);
    }
    if (!openSink(bufferBytes) && !(SoundServerWatch::reconnect() && openSink(bufferBytes)))
        return false;
    SoundServerWatch::opened();
    return true;
}

bool QtSoundDevice::openSink(int bufferBytes)
{
    release();
    m_error.clear();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        m_error = tr("Der er ingen lydudgang.");
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(morse::kSampleRate);
    format.setChannelCount(morse::kChannels);
    format.setChannelConfig(QAudioFormat::ChannelConfigMono);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        m_error = tr("Lydudgangen kan ikke spille 44100 Hz mono 16 bit.");
        return false;
    }

    anchorSoundSystem(device, format);

    // A fresh ring, thread and sink for every open: a sink that has failed stays dead.
    m_ring = std::make_shared<Ring>();
    m_ring->bytes.assign(size_t(bufferBytes), 0);
    m_front = new Front;
    m_front->owner = this;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("telvok-sound"));
    m_backend = new Backend(m_front, m_ring, m_underruns);
    m_backend->moveToThread(m_thread);
    m_thread->start(QThread::TimeCriticalPriority);

    auto result = std::make_shared<QString>();
    if (!callBackend([result, device, format](Backend &b) { *result = b.init(device, format); }))
        return false;
    if (!result->isEmpty()) {
        release();
        m_error = *result;
        return false;
    }
    m_open = true;
    return true;
}

void QtSoundDevice::setNotificationPositions(std::vector<int> byteOffsets)
{
    m_notify = std::move(byteOffsets);
}

void QtSoundDevice::write(int byteOffset, std::span<const std::int16_t> samples)
{
    if (!m_open)
        return;
    const auto size = qsizetype(m_ring->bytes.size());
    const auto bytes = qsizetype(samples.size_bytes());
    if (byteOffset < 0 || byteOffset % 2 != 0 || bytes > size - byteOffset)
        return;
    // The engine's samples are host order; the ring holds little-endian PCM.
    qToLittleEndian<std::int16_t>(samples.data(), qsizetype(samples.size()),
                                  m_ring->bytes.data() + byteOffset);
    m_ring->published.fetch_add(1, std::memory_order_release);
}

void QtSoundDevice::setPosition(int byteOffset)
{
    m_startPosition = byteOffset;
}

void QtSoundDevice::playLooping()
{
    if (!m_open || m_playing)
        return;
    const int size = int(m_ring->bytes.size());
    std::vector<int> crossings;
    for (int offset : m_notify) {
        // Passed once the sample holding the offset has been read.
        if (offset >= 0 && offset < size)
            crossings.push_back((offset / 2 + 1) * 2);
    }
    ++m_generation;
    m_playing = true;
    m_finishing = false;
    m_lastSequence = 0;
    const int generation = m_generation;
    const int start = m_startPosition;
    postBackend([generation, start, crossings](Backend &b) { b.play(generation, start, crossings); });
}

void QtSoundDevice::stop()
{
    m_playing = false;
    m_finishing = false;
    ++m_generation;     // messages of the stopped pass are dropped on arrival
    if (m_backend)
        callBackend([](Backend &b) { b.stop(); });
}

void QtSoundDevice::finishAtNextNotification()
{
    if (!m_playing || m_finishing)
        return;
    m_finishing = true;
    const int generation = m_generation;
    const quint64 next = m_lastSequence + 1;
    postBackend([generation, next](Backend &b) { b.finish(generation, next); });
}

void QtSoundDevice::release()
{
    m_playing = false;
    m_finishing = false;
    m_open = false;
    ++m_generation;
    if (!m_thread)
        return;
    if (callBackend([](Backend &b) { b.shutdown(); })) {
        m_thread->quit();
        m_thread->wait();
        delete m_backend;
        delete m_thread;
        delete m_front;     // drops any message still queued to it
        m_backend = nullptr;
        m_thread = nullptr;
        m_front = nullptr;
    }
}

bool QtSoundDevice::callBackend(std::function<void(Backend &)> fn)
{
    if (!m_backend)
        return false;
    auto done = std::make_shared<QSemaphore>();
    Backend *backend = m_backend;
    QMetaObject::invokeMethod(backend, [backend, fn = std::move(fn), done] {
        fn(*backend);
        done->release();
    }, Qt::QueuedConnection);
    if (done->tryAcquire(1, kCallTimeoutMs))
        return true;
    abandonThread();
    return false;
}

void QtSoundDevice::postBackend(std::function<void(Backend &)> fn)
{
    if (!m_backend)
        return;
    Backend *backend = m_backend;
    QMetaObject::invokeMethod(backend, [backend, fn = std::move(fn)] { fn(*backend); },
                              Qt::QueuedConnection);
}

void QtSoundDevice::abandonThread()
{
    // The audio thread hangs inside the sound system. It cannot be stopped safely,
    // so it is left to itself; what it still posts finds no owner.
    m_front->owner = nullptr;
    m_thread->quit();
    m_thread = nullptr;
    m_backend = nullptr;
    m_front = nullptr;
    m_open = false;
    m_playing = false;
    m_error = tr("Lydudgangen svarer ikke.");
}

void QtSoundDevice::onNotified(int generation, quint64 sequence, int index)
{
    if (generation != m_generation || !m_playing || m_finishing)
        return;
    m_lastSequence = sequence;
    if (notified)
        notified(index);
}

void QtSoundDevice::onPlayedOut(int generation)
{
    if (generation != m_generation || !m_playing)
        return;
    m_playing = false;
    m_finishing = false;
    if (playedOut)
        playedOut();
}

void QtSoundDevice::onFailed(int generation, const QString &reason)
{
    if (generation != m_generation || !m_playing)
        return;
    release();
    m_error = reason;
    if (failed)
        failed();
}
