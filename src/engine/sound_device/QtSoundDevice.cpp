#include "engine/sound_device/QtSoundDevice.h"

bool QtSoundDevice::open(int)
{
    return false;
}

QString QtSoundDevice::errorString() const
{
    return QStringLiteral("sound output is not built yet");
}
