#include "main/frmAfslut.h"

#include "program/ProgramInfo.h"
#include "Fonts.h"
#include "SecondaryWindow.h"
#include "Twips.h"

#include <QLabel>

namespace {

constexpr ui::TwipsSize kClientSize{4680, 1965};   // twips

} // namespace

frmAfslut::frmAfslut(QWidget *owner) : QDialog(owner)
{
    ui::setupSecondaryWindow(*this, owner, kClientSize);
    // Shown while the main window closes, without waiting for anything.
    setModal(false);
    setWindowModality(Qt::NonModal);
    setWindowTitle(program::title());

    auto *lblAfslut = new QLabel(tr("Programmet afsluttes!"), this);
    lblAfslut->setObjectName(QStringLiteral("lblAfslut"));
    lblAfslut->setFont(ui::installedFont(QStringLiteral("Arial"), 24));
    lblAfslut->setGeometry(ui::twipsRect(240, 120, 4215, 1215, owner));

    auto *label1 = new QLabel(tr("Vent et øjeblik..."), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setFont(ui::layoutFont(12, true));
    label1->setGeometry(ui::twipsRect(120, 1440, 4455, 375, owner));

    for (QLabel *l : {lblAfslut, label1})
        l->setAlignment(Qt::AlignCenter);
    // The notice is wider than its rectangle in the installed Arial stand-in; the
    // rectangle holds two lines of it.
    lblAfslut->setWordWrap(true);
}
