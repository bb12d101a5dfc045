#pragma once
// The real sound device: a playback stream on the sound server (PulseAudio, or
// PipeWire's PulseAudio service) through libpulse's threaded main loop, fed from a
// looping ring of 44100 Hz mono 16-bit PCM.

#include "engine/sound_device/SoundDevice.h"

#include <memory>

// Use it from one thread (the UI thread, which must run an event loop): every
// callback arrives there, queued, one at a time. The server connection is made by
// the first open() and kept while it works; a lost one is replaced by the next open().
class PulseSoundDevice : public SoundDevice {
public:
    // The server holds about 200 ms written ahead of what is heard (8820 samples),
    // and asks for more once 97 ms of it have played: ten wake-ups a second, and
    // room for a loaded machine. Of the 200 ms the sink keeps only 3 ms (the server
    // gives it half of what is left after two requests), so a pass needs only that
    // much lead-in and "&TX" is heard about 10 ms after the press. Neither end waits
    // for it: the first sound goes out as the stream is uncorked, and Stop throws
    // away what is queued.
    static constexpr int kTargetBytes = 17640;
    static constexpr int kMinRequestBytes = 8554;
    // After a gap (the ring was not refilled in time) playback resumes once this
    // much is queued again (10 ms).
    static constexpr int kPrebufferBytes = 882;

    PulseSoundDevice();
    ~PulseSoundDevice() override;
    PulseSoundDevice(const PulseSoundDevice &) = delete;
    PulseSoundDevice &operator=(const PulseSoundDevice &) = delete;

    bool open(int bufferBytes) override;
    void setNotificationPositions(std::vector<int> byteOffsets) override;
    void write(int byteOffset, std::span<const std::int16_t> samples) override;
    void setPosition(int byteOffset) override;
    void playLooping() override;
    void stop() override;
    void finishAtNextNotification() override;
    void release() override;
    bool isOpen() const override;
    SoundError error() const override;
    // A sidetone stream on this device's connection (made by its start() if need be).
    std::unique_ptr<SidetoneStream> makeSidetoneStream() override;

    // Gaps the sound server reported (stream underruns) since the device was made.
    int underruns() const;

private:
    struct Loop;   // libpulse's objects and everything its thread touches
    std::unique_ptr<Loop> m_loop;
};
