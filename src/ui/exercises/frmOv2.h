#pragma once
// The second exercise window: the characters in teaching order, lesson by lesson
// (each new character introduced) or all lessons so far, or with "Dan" ticked any
// number of groups from the characters typed in.

#include "exercises/ExerciseSets.h"
#include "exercises/ExerciseWindow.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmOv2 : public QDialog {
    Q_OBJECT
public:
    explicit frmOv2(QWidget *owner);

    // A fresh random source per generation (clock-seeded unless replaced).
    exercises::RandomFactory newRandom = practice::clockSeededUniform;
    // The text "cmdØvelse" made, once the window has closed; none when it was
    // closed without generating.
    const std::optional<QString> &generatedText() const { return m_generated; }

    QGroupBox *Frame1;
    std::array<QRadioButton *, practice::kExercise2Count> optØvelse{};
    QGroupBox *Frame2;
    QCheckBox *chkGrupper;
    QLineEdit *txtAntal;
    QLineEdit *txtTegn;
    QLabel *Label3;
    QPushButton *cmdØvelse;
    QPushButton *cmdLuk;

private:
    void optØvelse_Click(int index);
    void cmdØvelse_Click();

    std::optional<QString> m_generated;
};
