#include "main/frmMain.h"

#include "FileProblem.h"

#include "program/ProgramInfo.h"
#include "engine/Cp1252.h"
#include "engine/SendText.h"
#include "Accessibility.h"
#include "Fonts.h"
#include "KeyFilter.h"
#include "Twips.h"
#include "info/HelpWindow.h"
#include "main/AudioExport.h"
#include "main/FileCommands.h"
#include "main/TextBox.h"
#include "main/WindowPlacement.h"
#include "main/frmAfslut.h"
#include "settings/SoundSettings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>

#include <cmath>

namespace {

// Sizes of the client area, the buttons and the status bar, twips.
constexpr ui::TwipsSize kClientSize{9705, 5580};
constexpr double kButtonWidth = 1095;
constexpr double kButtonHeight = 375;
constexpr double kStatusBarHeight = 255;
constexpr double kButtonGapFactor = 1.1;       // button widths from the right edge
constexpr int kMinHeightButtons = 7;           // outer height >= 7 button heights
constexpr int kMinWidthButtons = 3;            // outer width >= 3 button widths

const QString kAccepted = ui::kTextBoxAccepted.toString();

QMargins frameMargins(const QWidget &w)
{
    const QRect f = w.frameGeometry();
    const QRect g = w.geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                    f.bottom() - g.bottom());
}

} // namespace

frmMain::frmMain(std::unique_ptr<SoundDevice> device, settings::StoreOpener openStore,
                 QWidget *parent)
    : QMainWindow(parent), m_openStore(std::move(openStore)), m_morse(m_settings, std::move(device))
{
    setWindowTitle(program::title());
    createControls();
    createMenus();
    m_files = new FileCommands(*this, *m_text1, *m_status);
    m_audio = new AudioExport(*this);

    m_morse.halfFilled = [this](bool more) { DirectXEvent_DXCallback(more); };
    m_morse.transmissionEnded = [this] { restoreAfterSending(SendEvent::PlayedOut); };
    m_morse.deviceFailed = [this] { onDeviceFailed(); };

    // The window's own settings first, then the Morse settings, as at every start.
    if (!m_openStore)
        m_openStore = settings::openUserStore;
    const std::unique_ptr<settings::Store> store = m_openStore();
    applyWindowSettings(settings::loadWindowSettings(*store));
    settings::HentIndstillinger(*store, m_settings);
    m_settings.softRampMs = settings::loadSoftRampMs(*store);
    m_blød->setChecked(m_settings.softRampMs > 0);
}

frmMain::~frmMain()
{
    m_morse.halfFilled = nullptr;
    m_morse.transmissionEnded = nullptr;
    m_morse.deviceFailed = nullptr;
    m_morse.releaseBuffer();
}

void frmMain::createControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);

    m_text1 = new TextBox(central);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(tr("Tekst"));
    m_text1->setAccessibleDescription(tr("Teksten, der sendes. Under sendingen markeres det sendte."));
    ui::installKeyFilter(m_text1, kAccepted, true);

    const QFont buttonFont = ui::layoutFont();
    const QSize buttonSize(ui::twipsToPixels(kButtonWidth, this), ui::twipsToPixels(kButtonHeight, this));
    m_cmdTX = new QPushButton(tr("&TX"), central);
    m_cmdTX->setObjectName(QStringLiteral("cmdTX"));
    m_cmdTX->setAccessibleDescription(tr("Sender teksten fra markøren eller efter det markerede."));
    m_cmdStop = new QPushButton(tr("&Stop"), central);
    m_cmdStop->setObjectName(QStringLiteral("cmdStop"));
    m_cmdStop->setToolTip(tr("Tryk Escape for at stoppe"));
    for (QPushButton *b : {m_cmdTX, m_cmdStop}) {
        b->setFont(buttonFont);
        b->setFixedSize(buttonSize);
        b->setAutoDefault(false);
    }
    connect(m_cmdTX, &QPushButton::clicked, this, &frmMain::cmdTX_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
    // Alt+T and Alt+S act at once. A button's own mnemonic clicks only after its
    // 100 ms press animation, which the sound would wait for; so the buttons keep
    // the underlined letter in their caption and these shortcuts do the work.
    const auto accelerate = [this](QPushButton *button, void (frmMain::*handler)()) {
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        button->setShortcut(QKeySequence());
        auto *shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this, button, handler] {
            if (!button->isEnabled() || !button->isVisible())
                return;
            button->setFocus(Qt::ShortcutFocusReason);
            (this->*handler)();
        });
    };
    accelerate(m_cmdTX, &frmMain::cmdTX_Click);
    accelerate(m_cmdStop, &frmMain::cmdStop_Click);
    // The stop button is the window's cancel button: Escape presses it anywhere.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, m_cmdStop, &QPushButton::click);

    setTabOrder(m_text1, m_cmdTX);
    setTabOrder(m_cmdTX, m_cmdStop);

    // One panel, written only by "Å&bn...". A permanent widget stays visible while
    // menu status tips come and go.
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusBar1Panel1"));
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setFrameShadow(QFrame::Sunken);
    m_status->setFont(ui::layoutFont());
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addPermanentWidget(m_status, 1);
    statusBar()->setFixedHeight(ui::twipsToPixels(kStatusBarHeight, this));

    // The client area before the settings are read; the stored geometry replaces
    // it before the window shows.
    resize(ui::twipsToPixels(kClientSize.width, this), ui::twipsToPixels(kClientSize.height, this));
}

void frmMain::createMenus()
{
    const auto addMenu = [this](const char *name, const QString &caption) {
        QMenu *m = menuBar()->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        m_menus.push_back(m);
        return m;
    };
    const auto addItem = [this](QMenu *m, const char *name, const QString &caption,
                                void (frmMain::*handler)(), const QKeySequence &shortcut = {},
                                bool enabled = true) {
        QAction *a = m->addAction(caption);
        a->setObjectName(QString::fromUtf8(name));
        a->setShortcut(shortcut);
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu *filer = addMenu("mnuFiler", tr("&Filer"));
    addItem(filer, "mnuFilerNy", tr("&Ny"), &frmMain::mnuFilerNy_Click, QKeySequence(Qt::CTRL | Qt::Key_N));
    addItem(filer, "mnuFilerÅbn", tr("Å&bn..."), &frmMain::mnuFilerÅbn_Click, QKeySequence(Qt::CTRL | Qt::Key_O));
    addItem(filer, "mnuFilerGem", tr("&Gem"), &frmMain::mnuFilerGem_Click, QKeySequence(Qt::CTRL | Qt::Key_S));
    addItem(filer, "mnuFilerGemSom", tr("Gem so&m..."), &frmMain::mnuFilerGemSom_Click);
    addItem(filer, "mnuFilerGemLyd", tr("Gem &lyd som..."), &frmMain::mnuFilerGemLyd_Click);
    filer->addSeparator()->setObjectName(QStringLiteral("mnuFilerBar1"));
    addItem(filer, "mnuFilerAfslut", tr("&Afslut"), &frmMain::mnuFilerAfslut_Click);

    QMenu *vis = addMenu("mnuVis", tr("&Vis"));
    addItem(vis, "mnuVisMorsetegn", tr("&Morsetegn..."), &frmMain::mnuVisMorsetegn_Click);

    QMenu *indstillinger = addMenu("mnuIndstillinger", tr("&Indstillinger"));
    m_skjul = addItem(indstillinger, "mnuIndstillingerSkjul", tr("&Skjul tekst under sending"),
                      &frmMain::mnuIndstillingerSkjul_Click);
    m_skjul->setCheckable(true);
    addItem(indstillinger, "mnuIndstilllingerFont", tr("&Font..."), &frmMain::mnuIndstilllingerFont_Click);
    addItem(indstillinger, "mnuIndstillingerIndstil", tr("&Indstil CW..."),
            &frmMain::mnuIndstillingerIndstil_Click);
    m_blød = addItem(indstillinger, "mnuIndstillingerBlød", tr("&Blød nøgling"),
                     &frmMain::mnuIndstillingerBlød_Click);
    m_blød->setCheckable(true);

    QMenu *funktioner = addMenu("mnuFunktioner", tr("Fun&ktioner"));
    addItem(funktioner, "mnuFunktionerOv1", tr("Dan øvelser &1..."), &frmMain::mnuFunktionerOv1_Click);
    addItem(funktioner, "mnuFunktionerOv2", tr("Dan øvelser &2..."), &frmMain::mnuFunktionerOv2_Click);
    addItem(funktioner, "mnuFunktionerOv3", tr("Dan øvelser &3..."), &frmMain::mnuFunktionerOv3_Click);
    addItem(funktioner, "mnuFunktioner5grupper", tr("&5-bogstavsgrupper..."),
            &frmMain::mnuFunktioner5grupper_Click);
    funktioner->addSeparator()->setObjectName(QStringLiteral("mnuFunktionerBar1"));
    addItem(funktioner, "mnuFunktionerModtag", tr("&Modtagetræning..."),
            &frmMain::mnuFunktionerModtag_Click);
    addItem(funktioner, "mnuFunktionerKoch", tr("&Koch-kursus..."), &frmMain::mnuFunktionerKoch_Click);
    addItem(funktioner, "mnuFunktionerGenkendelse", tr("&Genkendelse..."),
            &frmMain::mnuFunktionerGenkendelse_Click);
    addItem(funktioner, "mnuFunktionerStatistik", tr("S&tatistik..."),
            &frmMain::mnuFunktionerStatistik_Click);
    addItem(funktioner, "mnuFunktionerKald", tr("Ka&ldesignaltræning..."),
            &frmMain::mnuFunktionerKald_Click);
    addItem(funktioner, "mnuFunktionerOrd", tr("&Ord og QSO..."), &frmMain::mnuFunktionerOrd_Click);
    addItem(funktioner, "mnuFunktionerSend", tr("&Sendetræning..."), &frmMain::mnuFunktionerSend_Click);

    QMenu *hjælp = addMenu("mnuHjælp", tr("&Hjælp"));
    QAction *indhold = addItem(hjælp, "mnuHjælpIndhold", tr("&Indhold..."), &frmMain::mnuHjælpIndhold_Click);
    // F1 opens the help as the item does, and not while the menus are off (sending);
    // the menu shows no key beside the item.
    auto *f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, indhold, [indhold] {
        if (indhold->isEnabled())
            indhold->trigger();
    });
    // Shown, never available.
    addItem(hjælp, "mnuHjælpSøg", tr("&Søg hjælp om..."), &frmMain::mnuHjælpSøg_Click, {}, false);
    hjælp->addSeparator()->setObjectName(QStringLiteral("mnuHjælpBar1"));
    addItem(hjælp, "mnuOm", tr("&Om CW..."), &frmMain::mnuOm_Click);
}

QAction *frmMain::menuItem(const QString &name) const
{
    for (QMenu *m : m_menus) {
        if (m->objectName() == name)
            return m->menuAction();
        for (QAction *a : m->actions()) {
            if (a->objectName() == name)
                return a;
        }
    }
    return nullptr;
}

QMenu *frmMain::menu(const QString &name) const
{
    for (QMenu *m : m_menus) {
        if (m->objectName() == name)
            return m;
    }
    return nullptr;
}

bool frmMain::hidesText() const
{
    return m_skjul->isChecked();
}

// --- Start-up, layout, shutdown ------------------------------------------------------

void frmMain::applyWindowSettings(const WindowSettings &window)
{
    const QRect stored = ui::twipsRect(window.MainLeft, window.MainTop, window.MainWidth,
                                window.MainHeight, this);
    QList<QRect> areas;
    for (const QScreen *s : QGuiApplication::screens())
        areas << s->availableGeometry();
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QRect frame = ui::placeOnScreen(stored, areas, primary ? primary->availableGeometry() : QRect());
    // Until the window manager has framed the window its frame margins are unknown;
    // fitFrameAndMinimum() takes them off once they are.
    m_wantedFrame = frame;
    m_restoredFrame = frame == stored ? frame : QRect();
    m_restored = window;
    move(frame.topLeft());
    resize(frame.size());

    m_skjul->setChecked(window.Skjul);
    setTextFont(window.FontName, window.FontBold, window.FontItalic, window.FontSize);
}

WindowSettings frmMain::currentWindowSettings() const
{
    WindowSettings w;
    const QRect frame = frameGeometry();
    w.MainLeft = float(ui::pixelsToTwips(frame.left(), this));
    w.MainTop = float(ui::pixelsToTwips(frame.top(), this));
    w.MainWidth = float(ui::pixelsToTwips(frame.width(), this));
    w.MainHeight = float(ui::pixelsToTwips(frame.height(), this));
    // A window left where it was restored keeps its stored twips: a pixel holds
    // 15 of them at 96 dpi, and converting back would round the values.
    if (frame == m_restoredFrame) {
        w.MainLeft = m_restored.MainLeft;
        w.MainTop = m_restored.MainTop;
        w.MainWidth = m_restored.MainWidth;
        w.MainHeight = m_restored.MainHeight;
    }
    w.Skjul = hidesText();
    const QFont f = m_text1->font();
    w.FontName = m_fontName;
    w.FontBold = f.bold();
    w.FontItalic = f.italic();
    w.FontSize = float(f.pointSizeF());
    return w;
}

void frmMain::setTextFont(const QString &name, bool bold, bool italic, double pointSize)
{
    m_fontName = name;
    m_text1->setFont(ui::installedFont(name, pointSize, bold, italic));
}

void frmMain::Form_Load()
{
    show();
    fitFrameAndMinimum();
    Form_Resize();
    if (!m_morse.LavLyd())
        showNoSoundCard();
}

void frmMain::showNoSoundCard()
{
    // The sound layer says what went wrong; the window says it to the user. A
    // missing or lost server is the plain "no sound card"; a server that refuses
    // the program's format gets a line on why.
    QMessageBox box(QMessageBox::Critical, program::title(), tr("Lydkort findes ikke."),
                    QMessageBox::Ok, this);
    if (m_morse.error() == SoundError::RefusedFormat)
        box.setInformativeText(tr("Lydserveren kan ikke spille 44100 Hz mono 16 bit."));
    box.exec();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitFrameAndMinimum();
    Form_Resize();
}

void frmMain::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitFrameAndMinimum();
}

void frmMain::fitFrameAndMinimum()
{
    const QMargins m = frameMargins(*this);
    const int frameWidth = m.left() + m.right();
    const int frameHeight = m.top() + m.bottom();
    // The outer frame may not get lower than 7 button heights or narrower than 3
    // button widths; Qt's minimum is for the inside of the frame.
    const QSize minimum(kMinWidthButtons * m_cmdStop->width() - frameWidth,
                        kMinHeightButtons * m_cmdStop->height() - frameHeight);
    if (minimumSize() != minimum)
        setMinimumSize(minimum);
    if (m_wantedFrame && isVisible() && !m.isNull()) {
        const QRect want = *m_wantedFrame;
        m_wantedFrame.reset();
        resize(want.width() - frameWidth, want.height() - frameHeight);
        move(want.topLeft());
    }
}

void frmMain::Form_Resize()
{
    if (isMinimized())
        return;
    const QWidget *central = centralWidget();
    const double h = m_cmdStop->height();
    const double w = m_cmdStop->width();
    const int s = statusBar()->isVisible() ? statusBar()->height() : 0;
    // ScaleHeight, the client area the layout rule works in, includes the status bar;
    // the central widget ends above it.
    const double scaleWidth = central->width();
    const double scaleHeight = central->height() + s;
    m_text1->setGeometry(0, 0, central->width(), std::max(0, int(std::lround(scaleHeight - 2 * h)) - s));
    m_cmdStop->move(int(std::lround(scaleWidth - w * kButtonGapFactor)), int(std::lround(scaleHeight - 2 * h)));
    m_cmdTX->move(int(std::lround(scaleWidth - w * kButtonGapFactor - m_cmdTX->width() * kButtonGapFactor)),
                  int(std::lround(scaleHeight - 2.0 * m_cmdTX->height())));
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    m_closed = true;
    // Releasing the buffer stops any sound, a transmission included.
    m_morse.releaseBuffer();
    m_sending = false;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    frmAfslut notice(this);
    notice.show();
    // Once per former notification handle, so the notice gets painted.
    for (int i = 0; i < 2; ++i)
        QCoreApplication::processEvents();
    QApplication::restoreOverrideCursor();
    notice.hide();
    // The help window closes with the main window.
    ui::closeHelpWindow();

    const std::unique_ptr<settings::Store> store = m_openStore();
    if (!settings::saveWindowSettings(*store, currentWindowSettings(), !isMinimized()))
        QMessageBox::critical(this, program::title(),
                              FileProblem::withReason(tr("Indstillingerne kunne ikke gemmes."),
                                                      store->writeResult()));
    event->accept();
}

// --- Sending ---------------------------------------------------------------------------

void frmMain::cmdTX_Click()
{
    if (m_sending)
        return;
    startTransmission(false, hidesText());
}

bool frmMain::sendWholeTextHidden()
{
    return !m_sending && startTransmission(true, true);
}

bool frmMain::sendPracticeText(const QString &text)
{
    if (m_sending)
        return false;
    if (!m_morse.hasBuffer() && !m_morse.LavLyd()) {
        showNoSoundCard();
        return false;
    }
    // The text box is neither emptied nor selected nor refilled: what a practice
    // window plays is for the ear alone.
    m_morse.setText(morse::sendText(text));
    m_giStartPos = 0;
    m_giSendtLen = 0;
    m_practiceText = true;
    m_hideWhileSending = false;
    setSendingControls(true);
    if (!m_morse.StartSending()) {
        restoreAfterSending(SendEvent::Stopped);
        showNoSoundCard();
        return false;
    }
    return true;
}

bool frmMain::startTransmission(bool fromStart, bool hide)
{
    // Without a device from start-up, try again: the sound may be there by now.
    if (!m_morse.hasBuffer() && !m_morse.LavLyd()) {
        showNoSoundCard();
        return false;
    }
    if (fromStart || m_text1->SelStart() == m_text1->textLength())
        m_text1->setSelStart(0);
    const QString text = m_text1->Text();
    const qsizetype b = m_text1->SelStart() + m_text1->SelLength();
    m_morse.setText(morse::sendText(text.mid(b)));
    m_giStartPos = b;
    m_gsGemtTekst = cp1252::upper(text);
    m_practiceText = false;
    m_hideWhileSending = hide;
    if (hide)
        m_text1->setText(QString());
    setSendingControls(true);
    m_cmdStop->setFocus();
    if (!m_morse.StartSending()) {
        restoreAfterSending(SendEvent::Stopped);
        showNoSoundCard();
        return false;
    }
    return true;
}

void frmMain::DirectXEvent_DXCallback(bool)
{
    if (!m_hideWhileSending && !m_practiceText) {
        m_text1->select(m_giStartPos, m_morse.sentCharacters());
        m_text1->ensureCursorVisible();
    }
    m_giSendtLen = m_morse.sentCharacters();
    if (sendWatcher)
        sendWatcher(SendEvent::Progress);
}

void frmMain::restoreAfterSending(SendEvent end)
{
    // A box emptied while sending gets its text back, and after a stop the text always
    // comes back as it was taken (upper case), with what was sent selected. Emptied and
    // refilled is one undo step, from the text before to the one sent.
    if (!m_practiceText && (end == SendEvent::Stopped || m_hideWhileSending)) {
        m_text1->setText(m_gsGemtTekst, m_hideWhileSending ? TextBox::Undo::JoinPrevious
                                                           : TextBox::Undo::Step);
        m_text1->select(m_giStartPos, m_giSendtLen);
    }
    setSendingControls(false);
    if (sendWatcher)
        sendWatcher(end);
}

void frmMain::cmdStop_Click()
{
    // Idle: nothing to stop, and the typed text stays.
    if (!m_sending)
        return;
    m_morse.StopSending();
    restoreAfterSending(SendEvent::Stopped);
    m_cmdTX->setFocus();
}

void frmMain::onDeviceFailed()
{
    if (!m_sending)
        return;
    restoreAfterSending(SendEvent::Stopped);
    m_cmdTX->setFocus();
    showNoSoundCard();
}

void frmMain::setSendingControls(bool sending)
{
    m_sending = sending;
    ui::announce(*statusBar(), sending ? tr("Sender") : tr("Sender ikke"));
    m_cmdTX->setEnabled(!sending);
    m_text1->setReadOnly(sending);
    for (QMenu *m : m_menus)
        m->menuAction()->setEnabled(!sending);
    // A disabled menu leaves its items' shortcuts live; the items go off as well.
    if (sending) {
        m_disabledForSending.clear();
        for (QMenu *m : m_menus) {
            for (QAction *a : m->actions()) {
                if (a->isEnabled() && !a->isSeparator()) {
                    a->setEnabled(false);
                    m_disabledForSending.emplace_back(a);
                }
            }
        }
    } else {
        for (const QPointer<QAction> &a : m_disabledForSending) {
            if (a)
                a->setEnabled(true);
        }
        m_disabledForSending.clear();
    }
}

// --- Menu commands --------------------------------------------------------------------

void frmMain::mnuFilerNy_Click() { m_files->newText(); }
void frmMain::mnuFilerÅbn_Click() { m_files->open(); }
void frmMain::mnuFilerGem_Click() { m_files->save(); }
void frmMain::mnuFilerGemSom_Click() { m_files->saveAs(); }
void frmMain::mnuFilerGemLyd_Click() { m_audio->saveAs(m_text1->Text(), m_settings, m_files->fileName()); }
void frmMain::mnuFilerAfslut_Click() { close(); }

void frmMain::mnuIndstillingerSkjul_Click()
{
    // The check item toggles itself; nothing else happens.
}

void frmMain::mnuIndstilllingerFont_Click()
{
    // Not preset from the text box: the dialog's own last choice, or Qt's default.
    const std::optional<QFont> chosen = ui::chooseFont(m_lastDialogFont.value_or(QFont()), this);
    if (!chosen)
        return;
    m_lastDialogFont = chosen;
    if (chosen->family().size() <= 1)
        return;
    setTextFont(chosen->family(), chosen->bold(), chosen->italic(), chosen->pointSizeF());
}

void frmMain::takeExerciseText(const std::optional<QString> &generated)
{
    m_morse.setText(generated.value_or(m_text1->Text()));
    m_text1->setText(m_morse.text());
}

