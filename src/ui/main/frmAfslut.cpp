#include "ui/main/frmAfslut.h"

#include "app/ProgramInfo.h"

#include <QLabel>

frmAfslut::frmAfslut(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(program::title());
    auto *lblAfslut = new QLabel(tr("Programmet afsluttes!"), this);
    auto *label1 = new QLabel(tr("Vent et øjeblik..."), this);
    lblAfslut->setAlignment(Qt::AlignCenter);
    label1->setAlignment(Qt::AlignCenter);
}
