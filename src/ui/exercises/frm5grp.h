#pragma once
// The five-letter group generator: a count of groups and the characters to draw
// them from, typed by the user; the text goes to the main window through gsCWTekst.

#include "exercises/ExerciseWindow.h"

#include <QDialog>

class Morse;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frm5grp : public QDialog {
    Q_OBJECT
public:
    frm5grp(Morse &morse, QWidget *owner);

    // A fresh random source per generation (clock-seeded unless replaced).
    exercises::RandomFactory newRandom = practice::clockSeededUniform;

    QPushButton *cmdØvelse;
    QPushButton *cmdLuk;
    QGroupBox *Frame2;
    QLineEdit *txtAntal;
    QLineEdit *txtTegn;
    QLabel *Label3;
    QLabel *Label1;

private:
    void cmdØvelse_Click();

    Morse &m_morse;
};
