#pragma once
// A sound device without hardware: a play cursor that advance() moves by hand,
// recording every sample "played". Notifications fire at once, inside advance().

#include "engine/sound_device/SoundDevice.h"

#include <QByteArray>

class SimulatedSoundDevice : public SoundDevice {
public:
    bool open(int bufferBytes) override;
    void setNotificationPositions(std::vector<int> byteOffsets) override;
    void write(int byteOffset, std::span<const std::int16_t> samples) override;
    void setPosition(int byteOffset) override;
    void playLooping() override;
    void stop() override;
    void finishAtNextNotification() override;
    void release() override;
    bool isOpen() const override { return m_open; }
    SoundError error() const override { return m_error; }
    // A SimulatedSidetoneStream; the last one made is lastSidetone() (tests drive it).
    std::unique_ptr<SidetoneStream> makeSidetoneStream() override;
    class SimulatedSidetoneStream *lastSidetone() const { return m_lastSidetone; }

    // Plays up to `samples` samples while playing, firing notifications as the
    // cursor passes their offsets. Returns the number of samples played.
    qint64 advance(qint64 samples);

    // Plays until the device stops by itself (finishAtNextNotification or a stop
    // from a handler), at most maxSamples. Returns the number of samples played.
    qint64 runUntilStopped(qint64 maxSamples);

    bool isPlaying() const { return m_playing; }
    int position() const { return m_position; }

    // Everything played since the last clearPlayed(), as little-endian bytes.
    const QByteArray &played() const { return m_played; }
    void clearPlayed() { m_played.clear(); }

    // Test controls: make the next open() fail, or fail the open device now.
    void setOpenFails(bool fails, SoundError error = SoundError::NoServer);
    void failNow();

    int writeCount() const { return m_writes; }

private:
    class SimulatedSidetoneStream *m_lastSidetone = nullptr;
    QByteArray m_buffer;
    QByteArray m_played;
    std::vector<int> m_notify;
    int m_position = 0;         // byte offset of the next byte to play
    bool m_open = false;
    bool m_playing = false;
    bool m_finishing = false;
    bool m_openFails = false;
    SoundError m_openError = SoundError::NoServer;
    SoundError m_error = SoundError::None;
    int m_writes = 0;
};
