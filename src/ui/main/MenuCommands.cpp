// The main window's commands that open another window: the settings dialog, the
// character list, the exercise windows, the help and the About box.

#include "main/frmMain.h"

#include "FileProblem.h"

#include "program/ProgramInfo.h"
#include "exercises/frm5grp.h"
#include "exercises/frmOv1.h"
#include "exercises/frmOv2.h"
#include "exercises/frmOv3.h"
#include "exercises/frmModtag.h"
#include "exercises/frmKoch.h"
#include "exercises/frmGenkendelse.h"
#include "exercises/frmStatistik.h"
#include "exercises/frmSendetraening.h"
#include "exercises/frmKaldesignal.h"
#include "exercises/frmOrdQso.h"
#include "exercises/DrillHistory.h"
#include "settings/SoundSettings.h"
#include "settings/frmCW.h"
#include "info/HelpWindow.h"
#include "info/frmAbout.h"
#include "info/frmCWTegn.h"
#include "main/TextBox.h"

#include <QMessageBox>

void frmMain::mnuVisMorsetegn_Click()
{
    frmCWTegn window(this);
    window.exec();
}

void frmMain::mnuIndstillingerIndstil_Click()
{
    frmCW window(m_morse, m_openStore, this);
    window.exec();
}

void frmMain::mnuIndstillingerBlød_Click()
{
    const bool on = m_blød->isChecked();
    const std::unique_ptr<settings::Store> store = m_openStore();
    if (!settings::saveSoftKeying(*store, on))
        QMessageBox::critical(this, program::title(),
                              FileProblem::withReason(tr("Indstillingerne kunne ikke gemmes."),
                                                      store->writeResult()));
    m_settings.softRampMs = on ? settings::storedRampMs(*store) : 0;
    // The edges are part of the elements: they take effect through a rebuild.
    if (m_morse.hasBuffer() && !m_morse.LavLyd())
        QMessageBox::critical(this, program::title(), tr("Lydkort findes ikke."));
}

void frmMain::mnuFunktionerOv1_Click()
{
    frmOv1 window(this);
    window.exec();
    takeExerciseText(window.generatedText());
}

void frmMain::mnuFunktionerOv2_Click()
{
    frmOv2 window(this);
    window.exec();
    takeExerciseText(window.generatedText());
}

void frmMain::mnuFunktionerOv3_Click()
{
    frmOv3 window(m_morse, this);
    window.exec();
    takeExerciseText(window.generatedText());
}

void frmMain::mnuFunktioner5grupper_Click()
{
    frm5grp window(this);
    window.exec();
    takeExerciseText(window.generatedText());
}

void frmMain::mnuFunktionerModtag_Click()
{
    if (receive::sentTokens(m_text1->Text()).empty()) {
        QMessageBox::information(this, program::title(), tr("Der er ingen tekst at sende."));
        return;
    }
    frmModtag window(m_morse,
                     {.text = [this] { return m_text1->Text(); },
                      .start = [this] { return sendWholeTextHidden(); },
                      .stop = [this] { cmdStop_Click(); }},
                     receive::ReceiveHistory::defaultPath(), this);
    watchSending(window);
    const int result = window.exec();
    sendWatcher = nullptr;
    // "&Øv fejlene" hands its groups over as the exercise windows do.
    if (result == QDialog::Accepted && window.generatedText())
        takeExerciseText(window.generatedText());
}

void frmMain::mnuFunktionerKoch_Click()
{
    std::unique_ptr<frmKoch> window;
    window = std::make_unique<frmKoch>(m_morse, practiceTransmitter([&window] { return window->lessonText(); }),
                                       m_openStore, koch::KochHistory::defaultPath(), this);
    watchSending(*window);
    window->exec();
    sendWatcher = nullptr;
}

void frmMain::mnuFunktionerGenkendelse_Click()
{
    std::unique_ptr<frmGenkendelse> window;
    window = std::make_unique<frmGenkendelse>(m_morse,
                                              practiceTransmitter([&window] { return window->sentText(); }),
                                              m_openStore, stats::CharacterStats::defaultPath(), this);
    watchSending(*window);
    window->exec();
    sendWatcher = nullptr;
}

ReceiveTransmitter frmMain::practiceTransmitter(std::function<QString()> text)
{
    // The window's own text is sent; the text box keeps the learner's text.
    return {.text = text,
            .start = [this, text] { return sendPracticeText(text()); },
            .stop = [this] { cmdStop_Click(); }};
}

void frmMain::mnuFunktionerStatistik_Click()
{
    frmStatistik window(stats::CharacterStats::defaultPath(), this);
    window.exec();
    // "Øv svage tegn" hands its groups over as the exercise windows do.
    if (window.generatedText())
        takeExerciseText(window.generatedText());
}

void frmMain::mnuFunktionerSend_Click()
{
    frmSendetraening window(m_morse, m_text1->Text(), m_openStore, keying::SendHistory::defaultPath(),
                            this);
    window.exec();
}

ItemPlayer frmMain::practicePlayer()
{
    return {.play = [this](const QString &text, int wpm) {
                if (m_sending)
                    return false;
                // The drill's speed for this item: the elements follow it, the buffer stays.
                if (m_settings.giWPM != wpm) {
                    m_settings.giWPM = static_cast<qint16>(wpm);
                    if (m_morse.hasBuffer())
                        m_morse.buildElements();
                }
                return sendPracticeText(text);
            },
            .stop = [this] { cmdStop_Click(); }};
}

void frmMain::runDrill(QDialog &window, SpeedDrillPanel &drill)
{
    const qint16 wpm = m_settings.giWPM;
    sendWatcher = [&drill](SendEvent e) {
        if (e != SendEvent::Progress)
            drill.playingEnded();
    };
    window.exec();
    sendWatcher = nullptr;
    cmdStop_Click();
    // The drill's speeds were for its items only: "Indstil CW"'s speed comes back.
    if (m_settings.giWPM != wpm) {
        m_settings.giWPM = wpm;
        if (m_morse.hasBuffer())
            m_morse.buildElements();
    }
}

void frmMain::mnuFunktionerKald_Click()
{
    frmKaldesignal window(practicePlayer(), m_settings.giWPM, drill::DrillHistory::callsPath(), this);
    runDrill(window, *window.drill);
}

void frmMain::mnuFunktionerOrd_Click()
{
    frmOrdQso window(practicePlayer(), m_settings.giWPM, drill::DrillHistory::wordsPath(), this);
    runDrill(window, *window.drill);
    // "Lav QSO" hands its contact over as the exercise windows do.
    if (window.generatedText())
        takeExerciseText(window.generatedText());
}

void frmMain::mnuHjælpIndhold_Click()
{
    // The help is compiled into the program; a build without it says so.
    if (!ui::showHelpContents(this)) {
        QMessageBox::information(this, windowTitle(),
                                 tr("Kan ikke vise hjælp indhold. Der er ingen hjælp knyttet til "
                                    "dette program."));
    }
}

// The item is shown but never available: the help has no index to search.
void frmMain::mnuHjælpSøg_Click() {}

void frmMain::mnuOm_Click()
{
    frmAbout window(this);
    window.exec();
}
