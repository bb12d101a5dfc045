#pragma once
// The five-letter group generator: a count of groups and the characters to draw
// them from, typed by the user; the text goes to the main window through generatedText().

#include "exercises/ExerciseWindow.h"

#include <QDialog>

#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frm5grp : public QDialog {
    Q_OBJECT
public:
    explicit frm5grp(QWidget *owner);

    // A fresh random source per generation (clock-seeded unless replaced).
    exercises::RandomFactory newRandom = practice::clockSeededUniform;
    // The text "cmdØvelse" made, once the window has closed; none when it was
    // closed without generating.
    const std::optional<QString> &generatedText() const { return m_generated; }

    QPushButton *cmdØvelse;
    QPushButton *cmdLuk;
    QGroupBox *Frame2;
    QLineEdit *txtAntal;
    QLineEdit *txtTegn;
    QLabel *Label3;
    QLabel *Label1;

private:
    void cmdØvelse_Click();

    std::optional<QString> m_generated;
};
