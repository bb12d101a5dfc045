#include "app/Module1.h"
#include "app/ProgramInfo.h"
#include "engine/sound_device/QtSoundDevice.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    int status = 0;
    {
        QApplication app(argc, argv);
        QCoreApplication::setApplicationName(program::title());
        status = Module1::Main(std::make_unique<QtSoundDevice>());
    }
    return QtSoundDevice::finishProcess(status);
}
