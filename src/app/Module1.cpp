#include "Module1.h"

#include "engine/sound_device/SoundDevice.h"
#include "main/frmMain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int Module1::Main(std::unique_ptr<SoundDevice> device, settings::StoreOpener openStore)
{
    loadQtTranslations();
    frmMain window(std::move(device), std::move(openStore));
    window.Form_Load();
    return QApplication::exec();
}

bool Module1::loadQtTranslations()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_da"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
