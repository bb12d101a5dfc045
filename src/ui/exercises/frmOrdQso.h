#pragma once
// "Ord og QSO": words, abbreviations and Q-codes copied one at a time at a speed that
// follows the learner, and made-up contacts handed to the main window as a practice
// text.

#include "exercises/PracticeText.h"
#include "exercises/SpeedDrillPanel.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QPushButton;

class frmOrdQso : public QDialog {
    Q_OBJECT
public:
    frmOrdQso(ItemPlayer player, int startWpm, QString historyPath, QWidget *owner);

    // The contact made by "&Lav QSO", once the window has closed with it.
    const std::optional<QString> &generatedText() const { return m_generated; }

    std::function<practice::Uniform()> newRandom = practice::clockSeededUniform;

    SpeedDrillPanel *drill;
    QComboBox *cboSprog;
    QComboBox *cboLængde;
    QPushButton *cmdQso;
    QPushButton *cmdLuk;

protected:
    void reject() override;

private:
    void cmdQso_Click();

    std::optional<QString> m_generated;
};
