#pragma once
// The third exercise window: a course of 30 exercises, one letter more each time,
// sent at 60 characters per minute with Farnsworth spacing down to about 25 or 30;
// offers to correct the speed settings before it generates.

#include "exercises/ExerciseSets.h"
#include "exercises/ExerciseWindow.h"

#include <QDialog>

#include <optional>

class Morse;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmOv3 : public QDialog {
    Q_OBJECT
public:
    frmOv3(Morse &morse, QWidget *owner);

    // The description of the exercise at list position p, lines ended by CR LF.
    static QString description(int p);

    // A fresh random source per generation (clock-seeded unless replaced).
    exercises::RandomFactory newRandom = practice::clockSeededUniform;
    // The text "cmdØvelse" made, once the window has closed; none when it was
    // closed without generating.
    const std::optional<QString> &generatedText() const { return m_generated; }

    QGroupBox *Frame1;
    QGroupBox *Frame2;
    QPlainTextEdit *txtInfo;
    QLabel *lblØvelse;
    QComboBox *cboØvelser;
    QPushButton *cmdØvelse;
    QPushButton *cmdLuk;

private:
    void cboØvelser_Click();
    void cmdØvelse_Click();
    // Asks with OK and Cancel; true for OK.
    bool bekræft(const QString &text);

    Morse &m_morse;
    std::optional<QString> m_generated;
};
