#pragma once
// The real sound device: a Qt Multimedia QAudioSink on the default output, pulling
// 44100 Hz mono 16-bit PCM from a looping ring in a thread of its own.

#include "engine/sound_device/SoundDevice.h"

#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QThread;

// Use it from one thread (the UI thread, which must run an event loop): every
// callback arrives there, queued, one at a time. The sink and its reads live in a
// private thread, so a stalled window does not stall the sound.
class QtSoundDevice : public SoundDevice {
    Q_DECLARE_TR_FUNCTIONS(QtSoundDevice)

public:
    // Bytes of sink buffer asked of the sound server: 200 ms (8820 samples). With
    // 60 ms, other processes loading both cores made it run dry about once a minute.
    // Neither end waits for it: the first sound is out after about 21 ms, and Stop
    // discards what is queued.
    static constexpr int kSinkBufferBytes = 17640;

    QtSoundDevice();
    ~QtSoundDevice() override;
    QtSoundDevice(const QtSoundDevice &) = delete;
    QtSoundDevice &operator=(const QtSoundDevice &) = delete;

    bool open(int bufferBytes) override;
    void setNotificationPositions(std::vector<int> byteOffsets) override;
    void write(int byteOffset, std::span<const std::int16_t> samples) override;
    void setPosition(int byteOffset) override;
    void playLooping() override;
    void stop() override;
    void finishAtNextNotification() override;
    void release() override;
    bool isOpen() const override { return m_open; }
    QString errorString() const override { return m_error; }

    // Gaps the sound server reported (stream underruns) since the device was made.
    int underruns() const { return m_underruns->load(std::memory_order_relaxed); }

    // main's last call, once its own objects are gone: return finishProcess(status).
    // When Qt's sound layer has been used, the process ends here without running
    // the static destructors. Qt 6.4's PulseAudio layer disconnects from the server
    // in them without holding the lock of its event thread, and a message from the
    // server arriving in that moment aborts the process (measured: 1 exit in 60
    // after a short send). Everything the program keeps is written before; buffered
    // output is flushed here, and a sanitizer build runs its leak check first.
    static int finishProcess(int status);

private:
    class Backend;      // owns the sink; lives in the audio thread
    class Reader;       // the ring as a sequential QIODevice; audio thread
    class Front;        // receives the audio thread's messages; UI thread
    struct Ring;        // the bytes both threads share

    // Makes the ring, thread and sink; open() decides whether the sound system may be used.
    bool openSink(int bufferBytes);
    // Runs fn in the audio thread and waits for it. False when the thread does not
    // answer in time: it is then abandoned and the device is closed.
    bool callBackend(std::function<void(Backend &)> fn);
    void postBackend(std::function<void(Backend &)> fn);
    void abandonThread();
    // Qt's layer lost the server and is about to free its connection: every
    // device's audio thread lets go of its sink first (UI thread, blocking).
    static void dropSinks();
    void onNotified(int generation, quint64 sequence, int index);
    void onPlayedOut(int generation);
    void onFailed(int generation, const QString &reason);

    std::shared_ptr<Ring> m_ring;
    std::shared_ptr<std::atomic<int>> m_underruns;
    QThread *m_thread = nullptr;
    Backend *m_backend = nullptr;
    Front *m_front = nullptr;
    std::vector<int> m_notify;      // byte offsets, as set by the caller
    int m_startPosition = 0;        // byte offset the next playLooping starts at
    int m_generation = 0;           // one per playLooping; stale messages carry an older one
    quint64 m_lastSequence = 0;     // number of the last notification delivered
    bool m_open = false;
    bool m_playing = false;
    bool m_finishing = false;
    QString m_error;
};
