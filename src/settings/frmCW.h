#pragma once
// The CW settings dialog "CW indstillinger": speed, Farnsworth spacing, tone and
// volume, with the resulting real speed; OK assigns, rebuilds the sound and saves "CW".

#include "settings/SettingsStore.h"

#include <QDialog>
#include <QWidget>

#include <optional>

class Morse;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace settings {

// The real speed of a text keyed at a speed with extra spacing: every character
// counts 10 dot units on average, and the spacing adds F units after each one.
struct RealSpeed {
    int cpm = 0;   // characters per minute, halves rounded up
    int wpm = 0;   // words (5 characters) per minute, rounded down
};

// BeregnHastighed's arithmetic on the texts of the speed and spacing boxes:
// W and F are the texts as 16-bit integers, C = 5 x W as a rounded double, then
// A = 50 W and B = C F + 50 W in 16-bit arithmetic and CPM = Int((A / B) x C + 0.5).
// nullopt when a text is no number, a 16-bit step overflows, or B <= 0.
std::optional<RealSpeed> realSpeed(const QString &wpmText, const QString &farnsworthText);

} // namespace settings

// Spin buttons bound to a read-only text box: the arrows (or the Up and Down keys
// while the control has the focus) step the number shown in the box by the step
// size and stop at the ends of the range, without wrapping.
class SpinButtons : public QWidget {
    Q_OBJECT
public:
    SpinButtons(QLineEdit *buddy, int minimum, int maximum, int step, QWidget *parent);

    // The number shown in the box; the minimum when the box holds no number.
    int value() const;
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int singleStep() const { return m_step; }

    // Moves by steps x the step size from the shown number, clamped into the range.
    // Writes the box and emits valueChanged only when the number changes.
    void stepBy(int steps);

signals:
    void valueChanged(int value);

protected:
    // The Up and Down keys step the value also while its box has the focus.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QLineEdit *m_buddy;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_minimum;
    int m_maximum;
    int m_step;
};

class frmCW : public QDialog {
    Q_OBJECT
public:
    // Reads the settings record of morse on construction (the load step); OK writes
    // it back, rebuilds morse's sound and saves through openStore.
    frmCW(Morse &morse, settings::StoreOpener openStore, QWidget *owner);

    // Recomputes txtReelCPM and txtReelWPM from the texts of txtWPM and txtFarnsworth;
    // both are left empty when those texts give no real speed.
    void BeregnHastighed();

private:
    void Form_Load();
    void UpDownWpm_Change();
    void UpDownFarnsworth_Change();
    void cmdOK_Click();
    void cmdAnnuller_Click();

    Morse &m_morse;
    settings::StoreOpener m_openStore;

    QGroupBox *Frame1;
    QLabel *Label6;
    QLineEdit *txtWPM;
    SpinButtons *UpDownWpm;
    QLabel *Label1;
    QLineEdit *txtFarnsworth;
    SpinButtons *UpDownFarnsworth;
    QLabel *Label3;
    QLineEdit *txtReelWPM;
    QLabel *Label4;
    QLineEdit *txtReelCPM;
    QGroupBox *Frame3;
    QLabel *Label7;
    QLineEdit *txtTone;
    SpinButtons *UpDown2;
    QLabel *Label11;
    QScrollBar *HScroll1;
    QPushButton *cmdOK;
    QPushButton *cmdAnnuller;
};
