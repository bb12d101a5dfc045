#include "app/Module1.h"
#include "app/ProgramInfo.h"
#include "engine/sound_device/PulseSoundDevice.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(program::title());
    return Module1::Main(std::make_unique<PulseSoundDevice>());
}
