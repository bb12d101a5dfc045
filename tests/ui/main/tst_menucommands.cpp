// The main window's menu commands open their windows, and the exercise hand-over
// keeps the text or replaces it as one undo step; the help opens on its contents,
// from the menu and from F1.

#include "support/FileDialogs.h"
#include "support/MainWindow.h"
#include "support/ModalDriver.h"
#include "info/HelpWindow.h"
#include "main/TextBox.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
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
    void groupsWithoutCharacters_data();
    void groupsWithoutCharacters();
    void newAndOpenAreUndoSteps();
    void f1OpensHelp();
    void helpContents();
    void courseWindows();
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
    ModalDriver driver;
    driver.then([&, generate](QWidget *dialog) {
        seenTitle = dialog->windowTitle();
        if (!generate) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            return;
        }
        if (auto *tegn = dialog->findChild<QLineEdit *>(QStringLiteral("txtTegn")))
            tegn->setText(QStringLiteral("ABC"));
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
    TextBox *box = m_window->Text1();
    if (exercise) {
        // The box's text, or the one generated, is the exchange string; the caret
        // goes to the start.
        QCOMPARE(m_window->morse().text(), box->Text());
        QCOMPARE(box->SelStart(), 0);
    }
    if (generate) {
        QVERIFY(box->Text().startsWith(QStringLiteral("<KA><KA><KA>\r\n")));
        QVERIFY(box->Text().endsWith(QStringLiteral("<AR>")));
        // Replaced as one step: Ctrl+Z brings the old text back, Ctrl+Y the new one.
        const QString generated = box->Text();
        QTest::keySequence(box, QKeySequence::Undo);
        QCOMPARE(box->Text(), text);
        QTest::keySequence(box, QKeySequence::Redo);
        QCOMPARE(box->Text(), generated);
    } else {
        QCOMPARE(box->Text(), text);
    }
}

void MenuCommandsTest::groupsWithoutCharacters_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("characters");
    QTest::newRow("groups, empty box") << "mnuFunktioner5grupper" << "";
    QTest::newRow("groups, blanks only") << "mnuFunktioner5grupper" << "   ";
    QTest::newRow("groups, only a sign without a code") << "mnuFunktioner5grupper" << "#";
    QTest::newRow("exercise 2 Dan, empty box") << "mnuFunktionerOv2" << "";
    QTest::newRow("exercise 2 Dan, signs without a code") << "mnuFunktionerOv2" << "<#>";
}

void MenuCommandsTest::groupsWithoutCharacters()
{
    QFETCH(QString, item);
    QFETCH(QString, characters);
    const QString text = QStringLiteral("CQ DE OZ1ABC");
    m_window->Text1()->setText(text);
    QLineEdit *tegn = nullptr;
    QPushButton *generate = nullptr;
    ModalDriver driver;
    driver.then([&](QWidget *dialog) {
        tegn = dialog->findChild<QLineEdit *>(QStringLiteral("txtTegn"));
        generate = dialog->findChild<QPushButton *>(QStringLiteral("cmdØvelse"));
        if (auto *dan = dialog->findChild<QCheckBox *>(QStringLiteral("chkGrupper")))
            dan->setChecked(true);
        tegn->setText(characters);
        generate->click();
    });
    driver.thenMessage();
    // The window stays open on the character box; closed, it leaves the text.
    QWidget *focused = nullptr;
    driver.then([&](QWidget *dialog) {
        focused = dialog->focusWidget();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    m_window->menuItem(item)->trigger();
    QVERIFY(driver.done());
    QCOMPARE(focused, tegn);
    QCOMPARE(driver.messages, QStringList{QStringLiteral(
        "Der er ingen tegn at danne grupper af. Skriv tegnene i feltet \"Bestående af tegnene\".")});
    QCOMPARE(driver.titles, QStringList{QStringLiteral("5 bogstavsgrupper")});
    QCOMPARE(m_window->Text1()->Text(), text);
}

void MenuCommandsTest::newAndOpenAreUndoSteps()
{
    // "&Ny" and "Å&bn..." each replace the text as one step; Ctrl+Z takes them back
    // one at a time.
    TextBox *box = m_window->Text1();
    const QString typed = QStringLiteral("VVV DE OZ1ABC");
    box->setText(typed);
    const QString path = m_dir.filePath(QStringLiteral("opened.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("CQ CQ\r\nK");
    file.close();
    ModalDriver driver;
    driver.then(answerFileDialog(path));
    m_window->menuItem(QStringLiteral("mnuFilerÅbn"))->trigger();
    QVERIFY(driver.done());
    const QString opened = box->Text();
    QVERIFY(opened.startsWith(QStringLiteral("CQ CQ\r\nK")));
    m_window->menuItem(QStringLiteral("mnuFilerNy"))->trigger();
    QCOMPARE(box->Text(), QString());
    QTest::keySequence(box, QKeySequence::Undo);
    QCOMPARE(box->Text(), opened);
    QTest::keySequence(box, QKeySequence::Undo);
    QCOMPARE(box->Text(), typed);
}

void MenuCommandsTest::f1OpensHelp()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window->Text1(), Qt::Key_F1);
    QPointer<HelpWindow> help;
    QVERIFY(QTest::qWaitFor([&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *h = qobject_cast<HelpWindow *>(w); h && h->isVisible())
                help = h;
        }
        return !help.isNull();
    }, 2000));
    // On the main window's screen, wholly.
    const QRect area = m_window->screen()->availableGeometry();
    QVERIFY2(area.contains(help->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
        .arg(help->x()).arg(help->y()).arg(help->width()).arg(help->height())));
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

// The course windows follow "&Modtagetræning..." in their order, open and close
// again, and leave the box's text as it was.
void MenuCommandsTest::courseWindows()
{
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
    QStringList names;
    for (QAction *a : m_window->menu(QStringLiteral("mnuFunktioner"))->actions())
        names << a->objectName();
    const QStringList items{"mnuFunktionerKoch", "mnuFunktionerGenkendelse", "mnuFunktionerStatistik"};
    QCOMPARE(names.mid(names.indexOf(QStringLiteral("mnuFunktionerModtag")) + 1, 3), items);
    const QString text = QStringLiteral("cq de oz1abc");
    m_window->Text1()->setText(text);
    const QStringList titles{"Koch-kursus", "Genkendelse", "Statistik"};
    for (qsizetype i = 0; i < items.size(); ++i) {
        QString title;
        ModalDriver driver;
        driver.then([&title](QWidget *dialog) {
            title = dialog->windowTitle();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        m_window->menuItem(items[i])->trigger();
        QVERIFY(driver.done());
        QCOMPARE(title, titles[i]);
        QCOMPARE(m_window->Text1()->Text(), text);
    }
    qunsetenv("XDG_DATA_HOME");
}

QTEST_MAIN(MenuCommandsTest)
#include "tst_menucommands.moc"
