#pragma once
// The receiving practice "Modtagetræning": sends the main window's text, takes the
// learner's copy, scores it, keeps the history of attempts and can make groups of the
// characters that went wrong.

#include "engine/BandConditions.h"
#include "exercises/CopyScore.h"
#include "exercises/ExerciseWindow.h"
#include "exercises/ReceiveHistory.h"
#include "settings/SettingsStore.h"

#include <QDialog>

#include <functional>
#include <optional>

class Morse;
class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QTextBrowser;
class TextBox;
class ConditionsBox;
class AudioExport;

// How the window sends through the main window, as "&TX" does.
struct ReceiveTransmitter {
    std::function<QString()> text;    // the main window's whole text
    std::function<bool()> start;      // sends it from its start; false: not started
    std::function<void()> stop;       // as "&Stop"
};

class frmModtag : public QDialog {
    Q_OBJECT
public:
    frmModtag(Morse &morse, ReceiveTransmitter transmitter, QString historyPath, QWidget *owner);
    ~frmModtag() override;

    // The main window's sending reports: after each notification the characters of
    // the text synthesised so far; the end, played out or stopped.
    void sendingProgressed(qsizetype sentLength);
    void sendingEnded(bool playedOut);

    exercises::RandomFactory newRandom = practice::clockSeededUniform;

    const std::optional<receive::Score> &score() const { return m_score; }
    // The groups "&Øv fejlene" made, once the window has closed; none otherwise.
    const std::optional<QString> &generatedText() const { return m_generated; }

    TextBox *txtAfskrift;
    QPushButton *cmdStart;
    QPushButton *cmdStop;
    QPushButton *cmdRet;
    QPushButton *cmdØv;
    QPushButton *cmdGemLyd;
    QPushButton *cmdLuk;
    QTabWidget *tabVisning;
    QTextBrowser *txtResultat;
    QTableWidget *tblHistorik;
    QChartView *chtFremgang;
    QLabel *lblHistorik;
    ConditionsBox *grpForhold;
    // Where the "Forhold" section is read and, once changed, written.
    settings::StoreOpener openStore = settings::openUserStore;

protected:
    // Escape and the close button: Stop while sending, otherwise close.
    void reject() override;

private:
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdRet_Click();
    void cmdØv_Click();
    void cmdGemLyd_Click();
    void scoreAttempt();
    void showResult();
    void showHistory();
    void addHistoryRow(const receive::Attempt &a);
    void updateButtons();

    Morse &m_morse;
    std::optional<QString> m_generated;
    ReceiveTransmitter m_transmitter;
    receive::ReceiveHistory m_history;
    std::vector<receive::Attempt> m_attempts;   // the history, this run's attempts included
    bool m_sending = false;
    bool m_recorded = false;           // the current attempt has its row in m_attempts
    QString m_sentText;                // the whole text as sent, upper-cased
    qsizetype m_sentUpTo = 0;          // characters of m_sentText that count
    qsizetype m_heard = -1;            // surely heard up to here; -1: all
    qsizetype m_progress[3] = {0, 0, 0};   // synthesised length at the last three
    int m_notifications = 0;               // notifications, latest first
    bool m_synthesisDone = false;      // the engine has passed the end of the text
    int m_wpm = 0;
    int m_farnsworth = 0;
    std::optional<receive::Score> m_score;
    AudioExport *m_audio;
    band::BandConditions m_band;       // the attempt's conditions, laid over its sound
};
