#pragma once
// The sending practice "Sendetræning": the learner keys with a key or paddle on the key
// area, hears the sidetone, and gets what was keyed decoded, scored against the main
// window's text, and the fist measured; every attempt goes into the history.

#include "engine/sound_device/SidetoneStream.h"
#include "exercises/CopyScore.h"
#include "exercises/ExerciseWindow.h"
#include "exercises/FistAnalysis.h"
#include "exercises/KeyerSource.h"
#include "exercises/SendDecoder.h"
#include "exercises/SendHistory.h"
#include "settings/SettingsStore.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFrame>
#include <QTimer>

#include <memory>
#include <optional>

class Morse;
class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTextBrowser;

// The key area: holds the levers while it has the focus. Left Ctrl and "[" (or the
// left mouse button) are the left lever, Right Ctrl and "]" (or the right button) the
// right one; everything is let go when the focus leaves.
class KeyArea : public QFrame {
    Q_OBJECT
public:
    explicit KeyArea(QWidget *parent);
    bool left() const { return m_down[0][0] || m_down[0][1]; }
    bool right() const { return m_down[1][0] || m_down[1][1]; }
    void releaseAll();

    // 0 left lever, 1 right lever, -1 another key; told by the native key code
    // (the same Qt key for both Ctrl keys).
    static int leverOf(const QKeyEvent &event);

signals:
    void leversChanged(bool left, bool right);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void set(int lever, int source, bool down);
    bool m_down[2][2] = {{false, false}, {false, false}};   // [lever][keyboard, mouse]
};

class frmSendetraening : public QDialog {
    Q_OBJECT
public:
    // text: the text to send (the main window's); empty: free keying.
    frmSendetraening(Morse &morse, QString text, settings::StoreOpener openStore,
                     QString historyPath, QWidget *owner);
    ~frmSendetraening() override;

    // The attempt's result once it has ended.
    const std::optional<receive::Score> &score() const { return m_score; }
    const keying::FistReport &fist() const { return m_fist; }
    QString decodedText() const { return m_decoder.text(); }
    bool isRunning() const { return m_running; }
    // Takes the sidetone's key events and checks the end of an attempt (the window's
    // timer does it every 10 ms; tests call it after driving the stream).
    void poll();

    QTextBrowser *txtTekst;
    KeyArea *keyNøgle;
    QComboBox *cboTilstand;
    QCheckBox *chkByt;
    QLabel *lblAfkodet;
    QLabel *lblForsinkelse;
    QPushButton *cmdStart;
    QPushButton *cmdStop;
    QPushButton *cmdLuk;
    QTabWidget *tabVisning;
    QTextBrowser *txtResultat;
    QChartView *chtHåndskrift;
    QChartView *chtFremgang;
    QLabel *lblHistorik;

    static constexpr qint64 kIdleEndSamples = 3 * 44100;   // 3 s without keying ends an attempt

protected:
    void reject() override;

private:
    void cmdStart_Click();
    void cmdStop_Click();
    void modeChanged();
    void startSidetone();
    void startSilentClock();
    void catchUpSilentClock();
    void sidetoneFailed();
    void endAttempt();
    void showTarget();
    void showResult();
    void showFistChart();
    void showHistory();
    void showLatency();
    void updateButtons();

    Morse &m_morse;
    QString m_text;                      // upper-cased target; empty: free keying
    settings::StoreOpener m_openStore;
    keying::SendHistory m_history;
    std::vector<keying::SendAttempt> m_attempts;
    keying::KeyerSource m_source;
    std::unique_ptr<SidetoneStream> m_stream;
    // Without a sound stream the keyer still runs, silently, on the wall clock.
    QElapsedTimer m_silentClock;
    qint64 m_silentFrom = 0;              // the keyer's clock when the silent one started
    std::vector<std::int16_t> m_silentBlock;
    QTimer m_pollTimer;
    QTimer m_latencyTimer;
    keying::SendDecoder m_decoder;
    bool m_running = false;
    qint64 m_stopAt = -1;                 // Stop pressed here: the attempt ends once the
                                          // key events up to it have come in
    qint64 m_downAt = -1;                 // sample of the key-down being keyed
    keying::Element m_downElement = keying::Element::None;
    qint64 m_lastActivity = 0;            // sample of the last key-down or key-up
    int m_wpm = 0;
    std::optional<receive::Score> m_score;
    keying::FistReport m_fist;
};
