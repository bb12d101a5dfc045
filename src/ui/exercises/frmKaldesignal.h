#pragma once
// "Kaldesignaltræning": callsigns copied one at a time at a speed that follows the
// learner, made up from the prefix rules or taken from an imported list.

#include "exercises/SpeedDrillPanel.h"

#include <QDialog>

class QPushButton;

class frmKaldesignal : public QDialog {
    Q_OBJECT
public:
    frmKaldesignal(ItemPlayer player, int startWpm, QString historyPath, QWidget *owner);

    SpeedDrillPanel *drill;
    QPushButton *cmdLuk;

protected:
    // Escape and the close button end a running run first, as "Sto&p" does.
    void reject() override;
};
