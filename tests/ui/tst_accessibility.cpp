// Every window as a screen reader meets it: its accessibility tree walked from the
// top, every control the keyboard can reach named in words of its own (not its
// frame's or window's title, not another control's name), every control that does
// something reachable by the keyboard, and the views that show results described.
// What the main window's sending state and a finished score say.
//
// A new window: add a row to windows_data() with a factory that builds it (owned by
// the rig's main window where it is a secondary window) and the object names of the
// controls that must carry a description.

#include "support/MainWindow.h"
#include "support/SoundSamples.h"

#include "program/ProgramInfo.h"
#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "exercises/frm5grp.h"
#include "exercises/frmGenkendelse.h"
#include "exercises/frmKaldesignal.h"
#include "exercises/frmKoch.h"
#include "exercises/frmOrdQso.h"
#include "exercises/frmSendetraening.h"
#include "exercises/frmStatistik.h"
#include "exercises/frmModtag.h"
#include "exercises/frmOv1.h"
#include "exercises/frmOv2.h"
#include "exercises/frmOv3.h"
#include "info/HelpWindow.h"
#include "info/frmAbout.h"
#include "info/frmCWTegn.h"
#include "main/TextBox.h"
#include "main/frmAfslut.h"
#include "settings/SettingsStore.h"
#include "settings/frmCW.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QChartView>
#include <QPushButton>
#include <QStatusBar>
#include <QComboBox>
#include <QTest>
#include <QTextBrowser>

#include <functional>
#include <memory>

namespace {

// What every window is built on: the main window (the owner of the secondary ones)
// with its engine on a simulated device, and a folder for stores and histories.
struct Rig {
    TestMainWindow main;
    Morse &morse() { return main.window->morse(); }
    QString path(const char *name) const { return main.dir.filePath(QString::fromUtf8(name)); }
};

using WindowFactory = std::function<std::unique_ptr<QWidget>(Rig &)>;

// "Modtagetræning" sending text when started.
std::unique_ptr<QWidget> receiving(Rig &rig, const QString &text = QString())
{
    return std::make_unique<frmModtag>(
        rig.morse(), ReceiveTransmitter{[text] { return text; }, [] { return true; }, [] {}},
        rig.path("history.csv"), rig.main.window.get());
}

// Roles of the controls that act or take input: each must be reachable by the keyboard.
bool acts(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::Slider:
    case QAccessible::ScrollBar:
    case QAccessible::SpinBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::PageTabList:
    case QAccessible::ButtonMenu:
        return true;
    default:
        return false;
    }
}

struct Walk {
    QWidget *window;
    QStringList problems;
    QHash<QString, QString> namedBy;   // an accessible name and the control that has it

    static QString label(const QWidget &w)
    {
        return w.objectName().isEmpty() ? QString::fromLatin1(w.metaObject()->className())
                                        : w.objectName();
    }

    // The accessible node of a widget itself (not a cell, an item or a menu action).
    static QWidget *widgetOf(QAccessibleInterface *iface)
    {
        auto *w = qobject_cast<QWidget *>(iface->object());
        return w && QAccessible::queryAccessibleInterface(w) == iface ? w : nullptr;
    }

    // True when a widget between w and the window takes the focus for it (a text
    // box's scroll bars, the arrows of a spin control).
    bool partOfFocusable(const QWidget &w) const
    {
        for (QWidget *p = w.parentWidget(); p && p != window; p = p->parentWidget()) {
            if (p->focusPolicy() & Qt::TabFocus)
                return true;
        }
        return false;
    }

    void visit(QAccessibleInterface *iface, QStringList titles)
    {
        if (!iface || !iface->isValid() || iface->state().invisible)
            return;
        QWidget *w = widgetOf(iface);
        // A scroll area's viewport is the area itself to a screen reader.
        if (auto *area = w ? qobject_cast<QAbstractScrollArea *>(w->parentWidget()) : nullptr;
            area && area->viewport() == w)
            w = nullptr;
        if (w && w != window) {
            QString name = iface->text(QAccessible::Name).trimmed();
            if (qobject_cast<QComboBox *>(w)) {
                // On Unix a drop-down list answers its current item as its name; a
                // screen reader names it by its accessible name or its label.
                name = w->accessibleName().trimmed();
                const auto labels = iface->relations(QAccessible::Label);
                if (name.isEmpty() && !labels.isEmpty())
                    name = labels.first().first->text(QAccessible::Name).remove(u'&').trimmed();
            }
            if (iface->state().focusable) {
                if (name.isEmpty())
                    problems << label(*w) + QStringLiteral(" has no name");
                else if (titles.contains(name))
                    problems << label(*w) + QStringLiteral(" answers its frame's or window's title \"")
                            + name + QLatin1Char('"');
                else if (namedBy.contains(name))
                    problems << label(*w) + QStringLiteral(" has the name of ") + namedBy[name]
                            + QStringLiteral(": \"") + name + QLatin1Char('"');
                else
                    namedBy.insert(name, label(*w));
            } else if (acts(iface->role()) && w->isEnabled() && !partOfFocusable(*w)) {
                problems << label(*w) + QStringLiteral(" cannot be reached by the keyboard");
            }
            if (iface->role() == QAccessible::Grouping && !name.isEmpty())
                titles << name;
            // A drop-down list's hidden popup is part of it, named by its current item.
            if (qobject_cast<QComboBox *>(w))
                return;
        }
        for (int i = 0; i < iface->childCount(); ++i)
            visit(iface->child(i), titles);
    }
};

} // namespace

Q_DECLARE_METATYPE(WindowFactory)

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void windows_data();
    void windows();
    void sendingAnnounced();
    void scoreAnnounced();
};

void AccessibilityTest::windows_data()
{
    QTest::addColumn<WindowFactory>("make");
    QTest::addColumn<QStringList>("described");   // object names that need a description

    const auto owned = [](auto make) {
        return WindowFactory([make](Rig &rig) -> std::unique_ptr<QWidget> { return make(rig); });
    };
    QTest::newRow("frmMain") << WindowFactory([](Rig &rig) {
        return std::unique_ptr<QWidget>(rig.main.window.release());
    }) << QStringList{QStringLiteral("Text1")};
    QTest::newRow("frmCW") << owned([](Rig &rig) {
        const QString store = rig.path("store.ini");
        return std::make_unique<frmCW>(rig.morse(), [store] { return settings::openStoreAt(store); },
                                       rig.main.window.get());
    }) << QStringList{QStringLiteral("HScroll1")};
    QTest::newRow("frmCWTegn") << owned([](Rig &rig) {
        return std::make_unique<frmCWTegn>(rig.main.window.get());
    }) << QStringList{QStringLiteral("List1")};
    QTest::newRow("frmAbout") << owned([](Rig &rig) {
        return std::make_unique<frmAbout>(rig.main.window.get());
    }) << QStringList{};
    QTest::newRow("frmOv1") << owned([](Rig &rig) {
        return std::make_unique<frmOv1>(rig.main.window.get());
    }) << QStringList{};
    QTest::newRow("frmOv2") << owned([](Rig &rig) {
        return std::make_unique<frmOv2>(rig.main.window.get());
    }) << QStringList{QStringLiteral("txtTegn")};
    QTest::newRow("frmOv3") << owned([](Rig &rig) {
        return std::make_unique<frmOv3>(rig.morse(), rig.main.window.get());
    }) << QStringList{};
    QTest::newRow("frm5grp") << owned([](Rig &rig) {
        return std::make_unique<frm5grp>(rig.main.window.get());
    }) << QStringList{QStringLiteral("txtTegn")};
    QTest::newRow("frmModtag") << owned([](Rig &rig) { return receiving(rig); })
                               << QStringList{QStringLiteral("txtAfskrift"), QStringLiteral("txtResultat"),
                                              QStringLiteral("tblHistorik"), QStringLiteral("chtFremgang")};
    QTest::newRow("frmKoch") << owned([](Rig &rig) {
        const QString store = rig.path("store.ini");
        return std::make_unique<frmKoch>(
            rig.morse(), ReceiveTransmitter{[] { return QString(); }, [] { return true; }, [] {}},
            [store] { return settings::openStoreAt(store); }, rig.path("koch.csv"), rig.main.window.get());
    }) << QStringList{};
    QTest::newRow("frmGenkendelse") << owned([](Rig &rig) {
        const QString store = rig.path("store.ini");
        return std::make_unique<frmGenkendelse>(
            rig.morse(), ReceiveTransmitter{[] { return QString(); }, [] { return true; }, [] {}},
            [store] { return settings::openStoreAt(store); }, rig.path("stats.csv"), rig.main.window.get());
    }) << QStringList{};
    QTest::newRow("frmStatistik") << owned([](Rig &rig) {
        return std::make_unique<frmStatistik>(rig.path("tegnstatistik.csv"), rig.main.window.get());
    }) << QStringList{};
    QTest::newRow("frmKaldesignal") << owned([](Rig &rig) {
        return std::make_unique<frmKaldesignal>(ItemPlayer{[](const QString &, int) { return true; }, [] {}},
                                                20, rig.path("kald.csv"), rig.main.window.get());
    }) << QStringList{QStringLiteral("cmdIgen")};
    QTest::newRow("frmOrdQso") << owned([](Rig &rig) {
        return std::make_unique<frmOrdQso>(ItemPlayer{[](const QString &, int) { return true; }, [] {}},
                                           20, rig.path("ord.csv"), rig.main.window.get());
    }) << QStringList{QStringLiteral("cmdQso")};
    QTest::newRow("frmSendetraening") << owned([](Rig &rig) {
        const QString store = rig.path("store.ini");
        return std::make_unique<frmSendetraening>(rig.morse(), QStringLiteral("PARIS"),
                                                  [store] { return settings::openStoreAt(store); },
                                                  rig.path("send.csv"), rig.main.window.get());
    }) << QStringList{};
    QTest::newRow("frmAfslut") << owned([](Rig &rig) {
        return std::make_unique<frmAfslut>(rig.main.window.get());
    }) << QStringList{};
    QTest::newRow("HelpWindow") << owned([](Rig &) { return std::make_unique<HelpWindow>(); })
                                << QStringList{QStringLiteral("helpBrowser")};
}

void AccessibilityTest::windows()
{
    QFETCH(WindowFactory, make);
    QFETCH(QStringList, described);
    Rig rig;
    rig.main.window->show();
    const std::unique_ptr<QWidget> window = make(rig);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QAccessibleInterface *top = QAccessible::queryAccessibleInterface(window.get());
    QVERIFY(top);
    Walk walk{window.get(), {}, {}};
    walk.visit(top, {window->windowTitle().trimmed()});
    QVERIFY2(walk.problems.isEmpty(), qPrintable(walk.problems.join(QLatin1Char('\n'))));

    for (const QString &name : described) {
        auto *w = window->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(!iface->text(QAccessible::Description).isEmpty(), qPrintable(name + " has no description"));
    }
}

// The sending state is told through the status bar's description (announced as an
// alert where assistive technology listens).
void AccessibilityTest::sendingAnnounced()
{
    Rig rig;
    frmMain &w = *rig.main.window;
    w.show();
    const auto said = [&w] {
        return QAccessible::queryAccessibleInterface(w.statusBar())->text(QAccessible::Description);
    };
    w.Text1()->setText(QStringLiteral("E"));
    w.cmdTX()->click();
    QVERIFY(w.isSending());
    QCOMPARE(said(), QStringLiteral("Sender"));
    w.cmdStop()->click();
    QVERIFY(!w.isSending());
    QCOMPARE(said(), QStringLiteral("Sender ikke"));
}

// A finished attempt's score is what the result view says of itself.
void AccessibilityTest::scoreAnnounced()
{
    Rig rig;
    std::unique_ptr<QWidget> window = receiving(rig, QStringLiteral("<KA> ABCDE FGHIJ <AR>"));
    auto &w = static_cast<frmModtag &>(*window);
    w.newRandom = [] { return practice::seededUniform(1); };
    w.show();
    w.cmdStart->click();
    QTest::keyClicks(w.txtAfskrift, QStringLiteral("<KA> ABXDE FGHIJ <AR>"));
    w.sendingEnded(true);
    QVERIFY(w.score());
    const QString said = QAccessible::queryAccessibleInterface(w.txtResultat)->text(QAccessible::Description);
    QVERIFY2(said.startsWith(QStringLiteral("Nøjagtighed")) && said.contains(QStringLiteral("Forkerte: 1.")),
             qPrintable(said));
    const QString chart = QAccessible::queryAccessibleInterface(w.chtFremgang)->text(QAccessible::Description);
    QVERIFY2(chart.contains(QStringLiteral("forsøg 1: ")), qPrintable(chart));
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
