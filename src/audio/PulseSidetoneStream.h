#pragma once
// The sidetone stream on the sound server: a playback stream of its own, on the
// looping device's connection, that asks its source for every block just before the
// block is queued, and asks the server to queue as little as it can play without gaps.

#include "engine/sound_device/SoundDevice.h"

#include <QObject>

#include <atomic>

class PulseConnection;
struct pa_stream;

// Use it from the UI thread, which must run an event loop (failed arrives there).
class PulseSidetoneStream : public SidetoneStream {
public:
    // The server is asked to keep about 15 ms queued and to ask for 5 ms pieces. With
    // 10 ms queued a busy machine (load 8 on two cores) heard about two gaps a second;
    // with 15 ms none in a long keying session, and the tone still starts within
    // about 15 ms of a key-down.
    static constexpr int kTargetBytes = 1324;
    static constexpr int kMinRequestBytes = 440;

    // The connection (made, or re-made after a loss, by start()) must outlive the stream.
    explicit PulseSidetoneStream(PulseConnection &connection);
    ~PulseSidetoneStream() override;
    PulseSidetoneStream(const PulseSidetoneStream &) = delete;
    PulseSidetoneStream &operator=(const PulseSidetoneStream &) = delete;

    bool start(SidetoneSource *source) override;
    void stop() override;
    bool isRunning() const override { return m_running; }
    SoundError error() const override { return m_error; }
    int latencyMs() const override;
    int underruns() const override { return m_underruns.load(std::memory_order_relaxed); }

private:
    static void stateChanged(pa_stream *stream, void *self);
    static void writable(pa_stream *stream, size_t bytes, void *self);
    static void underflow(pa_stream *stream, void *self);
    void dropStream();   // the loop's lock held

    PulseConnection &m_connection;
    // UI thread only.
    QObject m_receiver;              // the loop thread's failure message is queued to it
    bool m_running = false;
    SoundError m_error = SoundError::None;
    // Set by the UI thread with the loop's lock held; read by the loop thread's
    // callbacks, which libpulse runs with that lock held.
    pa_stream *m_stream = nullptr;
    SidetoneSource *m_source = nullptr;
    // Either thread.
    std::atomic<int> m_underruns{0};
    std::atomic<unsigned> m_generation{0};   // one per start; stale failures are dropped
};
