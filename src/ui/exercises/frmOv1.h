#pragma once
// The first exercise window: one of 17 character sets (blocks of five for new
// characters, growing sets for revision) becomes a short practice text.

#include "exercises/ExerciseSets.h"
#include "exercises/ExerciseWindow.h"

#include <QDialog>

#include <array>

class Morse;
class QGroupBox;
class QPushButton;
class QRadioButton;

class frmOv1 : public QDialog {
    Q_OBJECT
public:
    frmOv1(Morse &morse, QWidget *owner);

    // A fresh random source per generation (clock-seeded unless replaced).
    exercises::RandomFactory newRandom = practice::clockSeededUniform;

    QGroupBox *Frame1;
    std::array<QRadioButton *, practice::kExercise1Count> optØvelse{};
    QPushButton *cmdØvelse;
    QPushButton *cmdLuk;

private:
    void cmdØvelse_Click();

    Morse &m_morse;
};
