#pragma once
// The Koch course "Koch-kursus": the learner picks an order and a lesson, hears the
// lesson's new character alone, then copies a timed run of groups of the lesson's
// characters; the run is scored per group and as a whole, lands in the course's
// history and the statistics per character, and at 90 % the next lesson is offered.

#include "exercises/CharacterStats.h"
#include "exercises/KochCourse.h"
#include "exercises/KochSettings.h"
#include "exercises/frmModtag.h"
#include "settings/SettingsStore.h"

#include <QDialog>

#include <optional>

class Morse;
class QCheckBox;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTextBrowser;
class TextBox;

class frmKoch : public QDialog {
    Q_OBJECT
public:
    // transmitter.start sends lessonText(); historyPath: the course's history, the
    // statistics beside it.
    frmKoch(Morse &morse, ReceiveTransmitter transmitter, settings::StoreOpener openStore,
            QString historyPath, QWidget *owner);

    // What the window is sending or last sent.
    const QString &lessonText() const { return m_sentText; }

    void sendingProgressed(qsizetype sentLength);
    void sendingEnded(bool playedOut);

    exercises::RandomFactory newRandom = practice::clockSeededUniform;

    const std::optional<receive::Score> &score() const { return m_score; }
    const QStringList &order() const { return m_order; }
    int lesson() const;

    QComboBox *cboRaekkefoelge;
    QLineEdit *txtEgen;
    QSpinBox *txtLektion;
    QSpinBox *txtMinutter;
    QCheckBox *chkFast5;
    QLabel *lblNyt;
    QLabel *lblTegn;
    QLabel *lblHastighed;
    TextBox *txtAfskrift;
    QPushButton *cmdHoer;
    QPushButton *cmdStart;
    QPushButton *cmdStop;
    QPushButton *cmdRet;
    QPushButton *cmdNaeste;
    QPushButton *cmdLuk;
    QTabWidget *tabVisning;
    QTextBrowser *txtResultat;
    QChartView *chtFremgang;
    QLabel *lblStatus;

protected:
    void reject() override;

private:
    enum class Playing { Nothing, NewCharacter, Run };
    QString orderKey() const;
    void orderChanged();
    void ownOrderEdited();
    void lessonChanged();
    void cmdHoer_Click();
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdRet_Click();
    void cmdNaeste_Click();
    void send(Playing what, const QString &text);
    void scoreRun();
    void showRuns();
    void saveSettings();
    void warn(const QString &text);
    void updateButtons();

    Morse &m_morse;
    ReceiveTransmitter m_transmitter;
    settings::StoreOpener m_openStore;
    koch::KochSettings m_settings;
    koch::KochHistory m_history;
    stats::CharacterStats m_stats;
    std::vector<koch::Run> m_runs;
    QStringList m_order;
    Playing m_playing = Playing::Nothing;
    QString m_sentText;
    bool m_awaitingCopy = false;   // a run played out and not yet scored
    int m_runLesson = 0;
    int m_wpm = 0;
    int m_farnsworth = 0;
    bool m_loading = true;
    std::optional<receive::Score> m_score;
};
