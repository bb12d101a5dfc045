#include "exercises/frmKaldesignal.h"

#include "exercises/Callsigns.h"
#include "SecondaryWindow.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr ui::TwipsSize kClientSize{11400, 8400};   // as "Modtagetræning"
}

frmKaldesignal::frmKaldesignal(ItemPlayer player, int startWpm, QString historyPath,
                               QWidget *owner)
    : QDialog(owner)
{
    ui::setupSecondaryWindow(*this, owner, kClientSize);
    setWindowTitle(tr("Kaldesignaltræning"));
    std::vector<SpeedDrillPanel::Source> sources{
        {tr("Tilfældige kaldesignaler"), QStringLiteral("kald"), {}, calls::generateCall}};
    drill = new SpeedDrillPanel(SpeedDrillPanel::Kind::Calls, std::move(sources),
                                std::move(player), startWpm, std::move(historyPath), this);
    auto *buttons = new QDialogButtonBox(this);
    cmdLuk = buttons->addButton(tr("&Luk"), QDialogButtonBox::RejectRole);
    cmdLuk->setObjectName(QStringLiteral("cmdLuk"));
    cmdLuk->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(drill, 1);
    layout->addWidget(buttons);
    drill->cmdStart->setDefault(true);
    drill->cmdStart->setFocus();
}

void frmKaldesignal::reject()
{
    if (drill->isRunning()) {
        drill->cmdStop->click();
        return;
    }
    QDialog::reject();
}
