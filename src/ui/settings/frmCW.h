#pragma once
// The CW settings dialog "CW indstillinger": speed, Farnsworth spacing, tone and
// volume, with the resulting real speed; OK assigns, rebuilds the sound and saves "CW".

#include "settings/RealSpeed.h"
#include "settings/SettingsStore.h"
#include "SpinButtons.h"

#include <QDialog>
#include <QWidget>

class Morse;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

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
