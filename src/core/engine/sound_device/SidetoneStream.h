#pragma once
// A live playback stream for a sidetone: the stream asks its source for every block
// of samples (44100 Hz mono 16-bit) just before the block is queued, so what is heard
// follows the source within the stream's latency. Two implementations: the sound
// server's (beside the looping device, on its connection) and a simulated one whose
// sample clock tests drive.

#include <cstdint>
#include <functional>
#include <span>

enum class SoundError;   // SoundDevice.h

class SidetoneSource {
public:
    virtual ~SidetoneSource() = default;
    // Fills out with the next samples. Called on the stream's own thread: it must
    // not block, lock or allocate.
    virtual void render(std::span<std::int16_t> out) = 0;
    // Takes back up to maxSamples of the latest samples rendered, as far as rendering
    // them again would give what the source's input now asks for; returns how many.
    // The stream renders them again at once, in place. Called on the stream's thread
    // or with its lock held, never during render().
    virtual std::int64_t takeBack(std::int64_t maxSamples)
    {
        (void)maxSamples;
        return 0;
    }
};

class SidetoneStream {
public:
    virtual ~SidetoneStream() = default;

    // Starts pulling from source (which must outlive the stream or the next stop()).
    // Plays silence whenever the source does, never pausing to prebuffer. False: no
    // usable stream, error() tells why.
    virtual bool start(SidetoneSource *source) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    virtual SoundError error() const = 0;

    // How late a change of the source is heard, in milliseconds; -1 while unknown.
    virtual int latencyMs() const = 0;
    // Gaps the stream ran dry since start().
    virtual int underruns() const = 0;
    // The source's input changed (a key went down or up): what is queued and not yet
    // heard is rendered again as far as the source can take it back, so that the
    // change is heard as soon as the server can play it.
    virtual void refresh() = 0;

    // On the owner's (UI) thread: the stream died while running (server lost).
    std::function<void()> failed;
};
