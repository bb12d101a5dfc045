#pragma once
// The first exercise window: one of 17 character sets (blocks of five for new
// characters, growing sets for revision) becomes a short practice text.

#include "exercises/ExerciseSets.h"
#include "exercises/ExerciseWindow.h"

#include <QDialog>

#include <array>
#include <optional>

class QGroupBox;
class QPushButton;
class QRadioButton;

class frmOv1 : public QDialog {
    Q_OBJECT
public:
    explicit frmOv1(QWidget *owner);

    // A fresh random source per generation (clock-seeded unless replaced).
    exercises::RandomFactory newRandom = practice::clockSeededUniform;
    // The text "cmdØvelse" made, once the window has closed; none when it was
    // closed without generating.
    const std::optional<QString> &generatedText() const { return m_generated; }

    QGroupBox *Frame1;
    std::array<QRadioButton *, practice::kExercise1Count> optØvelse{};
    QPushButton *cmdØvelse;
    QPushButton *cmdLuk;

private:
    void cmdØvelse_Click();

    std::optional<QString> m_generated;
};
