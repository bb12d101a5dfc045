#include "exercises/frm5grp.h"

#include "SecondaryWindow.h"
#include "Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr ui::TwipsSize kClientSize{7935, 1155};   // twips

} // namespace

frm5grp::frm5grp(QWidget *owner) : QDialog(owner)
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, kClientSize);
    setWindowTitle(tr("Dan 5-bogstavsgrupper"));

    // Created in tab order.
    exercises::addCommandButtons(*this, tr("&Dan grupper"), 6360, 120, cmdØvelse, cmdLuk);

    exercises::addGroupsFrame(*this,
                              {.frame = {135, 255, 6045, 720},
                               .count = {600, 270, 375, 285},
                               .label = {1035, 315, 1620, 195},
                               .characters = {2730, 285, 3240, 285}},
                              {Frame2, txtAntal, txtTegn, Label3});
    Label1 = new QLabel(tr("Dan"), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(ui::twipsRect(150, 330, 300, 195, this));

    setTabOrder(cmdØvelse, cmdLuk);
    setTabOrder(cmdLuk, txtAntal);
    setTabOrder(txtAntal, txtTegn);

    connect(cmdØvelse, &QPushButton::clicked, this, &frm5grp::cmdØvelse_Click);
    ui::fitCaptions(*this);
    cmdØvelse->setFocus();
}

void frm5grp::cmdØvelse_Click()
{
    const int n = exercises::checkedGroupCount(*this, txtAntal);
    if (n == 0)
        return;
    if (!exercises::checkCharacters(*this, txtTegn))
        return;
    m_generated = practice::groupText(txtTegn->text(), n, newRandom());
    accept();
}
