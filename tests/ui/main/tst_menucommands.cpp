// The main window's menu commands open their windows, and the exercise hand-over
// keeps or replaces the text.

#include "support/ModalDriver.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "info/HelpWindow.h"
#include "main/TextBox.h"
#include "main/frmMain.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class MenuCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensWindow_data();
    void opensWindow();
    void helpContents();

private:
    QTemporaryDir m_dir;
    frmMain *m_window = nullptr;
};

void MenuCommandsTest::init()
{
    const QString ini = m_dir.filePath(QStringLiteral("%1.ini").arg(QTest::currentDataTag()));
    m_window = new frmMain(std::make_unique<SimulatedSoundDevice>(),
                           [ini] { return settings::openStoreAt(ini); });
    m_window->Form_Load();
}

void MenuCommandsTest::cleanup()
{
    delete m_window;
    m_window = nullptr;
    ui::closeHelpWindow();
}

void MenuCommandsTest::opensWindow_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("generate");
    QTest::addColumn<int>("questions");   // message boxes answered OK after generating
    QTest::newRow("character list") << "mnuVisMorsetegn" << "Anvendte morsetegn" << false << 0;
    QTest::newRow("settings") << "mnuIndstillingerIndstil" << "CW indstillinger" << false << 0;
    QTest::newRow("about") << "mnuOm" << "Om Telvok's Morsetræningsprogram" << false << 0;
    QTest::newRow("exercise 1 closed") << "mnuFunktionerOv1" << "Øvelser 1" << false << 0;
    QTest::newRow("exercise 1 generated") << "mnuFunktionerOv1" << "Øvelser 1" << true << 0;
    QTest::newRow("exercise 2 closed") << "mnuFunktionerOv2" << "Øvelser 2" << false << 0;
    QTest::newRow("exercise 2 generated") << "mnuFunktionerOv2" << "Øvelser 2" << true << 0;
    QTest::newRow("exercise 3 closed") << "mnuFunktionerOv3" << "Øvelser 3 " << false << 0;
    QTest::newRow("exercise 3 generated") << "mnuFunktionerOv3" << "Øvelser 3 " << true << 2;
    QTest::newRow("groups closed") << "mnuFunktioner5grupper" << "Dan 5-bogstavsgrupper" << false << 0;
    QTest::newRow("groups generated") << "mnuFunktioner5grupper" << "Dan 5-bogstavsgrupper" << true << 0;
}

void MenuCommandsTest::opensWindow()
{
    QFETCH(QString, item);
    QFETCH(QString, title);
    QFETCH(bool, generate);
    QFETCH(int, questions);
    const QString text = QStringLiteral("cq de oz1abc\r\nline\ntwo");
    m_window->Text1()->setText(text);

    QAction *action = m_window->menuItem(item);
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    QString seenTitle;
    ModalDriver driver;
    driver.then([&seenTitle, generate](QWidget *dialog) {
        seenTitle = dialog->windowTitle();
        if (!generate) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            return;
        }
        for (QPushButton *b : dialog->findChildren<QPushButton *>()) {
            if (b->isDefault()) {
                b->click();
                return;
            }
        }
    });
    for (int i = 0; i < questions; ++i)
        driver.thenMessage(QMessageBox::Ok);
    action->trigger();

    QCOMPARE(seenTitle, title);
    QVERIFY(driver.done());
    if (generate) {
        QVERIFY(m_window->Text1()->Text().startsWith(QStringLiteral("<KA><KA><KA>\r\n")));
        QVERIFY(m_window->Text1()->Text().endsWith(QStringLiteral("<AR>")));
    } else {
        QCOMPARE(m_window->Text1()->Text(), text);
    }
}

void MenuCommandsTest::helpContents()
{
    QAction *action = m_window->menuItem(QStringLiteral("mnuHjælpIndhold"));
    QVERIFY(action && action->isEnabled());
    const QWidgetList before = QApplication::topLevelWidgets();
    ModalDriver driver;
    driver.thenMessage();   // there must be none
    action->trigger();
    QTest::qWait(50);
    QVERIFY(driver.messages.isEmpty());
    QPointer<QWidget> help;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w != m_window && !before.contains(w) && !w->parentWidget())
            help = w;
    }
    QVERIFY(help);
    QVERIFY(!m_window->menuItem(QStringLiteral("mnuHjælpSøg"))->isEnabled());
    // Closing the main window closes the help with it.
    QVERIFY(m_window->close());
    QTRY_VERIFY(!help || !help->isVisible());
}

QTEST_MAIN(MenuCommandsTest)
#include "tst_menucommands.moc"
