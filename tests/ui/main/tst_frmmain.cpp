// The main window driven by the simulated sound device: sending with its states
// and selection, Stop and Escape, start-up and shutdown with the settings store,
// layout limits and the menu commands the window does itself.

#include "support/MainWindow.h"
#include "support/ModalDriver.h"

#include "engine/constants.h"
#include "Twips.h"
#include "main/TextBox.h"
#include "main/WindowPlacement.h"
#include "main/frmAfslut.h"
#include "main/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

// 20 WPM: 2646 samples per dot. A text of E's costs 4 symbols per letter.
constexpr int kDot20 = 2646;

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void sendSelection_data();
    void sendSelection();
    void sendStartsAtCaret_data();
    void sendStartsAtCaret();
    void stopMidText_data();
    void stopMidText();
    void stopWhileIdleKeepsText();
    void shortcutsOffWhileSending();
    void acceleratorsActAtOnce_data();
    void acceleratorsActAtOnce();
    void deviceFailsWhileSending();
    void noDeviceAtStartUp();
    void layout_data();
    void layout();
    void geometryRoundTrip();
    void minimisedKeepsGeometry();
    void storedTwipsKept();
    void offScreenMovedToPrimary();
    void offScreenGeometry_data();
    void offScreenGeometry();
    void closingNoticeFits();
    void fontDialog();

private:
    frmMain &makeWindow(bool load = true);
    void writeStore(const QString &section, const QString &key, const QString &value);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_ini;
    std::unique_ptr<frmMain> m_window;
    SimulatedSoundDevice *m_device = nullptr;
};

void MainWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_ini = m_dir->filePath(QStringLiteral("store.ini"));
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void MainWindowTest::writeStore(const QString &section, const QString &key, const QString &value)
{
    auto store = settings::openStoreAt(m_ini);
    store->setValue(section + QLatin1Char('/') + key, value);
    store->sync();
}

frmMain &MainWindowTest::makeWindow(bool load)
{
    m_window = startMainWindow(m_ini, load);
    m_device = &deviceOf(*m_window);
    if (load) {
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window.get()))
            qWarning("window not active");
    }
    return *m_window;
}

void MainWindowTest::sendSelection_data()
{
    QTest::addColumn<bool>("hide");
    QTest::newRow("text shown") << false;
    QTest::newRow("text hidden") << true;
}

void MainWindowTest::sendSelection()
{
    QFETCH(bool, hide);
    writeStore(QStringLiteral("Settings"), QStringLiteral("Skjul"), hide ? "True" : "False");
    frmMain &w = makeWindow();
    TextBox *box = w.Text1();
    const QString text = QStringLiteral("eeeeeeeeee");
    box->setText(text);
    box->setSelStart(text.size());

    QTest::mouseClick(w.cmdTX(), Qt::LeftButton);
    QVERIFY(w.isSending());
    QCOMPARE(w.morse().text(), QStringLiteral("EEEEEEEEEE "));
    QCOMPARE(w.giStartPos(), 0);
    QVERIFY(!w.cmdTX()->isEnabled());
    QVERIFY(box->isReadOnly());
    QCOMPARE(QApplication::focusWidget(), w.cmdStop());
    for (QMenu *m : w.menus())
        QVERIFY2(!m->menuAction()->isEnabled(), qPrintable(m->objectName()));
    QCOMPARE(box->Text(), hide ? QString() : text);

    // Both halves hold ceil(n * 22050 / 2646) symbols after n fills; a letter is 4.
    // The selection follows at each notification (fill 3, 4, 5, ...); the fill that
    // reaches the end marker resets the count to 0.
    const int expected[] = {6, 8, 10, 0};
    for (int n : expected) {
        m_device->advance(morse::kHalfSamples);
        QCOMPARE(w.giSendtLen(), n);
        if (hide) {
            QCOMPARE(box->Text(), QString());
        } else {
            QCOMPARE(box->SelStart(), 0);
            QCOMPARE(box->SelLength(), n);
        }
    }
    QVERIFY(w.isSending());   // the last sound is still to be heard
    m_device->runUntilStopped(10 * morse::kBufferSamples);
    QVERIFY(!w.isSending());
    QVERIFY(!m_device->isPlaying());
    // The whole text was heard: 10 letters, the space, the pseudo-character.
    QVERIFY(m_device->played().size() >= 2 * (40 + 4 + 3) * kDot20);

    QCOMPARE(box->Text(), hide ? text.toUpper() : text);
    QCOMPARE(box->SelStart(), 0);
    QCOMPARE(box->SelLength(), 0);
    QVERIFY(w.cmdTX()->isEnabled());
    QVERIFY(!box->isReadOnly());
    for (QMenu *m : w.menus())
        QVERIFY(m->menuAction()->isEnabled());
    QVERIFY(w.menuItem(QStringLiteral("mnuFilerGem"))->isEnabled());
    QVERIFY(!w.menuItem(QStringLiteral("mnuHjælpSøg"))->isEnabled());
    // Emptying and refilling a hidden text is one undo step back to the text as it
    // was; shown, sending is none, and Ctrl+Z takes back the text set above.
    QTest::keySequence(box, QKeySequence::Undo);
    QCOMPARE(box->Text(), hide ? text : QString());
}

void MainWindowTest::sendStartsAtCaret_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<int>("startPos");
    QTest::newRow("caret at end sends all") << "abc" << 3 << 0 << "ABC " << 0;
    QTest::newRow("caret in middle") << "abcdef" << 2 << 0 << "CDEF " << 2;
    QTest::newRow("after selection") << "abcdef" << 1 << 2 << "DEF " << 3;
    QTest::newRow("after CR LF") << "ab\r\ncd" << 4 << 0 << "CD " << 4;
    QTest::newRow("lone LF counted") << "ab\ncd" << 3 << 0 << "CD " << 3;
    QTest::newRow("empty box") << "" << 0 << 0 << " " << 0;
    QTest::newRow("Danish letters") << "æøåéüñ" << 6 << 0 << "ÆØÅÉÜÑ " << 0;
}

void MainWindowTest::sendStartsAtCaret()
{
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    frmMain &w = makeWindow();
    w.Text1()->setText(text);
    w.Text1()->select(selStart, selLength);
    w.cmdTX_Click();
    QTEST(w.morse().text(), "sent");
    QTEST(int(w.giStartPos()), "startPos");
    // Every text ends on its own, restoring the controls.
    m_device->runUntilStopped(120 * morse::kBufferSamples);
    QVERIFY(!w.isSending());
    QVERIFY(w.cmdTX()->isEnabled());
    QCOMPARE(w.Text1()->Text(), text);
}

void MainWindowTest::stopMidText_data()
{
    QTest::addColumn<bool>("escape");
    QTest::addColumn<bool>("hide");
    QTest::newRow("Stop button") << false << false;
    QTest::newRow("Escape") << true << false;
    QTest::newRow("Escape, text hidden") << true << true;
}

void MainWindowTest::stopMidText()
{
    QFETCH(bool, escape);
    QFETCH(bool, hide);
    writeStore(QStringLiteral("Settings"), QStringLiteral("Skjul"), hide ? "True" : "False");
    frmMain &w = makeWindow();
    w.Text1()->setText(QStringLiteral("xx\r\neeeeeeeeee"));
    w.Text1()->setSelStart(4);
    w.cmdTX_Click();
    m_device->advance(morse::kHalfSamples);      // 25 symbols: 6 letters
    QCOMPARE(w.giSendtLen(), 6);
    if (escape)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else
        QTest::mouseClick(w.cmdStop(), Qt::LeftButton);
    QVERIFY(!w.isSending());
    QVERIFY(!m_device->isPlaying());
    QCOMPARE(w.Text1()->Text(), QStringLiteral("XX\r\nEEEEEEEEEE"));
    QCOMPARE(w.Text1()->SelStart(), 4);
    QCOMPARE(w.Text1()->SelLength(), 6);
    QCOMPARE(QApplication::focusWidget(), w.cmdTX());
    QVERIFY(w.cmdTX()->isEnabled());
    QVERIFY(!w.Text1()->isReadOnly());
    // A late notification after the stop changes nothing.
    m_device->advance(morse::kHalfSamples);
    QCOMPARE(w.Text1()->SelLength(), 6);
}

void MainWindowTest::stopWhileIdleKeepsText()
{
    frmMain &w = makeWindow();
    w.Text1()->setFocus();
    QTest::keyClicks(w.Text1(), QStringLiteral("hej"));
    QTest::keyClick(w.Text1(), Qt::Key_Escape);
    w.cmdStop_Click();
    QCOMPARE(w.Text1()->Text(), QStringLiteral("HEJ"));
    QCOMPARE(w.Text1()->SelStart(), 3);
}

void MainWindowTest::shortcutsOffWhileSending()
{
    frmMain &w = makeWindow();
    w.Text1()->setText(QStringLiteral("eeeeeeeeeeeeeeeeeeee"));
    w.cmdTX_Click();
    // Ctrl+N would empty the box; Ctrl+S would open a dialog.
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(w.isSending());
    w.cmdStop_Click();
    QCOMPARE(w.Text1()->Text(), QStringLiteral("EEEEEEEEEEEEEEEEEEEE"));
    QVERIFY(w.menuItem(QStringLiteral("mnuFilerNy"))->isEnabled());
}

void MainWindowTest::acceleratorsActAtOnce_data()
{
    QTest::addColumn<bool>("sendingBefore");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("sendingAfter");
    QTest::newRow("Alt+T sends") << false << int(Qt::Key_T) << int(Qt::AltModifier) << true;
    QTest::newRow("Alt+S stops") << true << int(Qt::Key_S) << int(Qt::AltModifier) << false;
    QTest::newRow("Escape stops") << true << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
    QTest::newRow("Alt+T while sending changes nothing") << true << int(Qt::Key_T) << int(Qt::AltModifier) << true;
    QTest::newRow("Alt+S while idle changes nothing") << false << int(Qt::Key_S) << int(Qt::AltModifier) << false;
}

// The keys act within the key press itself, not after a button's press animation
// (the sound would wait for it); the captions keep their underlined letters.
void MainWindowTest::acceleratorsActAtOnce()
{
    QFETCH(bool, sendingBefore);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, sendingAfter);
    frmMain &w = makeWindow();
    QCOMPARE(w.cmdTX()->text(), QStringLiteral("&TX"));
    QCOMPARE(w.cmdStop()->text(), QStringLiteral("&Stop"));
    w.Text1()->setText(QStringLiteral("eeeeeeeeee"));
    if (sendingBefore)
        w.cmdTX_Click();
    QTest::keyClick(&w, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.isSending(), sendingAfter);
    QCOMPARE(m_device->isPlaying(), sendingAfter);
    if (sendingAfter)
        w.cmdStop_Click();
}

void MainWindowTest::deviceFailsWhileSending()
{
    frmMain &w = makeWindow();
    w.Text1()->setText(QStringLiteral("eeeeeeeeee"));
    w.cmdTX_Click();
    m_device->advance(morse::kHalfSamples);
    ModalDriver driver;
    driver.thenMessage();
    m_device->failNow();
    QCOMPARE(driver.messages, QStringList{QStringLiteral("Lydkort findes ikke.")});
    QVERIFY(!w.isSending());
    QVERIFY(w.cmdTX()->isEnabled());
    QCOMPARE(w.Text1()->Text(), QStringLiteral("EEEEEEEEEE"));
    QCOMPARE(w.Text1()->SelLength(), 6);
}

void MainWindowTest::noDeviceAtStartUp()
{
    frmMain &w = makeWindow(false);
    m_device->setOpenFails(true);
    ModalDriver driver;
    driver.thenMessage();
    w.Form_Load();
    QCOMPARE(driver.messages, QStringList{QStringLiteral("Lydkort findes ikke.")});
    QCOMPARE(driver.icons.value(0), QMessageBox::Critical);
    QCOMPARE(driver.titles.value(0), QStringLiteral("Telvok's Morsetræningsprogram"));
    QVERIFY(w.isVisible());

    // "&TX" retries the device: still absent, then present.
    w.Text1()->setText(QStringLiteral("e"));
    driver.thenMessage();
    w.cmdTX_Click();
    QCOMPARE(driver.messages.size(), 2);
    QVERIFY(!w.isSending());
    QVERIFY(w.cmdTX()->isEnabled());
    m_device->setOpenFails(false);
    w.cmdTX_Click();
    QVERIFY(w.isSending());
    QVERIFY(m_device->isPlaying());
}

void MainWindowTest::layout_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("roomy") << QSize(500, 400);
    QTest::newRow("shrunk below the minimum") << QSize(10, 10);
}

void MainWindowTest::layout()
{
    QFETCH(QSize, size);
    frmMain &w = makeWindow();
    w.resize(size);
    QPushButton *tx = w.cmdTX();
    QPushButton *stop = w.cmdStop();
    if (size.width() < 100) {
        // The outer frame stops at 7 button heights and 3 button widths.
        QCOMPARE(w.frameGeometry().height(), 7 * stop->height());
        QCOMPARE(w.frameGeometry().width(), 3 * stop->width());
    }
    // The text box fills the top, full width; the buttons sit side by side below it,
    // "&TX" left of "&Stop", apart and clear of the right edge and the status bar.
    const QRect client = w.centralWidget()->rect();
    QCOMPARE(w.Text1()->geometry().topLeft(), QPoint(0, 0));
    QCOMPARE(w.Text1()->width(), client.width());
    QVERIFY(w.Text1()->height() > 0);
    QVERIFY(w.Text1()->geometry().bottom() < tx->y());
    QCOMPARE(tx->y(), stop->y());
    QVERIFY(tx->geometry().right() < stop->x());
    QVERIFY(stop->geometry().right() < client.right());
    QVERIFY2(client.contains(tx->geometry()) && client.contains(stop->geometry()),
             "a button reaches under the status bar or out of the window");
    // Menu status tips leave the panel alone.
    w.statusPanel()->setText(QStringLiteral("/tmp/x.txt"));
    w.statusBar()->showMessage(QStringLiteral("tip"));
    QVERIFY(w.statusPanel()->isVisible());
}

void MainWindowTest::geometryRoundTrip()
{
    // 1500 twips = 100 pixels at 96 dpi.
    for (const auto &[key, value] : {std::pair{"MainLeft", "1500"}, {"MainTop", "3000"},
                                     {"MainWidth", "7500"}, {"MainHeight", "6000"},
                                     {"FontName", "Courier New"}, {"FontSize", "12"},
                                     {"FontBold", "True"}, {"Skjul", "True"}})
        writeStore(QStringLiteral("Settings"), QLatin1String(key), QLatin1String(value));
    frmMain &w = makeWindow();
    QCOMPARE(w.frameGeometry(), ui::twipsRect(1500, 3000, 7500, 6000, &w));
    QVERIFY(w.hidesText());
    QCOMPARE(w.Text1()->font().pointSizeF(), 12.0);
    QVERIFY(w.Text1()->font().bold());
    w.close();
    auto store = settings::openStoreAt(m_ini);
    const WindowSettings saved = settings::loadWindowSettings(*store);
    QCOMPARE(saved.MainLeft, 1500.f);
    QCOMPARE(saved.MainTop, 3000.f);
    QCOMPARE(saved.MainWidth, 7500.f);
    QCOMPARE(saved.MainHeight, 6000.f);
    QCOMPARE(saved.FontName, QStringLiteral("Courier New"));
    QCOMPARE(saved.FontSize, 12.f);
    QVERIFY(saved.FontBold);
    QVERIFY(!saved.FontItalic);
    QVERIFY(saved.Skjul);
}

void MainWindowTest::minimisedKeepsGeometry()
{
    frmMain &w = makeWindow();
    w.menuItem(QStringLiteral("mnuIndstillingerSkjul"))->trigger();
    w.showMinimized();
    QTRY_VERIFY(w.isMinimized());
    w.close();
    auto store = settings::openStoreAt(m_ini);
    QVERIFY(!store->contains(QStringLiteral("Settings/MainLeft")));
    QCOMPARE(store->value(QStringLiteral("Settings/Skjul")).value_or(QString()), QStringLiteral("True"));
    QCOMPARE(store->value(QStringLiteral("Settings/FontName")).value_or(QString()), QStringLiteral("Fixedsys"));
}

void MainWindowTest::storedTwipsKept()
{
    // 1000 twips is 66.7 pixels: an unmoved window must not round it to 1005.
    frmMain &w = makeWindow();
    w.close();
    auto store = settings::openStoreAt(m_ini);
    const WindowSettings saved = settings::loadWindowSettings(*store);
    QCOMPARE(saved.MainLeft, 1000.f);
    QCOMPARE(saved.MainHeight, 6500.f);
}

void MainWindowTest::offScreenMovedToPrimary()
{
    writeStore(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("900000"));
    writeStore(QStringLiteral("Settings"), QStringLiteral("MainTop"), QStringLiteral("-90000"));
    frmMain &w = makeWindow();
    QCOMPARE(w.frameGeometry().topLeft(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    w.close();
    auto store = settings::openStoreAt(m_ini);
    QCOMPARE(settings::loadWindowSettings(*store).MainLeft,
             float(ui::pixelsToTwips(QGuiApplication::primaryScreen()->availableGeometry().left(), &w)));
}

void MainWindowTest::offScreenGeometry_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("placed");
    const QRect left(0, 0, 1000, 800);
    QTest::newRow("inside") << QRect(100, 100, 300, 200) << QRect(100, 100, 300, 200);
    QTest::newRow("hanging off right, title bar reachable")
        << QRect(950, 100, 300, 200) << QRect(950, 100, 300, 200);
    QTest::newRow("on the second screen") << QRect(1200, 50, 300, 200) << QRect(1200, 50, 300, 200);
    QTest::newRow("far right") << QRect(5000, 100, 300, 200) << QRect(0, 0, 300, 200);
    QTest::newRow("title bar above the top") << QRect(100, -150, 300, 200) << QRect(0, 0, 300, 200);
    QTest::newRow("too large for the primary") << QRect(-9000, 0, 3000, 900) << QRect(0, 0, 1000, 800);
    Q_UNUSED(left);
}

void MainWindowTest::offScreenGeometry()
{
    QFETCH(QRect, frame);
    const QList<QRect> screens{QRect(0, 0, 1000, 800), QRect(1000, 0, 800, 600)};
    QTEST(ui::placeOnScreen(frame, screens, screens[0]), "placed");
}

void MainWindowTest::closingNoticeFits()
{
    // Each line of the notice, wrapped where its label wraps, inside its label.
    frmAfslut notice;
    for (const char *name : {"lblAfslut", "Label1"}) {
        const auto *label = notice.findChild<QLabel *>(QLatin1String(name));
        QVERIFY(label);
        const QRect room = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = label->fontMetrics().boundingRect(room, flags, label->text());
        QVERIFY2(room.contains(needed), name);
    }
}

void MainWindowTest::fontDialog()
{
    frmMain &w = makeWindow();
    const QFont original = w.Text1()->font();
    ModalDriver driver;
    QFont offered;
    int effectsOffered = 0;
    driver.then([&](QWidget *d) {
        auto *dialog = qobject_cast<QFontDialog *>(d);
        QVERIFY(dialog);
        for (const QCheckBox *effect : dialog->findChildren<QCheckBox *>())
            effectsOffered += effect->isVisibleTo(dialog) ? 1 : 0;
        dialog->setCurrentFont(QFont(QStringLiteral("Liberation Serif"), 14));
        dialog->accept();
    });
    w.mnuIndstilllingerFont_Click();
    QCOMPARE(effectsOffered, 0);     // no strike-out, no underline
    QCOMPARE(w.Text1()->font().family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(w.Text1()->font().pointSizeF(), 14.0);
    QVERIFY(w.Text1()->font() != original);

    // Cancel keeps the chosen font; the dialog opens with its last choice.
    driver.then([&](QWidget *d) {
        auto *dialog = qobject_cast<QFontDialog *>(d);
        offered = dialog->currentFont();
        dialog->reject();
    });
    w.mnuIndstilllingerFont_Click();
    QCOMPARE(offered.family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(w.Text1()->font().family(), QStringLiteral("Liberation Serif"));
    w.close();
    auto store = settings::openStoreAt(m_ini);
    QCOMPARE(store->value(QStringLiteral("Settings/FontName")).value_or(QString()), QStringLiteral("Liberation Serif"));
}

QTEST_MAIN(MainWindowTest)
#include "tst_frmmain.moc"
