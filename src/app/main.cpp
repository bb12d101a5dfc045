#include "app/ProgramInfo.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(program::title());
    QMainWindow window;
    window.setWindowTitle(program::title());
    window.show();
    return app.exec();
}
