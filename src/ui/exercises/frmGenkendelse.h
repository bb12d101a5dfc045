#pragma once
// Instant recognition "Genkendelse": one character at a time at the character speed
// set; the learner types it and sees at once whether it was right and the reaction
// time from the end of the sound. A run of 50 ends with accuracy and mean reaction
// time per character; every answer goes into the statistics per character.

#include "exercises/CharacterStats.h"
#include "exercises/Recognition.h"
#include "exercises/frmModtag.h"
#include "settings/SettingsStore.h"

#include <QDialog>
#include <QElapsedTimer>

#include <memory>
#include <optional>

class Morse;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTimer;

class frmGenkendelse : public QDialog {
    Q_OBJECT
public:
    // transmitter.start sends sentText(); statsPath: the statistics file.
    frmGenkendelse(Morse &morse, ReceiveTransmitter transmitter, settings::StoreOpener openStore,
                   QString statsPath, QWidget *owner);

    const QString &sentText() const { return m_current; }
    void sendingProgressed(qsizetype sentLength);
    void sendingEnded(bool playedOut);

    exercises::RandomFactory newRandom = practice::clockSeededUniform;
    // The listener's clock in ms (tests pass their own).
    std::function<qint64()> now;
    int pauseMs = 700;   // between an answer and the next character

    const recognition::RecognitionRun *run() const { return m_run.get(); }
    const std::optional<int> &lastReaction() const { return m_lastReaction; }

    QComboBox *cboTegn;
    QLabel *lblTegn;
    QLineEdit *txtSvar;
    QLabel *lblSvar;
    QLabel *lblFremgang;
    QPushButton *cmdStart;
    QPushButton *cmdStop;
    QPushButton *cmdLuk;
    QTextBrowser *txtOversigt;

protected:
    void reject() override;

private:
    void cmdStart_Click();
    void cmdStop_Click();
    void askNext();
    void typed(const QString &text);
    void settleAnswer();
    void endRun(bool complete);
    void updateButtons();

    Morse &m_morse;
    ReceiveTransmitter m_transmitter;
    stats::CharacterStats m_stats;
    QStringList m_lessonCharacters;
    std::unique_ptr<recognition::RecognitionRun> m_run;
    recognition::ReactionClock m_clock;
    QElapsedTimer m_elapsed;
    QTimer *m_next;
    QString m_current;
    bool m_sending = false;
    int m_notifications = 0;
    std::optional<QString> m_answer;     // typed, waiting for the clock or the result
    qint64 m_keyMs = 0;
    bool m_answered = false;             // the current character has its result
    std::optional<int> m_lastReaction;
    bool m_warned = false;
};
