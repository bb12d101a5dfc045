// Every secondary window in the frame they share: a fixed-size modal dialog over the
// main window, centred on it, without minimise and maximise buttons, every control
// and caption whole inside it; its caption, default button and keyboard order.

#include "support/SoundSamples.h"

#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "exercises/frm5grp.h"
#include "exercises/frmKaldesignal.h"
#include "exercises/frmModtag.h"
#include "exercises/frmOrdQso.h"
#include "exercises/frmKoch.h"
#include "exercises/frmStatistik.h"
#include "exercises/frmGenkendelse.h"
#include "exercises/frmOv1.h"
#include "exercises/frmOv2.h"
#include "exercises/frmOv3.h"
#include "exercises/frmSendetraening.h"
#include "settings/SettingsStore.h"
#include "settings/frmCW.h"
#include "info/frmAbout.h"
#include "info/frmCWTegn.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

enum class Window { CW, CWTegn, About, Ov1, Ov2, Ov3, Grp5, Modtag, Koch, Statistik, Genkendelse, Send, Kald, OrdQso };

struct Rig {
    Settings settings = soundtest::soundSettings(20);
    Morse morse{settings, std::make_unique<SimulatedSoundDevice>()};
    QTemporaryDir dir;
    QWidget owner;

    Rig()
    {
        // The whole screen: Qt moves a dialog that would reach off it.
        owner.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
        owner.show();
    }

    std::unique_ptr<QDialog> open(Window which)
    {
        const QString store = dir.filePath(QStringLiteral("store.ini"));
        switch (which) {
        case Window::CW:
            return std::make_unique<frmCW>(morse, [store] { return settings::openStoreAt(store); }, &owner);
        case Window::CWTegn: return std::make_unique<frmCWTegn>(&owner);
        case Window::About: return std::make_unique<frmAbout>(&owner);
        case Window::Ov1: return std::make_unique<frmOv1>(&owner);
        case Window::Ov2: return std::make_unique<frmOv2>(&owner);
        case Window::Ov3: return std::make_unique<frmOv3>(morse, &owner);
        case Window::Grp5: return std::make_unique<frm5grp>(&owner);
        case Window::Modtag:
            return std::make_unique<frmModtag>(
                morse, ReceiveTransmitter{[] { return QString(); }, [] { return true; }, [] {}},
                dir.filePath(QStringLiteral("history.csv")), &owner);
        case Window::Koch:
            return std::make_unique<frmKoch>(
                morse, ReceiveTransmitter{[] { return QString(); }, [] { return true; }, [] {}},
                [store] { return settings::openStoreAt(store); }, dir.filePath(QStringLiteral("koch.csv")), &owner);
        case Window::Genkendelse:
            return std::make_unique<frmGenkendelse>(
                morse, ReceiveTransmitter{[] { return QString(); }, [] { return true; }, [] {}},
                [store] { return settings::openStoreAt(store); }, dir.filePath(QStringLiteral("s.csv")), &owner);
        case Window::Statistik:
            return std::make_unique<frmStatistik>(dir.filePath(QStringLiteral("tegnstatistik.csv")), &owner);
        case Window::Kald:
            return std::make_unique<frmKaldesignal>(ItemPlayer{[](const QString &, int) { return true; }, [] {}},
                                                    20, dir.filePath(QStringLiteral("kald.csv")), &owner);
        case Window::OrdQso:
            return std::make_unique<frmOrdQso>(ItemPlayer{[](const QString &, int) { return true; }, [] {}}, 20,
                                               dir.filePath(QStringLiteral("ord.csv")), &owner);
        case Window::Send:
            return std::make_unique<frmSendetraening>(
                morse, QStringLiteral("PARIS"), [store] { return settings::openStoreAt(store); },
                dir.filePath(QStringLiteral("send.csv")), &owner);
        }
        return nullptr;
    }
};

// The names of the controls the Tab key can reach, in focus-chain order.
QStringList tabChain(QDialog &dialog)
{
    QStringList names;
    for (QWidget *w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain()) {
        // A tab bar's own scroll buttons are part of the bar.
        if ((w->focusPolicy() & Qt::TabFocus) && dialog.isAncestorOf(w) && !w->objectName().isEmpty()
            && !qobject_cast<QTabBar *>(w->parentWidget()))
            names << w->objectName();
    }
    return names;
}

QStringList options(int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QStringLiteral("optØvelse%1").arg(i);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Window)

class SecondaryWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void frame_data();
    void frame();
};

void SecondaryWindowsTest::frame_data()
{
    QTest::addColumn<Window>("which");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("defaultButton");    // its name and caption
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("focus");            // the control that has the focus first
    QTest::addColumn<QStringList>("chain");
    QTest::newRow("CW indstillinger")
        << Window::CW << "CW indstillinger" << "cmdOK" << "&OK" << "txtWPM"
        << QStringList{"txtWPM", "UpDownWpm", "txtFarnsworth", "UpDownFarnsworth", "txtReelWPM",
                       "txtTone", "UpDown2", "HScroll1", "cmdOK", "cmdAnnuller", "txtReelCPM"};
    QTest::newRow("Anvendte morsetegn") << Window::CWTegn << "Anvendte morsetegn" << "cmdLuk" << "&Luk"
                                        << "cmdLuk" << QStringList{"List1", "cmdLuk"};
    QTest::newRow("Om") << Window::About << "Om Telvok's Morsetræningsprogram" << "cmdOK" << "OK"
                        << "cmdOK" << QStringList{"cmdOK"};
    QTest::newRow("Øvelser 1") << Window::Ov1 << "Øvelser 1" << "cmdØvelse" << "&Dan Øvelse"
                               << "optØvelse0" << options(17) + QStringList{"cmdØvelse", "cmdLuk"};
    QTest::newRow("Øvelser 2") << Window::Ov2 << "Øvelser 2" << "cmdØvelse" << "&Dan Øvelse" << "optØvelse0"
                               << options(21) + QStringList{"chkGrupper", "txtAntal", "txtTegn",
                                                            "cmdØvelse", "cmdLuk"};
    QTest::newRow("Øvelser 3 ") << Window::Ov3 << "Øvelser 3 " << "cmdØvelse" << "&Dan Øvelse" << "txtInfo"
                                << QStringList{"txtInfo", "cboØvelser", "cmdØvelse", "cmdLuk"};
    QTest::newRow("Dan 5-bogstavsgrupper")
        << Window::Grp5 << "Dan 5-bogstavsgrupper" << "cmdØvelse" << "&Dan grupper" << "cmdØvelse"
        << QStringList{"cmdØvelse", "cmdLuk", "txtAntal", "txtTegn"};
    QTest::newRow("Modtagetræning") << Window::Modtag << "Modtagetræning" << "cmdStart" << "&Start"
                                    << "cmdStart"
        << QStringList{"txtAfskrift", "cmdStart", "cmdStop", "cmdRet", "cmdØv", "cmdGemLyd", "cmdLuk", "cboForhold",
                       "spnSN", "qt_spinbox_lineedit", "cboFilter", "cboQSB", "spnQRM", "qt_spinbox_lineedit",
                       "cboQRN", "qt_tabwidget_tabbar",
                       "txtResultat", "tblHistorik", "chtFremgang"};
    QTest::newRow("Koch-kursus") << Window::Koch << "Koch-kursus" << "cmdStart" << "&Start" << "cmdStart"
        << QStringList{"cboRaekkefoelge", "txtEgen", "txtLektion", "qt_spinbox_lineedit", "txtMinutter",
                       "qt_spinbox_lineedit", "chkFast5", "cmdHoer", "txtAfskrift", "cmdStart", "cmdStop",
                       "cmdRet", "cmdNaeste", "cmdLuk", "tabVisning", "qt_tabwidget_tabbar", "txtResultat",
                       "chtFremgang"};
    QTest::newRow("Statistik") << Window::Statistik << "Statistik" << "cmdØv" << "Øv &svage tegn" << "tblTegn"
        << QStringList{"tblTegn", "chtTegn", "txtAntal", "qt_spinbox_lineedit", "cmdØv", "cmdLuk"};
    QTest::newRow("Genkendelse") << Window::Genkendelse << "Genkendelse" << "cmdStart" << "&Start" << "cmdStart"
        << QStringList{"cboTegn", "txtSvar", "cmdStart", "cmdStop", "cmdLuk", "txtOversigt"};
    QTest::newRow("Kaldesignaltræning") << Window::Kald << "Kaldesignaltræning" << "cmdStart" << "&Start" << "cmdStart"
        << QStringList{"cboKilde", "cmdImporter", "cboAntal", "txtStart", "qt_spinbox_lineedit", "cboTrin",
                       "txtMindst", "qt_spinbox_lineedit", "txtHøjst", "qt_spinbox_lineedit", "txtAfskrift", "cmdStart", "cmdIgen", "cmdStop", "qt_tabwidget_tabbar",
                       "txtResultat", "tblBedste", "cmdLuk"};
    QTest::newRow("Ord og QSO") << Window::OrdQso << "Ord og QSO" << "cmdStart" << "&Start" << "cmdStart"
        << QStringList{"cboKilde", "cmdImporter", "cboAntal", "txtStart", "qt_spinbox_lineedit", "cboTrin",
                       "txtMindst", "qt_spinbox_lineedit", "txtHøjst", "qt_spinbox_lineedit", "txtAfskrift", "cmdStart", "cmdIgen", "cmdStop", "qt_tabwidget_tabbar",
                       "txtResultat", "tblBedste", "cboSprog", "cboLængde", "cmdQso", "cmdLuk"};
    QTest::newRow("Sendetræning") << Window::Send << "Sendetræning" << "cmdStart" << "&Start" << "cmdStart"
        << QStringList{"keyNøgle", "cmdStart", "cmdStop", "cmdLuk", "cboTilstand", "chkByt", "txtTekst", "tabVisning",
                       "qt_tabwidget_tabbar", "txtResultat", "chtHåndskrift", "chtFremgang"};
}

void SecondaryWindowsTest::frame()
{
    QFETCH(Window, which);
    QFETCH(QString, caption);
    QFETCH(QString, defaultButton);
    QFETCH(QString, defaultText);
    QFETCH(QString, focus);
    QFETCH(QStringList, chain);
    Rig rig;
    std::unique_ptr<QDialog> w = rig.open(which);
    QCOMPARE(tabChain(*w), chain);
    w->show();
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->parentWidget(), &rig.owner);
    QVERIFY(w->isModal());
    const Qt::WindowFlags windowFlags = w->windowFlags();
    QCOMPARE(windowFlags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(!(windowFlags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    // It cannot be resized, and it opens in the middle of the main window.
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QCOMPARE(w->size(), w->minimumSize());
    QVERIFY2(std::abs(w->geometry().center().x() - rig.owner.geometry().center().x()) <= 2,
             qPrintable(QStringLiteral("%1,%2 %3x%4").arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height())));
    QVERIFY(std::abs(w->geometry().center().y() - rig.owner.geometry().center().y()) <= 2);
    // Every caption is shown whole (a clipped set would hide characters), and no
    // control reaches out of its container.
    QStringList clipped;
    QStringList outside;
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (!c->isVisibleTo(w.get()))
            continue;
        if (auto *label = qobject_cast<QLabel *>(c); label && label->textFormat() != Qt::RichText) {
            const QRect room = label->contentsRect();
            const int textFlags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
            // A label with a buddy draws its "&" as the mnemonic's underline.
            QString shown = label->text();
            if (label->buddy())
                shown.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
            QRect needed = label->fontMetrics().boundingRect(room, textFlags, shown);
            if (!label->wordWrap())     // the ink of one line, not its advance
                needed.setWidth(label->fontMetrics().boundingRect(shown).width());
            if (needed.width() > room.width() || needed.height() > room.height())
                clipped << QStringLiteral("%1 needs %2x%3 in %4x%5").arg(c->objectName()).arg(needed.width())
                               .arg(needed.height()).arg(room.width()).arg(room.height());
        } else if (qobject_cast<QRadioButton *>(c) || qobject_cast<QCheckBox *>(c)) {
            if (c->sizeHint().width() > c->width())
                clipped << QStringLiteral("%1 needs %2 in %3").arg(c->objectName()).arg(c->sizeHint().width())
                               .arg(c->width());
        }
        if (!c->parentWidget()->rect().contains(c->geometry()))
            outside << c->objectName();
    }
    QCOMPARE(clipped, QStringList());
    QCOMPARE(outside, QStringList());
    auto *button = w->findChild<QPushButton *>(defaultButton);
    QVERIFY(button);
    QCOMPARE(button->text(), defaultText);
    QVERIFY(button->isDefault());
    for (QPushButton *other : w->findChildren<QPushButton *>())
        QVERIFY2(other == button || !other->isDefault(), qPrintable(other->objectName()));
}

QTEST_MAIN(SecondaryWindowsTest)
#include "tst_secondarywindows.moc"
