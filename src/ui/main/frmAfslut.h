#pragma once
// The closing notice shown while the program shuts down: the one modeless
// secondary window.

#include <QDialog>

class frmAfslut : public QDialog {
    Q_OBJECT
public:
    explicit frmAfslut(QWidget *owner = nullptr);
};
