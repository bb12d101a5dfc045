#pragma once
// The sound output the engine streams into: one looping buffer of PCM samples
// (44100 Hz, mono, 16-bit) with position notifications. Two implementations: the
// real device (Qt Multimedia) and a simulated one whose clock tests drive.

#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class SoundDevice {
public:
    virtual ~SoundDevice() = default;

    // Opens the default output device and creates a looping buffer of bufferBytes
    // for 44100 Hz mono 16-bit PCM. An open buffer is released first. False: no
    // usable device (errorString() says why); never sound at another format.
    virtual bool open(int bufferBytes) = 0;

    // Byte offsets whose passing by the play position fires notified(index).
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
    virtual QString errorString() const = 0;

    // All three are called on the thread that owns the device (the UI thread).
    std::function<void(int index)> notified;   // index into the notification positions
    std::function<void()> playedOut;           // after finishAtNextNotification()
    std::function<void()> failed;              // the device died while open
};
