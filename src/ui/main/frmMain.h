#pragma once
// The main window: the text to send, the send and stop buttons, the menus, and the
// window's start-up, layout and shutdown. The Morse engine and the settings record
// live here for the whole run.

#include "engine/Morse.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "main/WindowSettings.h"

#include <QFont>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AudioExport;
class FileCommands;
class QAction;
class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class SpeedDrillPanel;
class TextBox;
struct ItemPlayer;
struct ReceiveTransmitter;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Restores the window's geometry, hide option and font and loads the Morse
    // settings, all from openStore; the engine sends through device.
    explicit frmMain(std::unique_ptr<SoundDevice> device,
                     settings::StoreOpener openStore = settings::openUserStore,
                     QWidget *parent = nullptr);
    ~frmMain() override;

    // Shows and lays out the window, then builds the sound; without a usable device
    // it says "Lydkort findes ikke." and the window stays usable.
    void Form_Load();

    // The exercise hand-over, once an exercise window has closed: the text it
    // generated becomes gsCWTekst and the box's text, replacing it as one undo step;
    // without one both keep the box's text. The caret goes to the start.
    void takeExerciseText(const std::optional<QString> &generated);

    Morse &morse() { return m_morse; }

    TextBox *Text1() const { return m_text1; }
    QPushButton *cmdTX() const { return m_cmdTX; }
    QPushButton *cmdStop() const { return m_cmdStop; }
    QLabel *statusPanel() const { return m_status; }
    FileCommands &fileCommands() const { return *m_files; }
    // A menu item or menu by its control name ("mnuFilerGem", "mnuFiler").
    QAction *menuItem(const QString &name) const;
    QMenu *menu(const QString &name) const;
    const std::vector<QMenu *> &menus() const { return m_menus; }

    bool isSending() const { return m_sending; }
    bool hidesText() const;
    qsizetype giStartPos() const { return m_giStartPos; }
    qsizetype giSendtLen() const { return m_giSendtLen; }

    // The receiving practice's way to send: the whole text from its start, with the
    // box emptied while sending whatever the hide option says, and restored as after
    // Stop. False when sending could not start (the message has been shown).
    bool sendWholeTextHidden();
    // Sends a practice window's own text (a lesson, a character, a call) without
    // touching the text box; the end is reported through sendWatcher as for any
    // sending. False when it did not start (the reason has been shown).
    bool sendPracticeText(const QString &text);
    // Told after every notification while sending (Progress), and once when the
    // sending has ended: played out, or stopped by Stop or a device failure.
    enum class SendEvent { Progress, PlayedOut, Stopped };
    std::function<void(SendEvent)> sendWatcher;

    // The event handlers. Plain members rather than slots: moc cannot read the
    // Danish letters in their names; connections use member-function pointers.
    void cmdTX_Click();
    void cmdStop_Click();

    void mnuFilerNy_Click();
    void mnuFilerÅbn_Click();
    void mnuFilerGem_Click();
    void mnuFilerGemSom_Click();
    void mnuFilerGemLyd_Click();    // "Gem &lyd som...": the text as a sound file
    void mnuFilerAfslut_Click();
    void mnuVisMorsetegn_Click();
    void mnuIndstillingerSkjul_Click();
    void mnuIndstilllingerFont_Click();
    void mnuIndstillingerIndstil_Click();
    void mnuIndstillingerBlød_Click();   // "&Blød nøgling": raised-cosine key edges
    void mnuFunktionerOv1_Click();
    void mnuFunktionerOv2_Click();
    void mnuFunktionerOv3_Click();
    void mnuFunktioner5grupper_Click();
    void mnuFunktionerModtag_Click();
    void mnuFunktionerKoch_Click();
    void mnuFunktionerGenkendelse_Click();
    void mnuFunktionerStatistik_Click();
    void mnuFunktionerKald_Click();
    void mnuFunktionerOrd_Click();
    void mnuFunktionerSend_Click();
    void mnuHjælpIndhold_Click();
    void mnuHjælpSøg_Click();
    void mnuOm_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    void applyWindowSettings(const WindowSettings &window);
    WindowSettings currentWindowSettings() const;
    void setTextFont(const QString &name, bool bold, bool italic, double pointSize);
    void Form_Resize();
    void fitFrameAndMinimum();
    void setSendingControls(bool sending);
    bool startTransmission(bool fromStart, bool hide);
    // A drill window's items played at the drill's own speed, and the window run with
    // the set speed given back afterwards.
    ItemPlayer practicePlayer();
    void runDrill(QDialog &window, SpeedDrillPanel &drill);
    // A practice window that sends its own text (a lesson, a character) through
    // sendPracticeText.
    ReceiveTransmitter practiceTransmitter(std::function<QString()> text);
    // Reports the sending's progress (characters sent) and its end to a practice
    // window until sendWatcher is cleared.
    template <typename Window>
    void watchSending(Window &window)
    {
        sendWatcher = [this, &window](SendEvent e) {
            if (e == SendEvent::Progress)
                window.sendingProgressed(m_giSendtLen);
            else
                window.sendingEnded(e == SendEvent::PlayedOut);
        };
    }
    void restoreAfterSending(SendEvent end);
    void DirectXEvent_DXCallback(bool more);
    void onDeviceFailed();
    void showNoSoundCard();

    settings::StoreOpener m_openStore;
    Settings m_settings;
    Morse m_morse;

    TextBox *m_text1 = nullptr;
    QPushButton *m_cmdTX = nullptr;
    QPushButton *m_cmdStop = nullptr;
    QLabel *m_status = nullptr;
    FileCommands *m_files = nullptr;
    AudioExport *m_audio = nullptr;
    QAction *m_skjul = nullptr;
    QAction *m_blød = nullptr;
    std::vector<QMenu *> m_menus;   // the five top-level menus, disabled while sending
    std::vector<QPointer<QAction>> m_disabledForSending;

    QString m_fontName;                       // as stored: a Windows name or a family
    std::optional<QFont> m_lastDialogFont;    // the font dialog's last choice this run
    std::optional<QRect> m_wantedFrame;       // restored outer rectangle (pixels) until
                                              // the window manager's frame is known
    QRect m_restoredFrame;                    // the restored rectangle, pixels...
    WindowSettings m_restored;                // ...and in the twips it was stored as
    bool m_sending = false;
    bool m_hideWhileSending = false;   // the box is emptied during this sending
    bool m_practiceText = false;       // this sending is a practice window's, not the box's
    bool m_closed = false;
    qsizetype m_giStartPos = 0;    // text offset where the sent text begins
    qsizetype m_giSendtLen = 0;    // characters sent at the latest notification
    QString m_gsGemtTekst;         // the whole text, upper-cased, taken at "&TX"
};
