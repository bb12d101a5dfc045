#include "Module1.h"
#include "program/ProgramInfo.h"
#include "PulseSoundDevice.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(program::title());
    return Module1::Main(std::make_unique<PulseSoundDevice>());
}
