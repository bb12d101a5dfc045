#pragma once
// The sound output the engine streams into: one looping buffer of PCM samples
// (morse::kWaveFormat: 44100 Hz, mono, 16-bit) with position notifications. Two
// implementations: the real device (the sound server, through libpulse) and a
// simulated one whose clock tests drive.

#include "engine/sound_device/SidetoneStream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

// Why the device is not usable. The sound layer holds no words for the user: the
// windows and tools say these in their own language.
enum class SoundError {
    None,
    NoServer,           // no sound server accepted a connection
    RefusedFormat,      // the server would not take a stream at the program's format
    ServerLost,         // the server went away, or stopped playing, while the device was open
    InvalidBuffer,      // open() was given a buffer size that is no whole number of samples
};

class SoundDevice {
public:
    virtual ~SoundDevice() = default;

    // Opens the default output device and creates a looping buffer of bufferBytes
    // for 44100 Hz mono 16-bit PCM. An open buffer is released first. False: no
    // usable device (error() says why); never sound at another format.
    virtual bool open(int bufferBytes) = 0;

    // Byte offsets whose passing by the play position (what has been heard) fires
    // notified(index). The owner may rewrite the bytes up to a position once it
    // has been notified of it.
    virtual void setNotificationPositions(std::vector<int> byteOffsets) = 0;

    // Puts samples into the buffer from byteOffset on; safe while another part plays.
    virtual void write(int byteOffset, std::span<const std::int16_t> samples) = 0;

    virtual void setPosition(int byteOffset) = 0;

    // Plays from the current position, wrapping at the end, until stopped.
    virtual void playLooping() = 0;

    // Silence at once; queued notifications are dropped.
    virtual void stop() = 0;

    // Keeps playing up to the next notification position, stops there without
    // notifying, and fires playedOut once the last sample before it has been heard.
    virtual void finishAtNextNotification() = 0;

    // Releases the buffer (stopping it); open() may be called again.
    virtual void release() = 0;

    virtual bool isOpen() const = 0;
    virtual SoundError error() const = 0;

    // A live sidetone stream on the same output (and connection); null: none here.
    // The stream must be destroyed before the device.
    virtual std::unique_ptr<SidetoneStream> makeSidetoneStream() { return nullptr; }

    // All three are called on the thread that owns the device (the UI thread).
    std::function<void(int index)> notified;   // index into the notification positions
    std::function<void()> playedOut;           // after finishAtNextNotification()
    std::function<void()> failed;              // the device died while open
};
