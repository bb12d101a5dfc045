#pragma once
// The statistics per character "Statistik": accuracy over the last hundred times,
// trend, confusions and reaction time of every character heard, the weakest first;
// a chart of one character's accuracy over time; and groups of the weak characters.

#include "exercises/CharacterStats.h"
#include "exercises/ExerciseWindow.h"

#include <QDialog>

#include <optional>

class QChartView;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

class frmStatistik : public QDialog {
    Q_OBJECT
public:
    frmStatistik(QString statsPath, QWidget *owner);

    // The groups of "Øv svage tegn" once the window closed by it; nullopt otherwise.
    std::optional<QString> generatedText() const { return m_generated; }

    exercises::RandomFactory newRandom = practice::clockSeededUniform;

    QTableWidget *tblTegn;
    QChartView *chtTegn;
    QSpinBox *txtAntal;
    QPushButton *cmdØv;
    QPushButton *cmdLuk;
    QLabel *lblStatus;

    const std::vector<stats::Summary> &summaries() const { return m_summaries; }

private:
    void showCharacter(int row);
    void cmdØv_Click();

    std::vector<stats::Event> m_events;
    std::vector<stats::Summary> m_summaries;
    std::optional<QString> m_generated;
};
