#pragma once
// The real sound device: Qt Multimedia's QAudioSink on the default output.

#include "engine/sound_device/SoundDevice.h"

class QtSoundDevice : public SoundDevice {
public:
    bool open(int bufferBytes) override;
    void setNotificationPositions(std::vector<int>) override {}
    void write(int, std::span<const std::int16_t>) override {}
    void setPosition(int) override {}
    void playLooping() override {}
    void stop() override {}
    void finishAtNextNotification() override {}
    void release() override {}
    bool isOpen() const override { return false; }
    QString errorString() const override;
};
