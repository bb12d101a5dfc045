// The main window's menu commands open their windows, and the exercise hand-over
// gives the window the text and keeps or replaces it; the help opens on its contents.

#include "support/MainWindow.h"
#include "support/ModalDriver.h"
#include "info/HelpWindow.h"
#include "main/TextBox.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

class MenuCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensWindow_data();
    void opensWindow();
    void helpContents();
    void softKeying();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;
};

void MenuCommandsTest::init()
{
    m_window = startMainWindow(m_dir.filePath(QStringLiteral("%1.ini").arg(QTest::currentDataTag())));
}

void MenuCommandsTest::cleanup()
{
    m_window.reset();
    ui::closeHelpWindow();
}

// "Blød nøgling" comes after the designed items, reaches the engine's settings at
// once, is kept in the store and is back on at the next start.
void MenuCommandsTest::softKeying()
{
    QAction *item = m_window->menuItem(QStringLiteral("mnuIndstillingerBlød"));
    QVERIFY(item && item->isCheckable() && !item->isChecked());
    auto *menu = qobject_cast<QMenu *>(item->associatedObjects().constFirst());
    QVERIFY(menu);
    QCOMPARE(menu->actions().constLast(), item);
    QCOMPARE(m_window->morse().settings().softRampMs, 0);

    item->trigger();
    QVERIFY(item->isChecked());
    QCOMPARE(m_window->morse().settings().softRampMs, 5);
    const QString store = m_dir.filePath(QStringLiteral("%1.ini").arg(QTest::currentDataTag()));
    m_window.reset();
    m_window = startMainWindow(store);
    item = m_window->menuItem(QStringLiteral("mnuIndstillingerBlød"));
    QVERIFY(item->isChecked());
    QCOMPARE(m_window->morse().settings().softRampMs, 5);
    item->trigger();
    QCOMPARE(m_window->morse().settings().softRampMs, 0);
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
    m_window->Text1()->setSelStart(5);
    const bool exercise = item.startsWith(QLatin1String("mnuFunktioner"));

    QAction *action = m_window->menuItem(item);
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    QString seenTitle;
    QString handedOver;
    ModalDriver driver;
    driver.then([&, generate](QWidget *dialog) {
        seenTitle = dialog->windowTitle();
        handedOver = m_window->morse().gsCWTekst;
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
    if (exercise) {
        // The exercise window gets the box's text as it stands; what comes back
        // is set anew, caret at the start.
        QCOMPARE(handedOver, text);
        QCOMPARE(m_window->Text1()->SelStart(), 0);
    }
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
    ModalDriver driver(ModalDriver::AnswerEveryMessage);   // there must be none
    action->trigger();
    QPointer<HelpWindow> help;
    QVERIFY(QTest::qWaitFor([&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *h = qobject_cast<HelpWindow *>(w); h && h->isVisible())
                help = h;
        }
        return !help.isNull();
    }, 2000));
    QVERIFY2(driver.messages.isEmpty(), qPrintable(driver.messages.join(QLatin1String(" | "))));
    // The contents page, readable, in a window of its own beside the main window.
    QCOMPARE(help->browser()->source(), ui::helpContentsUrl());
    QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Indhold")));
    QVERIFY(!help->isModal());
    QVERIFY(!m_window->menuItem(QStringLiteral("mnuHjælpSøg"))->isEnabled());
    // Closing the main window closes the help with it.
    QVERIFY(m_window->close());
    QTRY_VERIFY(!help || !help->isVisible());
}

QTEST_MAIN(MenuCommandsTest)
#include "tst_menucommands.moc"
