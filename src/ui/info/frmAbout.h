#pragma once
// The About box: program title in the caption, two fixed notices and the version.

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *owner);

private:
    void Form_Load();
    void cmdOK_Click();

    QLabel *Label1;
    QLabel *lblDescription;
    QLabel *lblVersion;
    QPushButton *cmdOK;
};
