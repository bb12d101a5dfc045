#include "exercises/frmOrdQso.h"

#include "exercises/QsoText.h"
#include "exercises/WordLists.h"
#include "SecondaryWindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr ui::TwipsSize kClientSize{11400, 9400};   // "Modtagetræning" and a row of QSO

QStringList wordsOf(words::List list)
{
    QStringList out;
    for (QStringView w : words::list(list))
        out << w.toString();
    return out;
}

} // namespace

frmOrdQso::frmOrdQso(ItemPlayer player, int startWpm, QString historyPath, QWidget *owner)
    : QDialog(owner)
{
    ui::setupSecondaryWindow(*this, owner, kClientSize);
    setWindowTitle(tr("Ord og QSO"));
    std::vector<SpeedDrillPanel::Source> sources{
        {tr("Almindelige danske ord"), QStringLiteral("dansk"), wordsOf(words::List::Danish), {}},
        {tr("Almindelige engelske ord"), QStringLiteral("engelsk"), wordsOf(words::List::English), {}},
        {tr("CW-forkortelser"), QStringLiteral("forkortelser"), wordsOf(words::List::Abbreviations), {}},
        {tr("Q-koder"), QStringLiteral("q-koder"), wordsOf(words::List::QCodes), {}}};
    drill = new SpeedDrillPanel(SpeedDrillPanel::Kind::Words, std::move(sources),
                                std::move(player), startWpm, std::move(historyPath), this);

    auto *qsoBox = new QGroupBox(tr("QSO som øvetekst"), this);
    cboSprog = new QComboBox(qsoBox);
    cboSprog->addItem(tr("Dansk"));
    cboSprog->addItem(tr("Engelsk"));
    cboSprog->setObjectName(QStringLiteral("cboSprog"));
    cboSprog->setAccessibleName(tr("Sprog"));
    cboLængde = new QComboBox(qsoBox);
    cboLængde->addItem(tr("Kort (rapport og navn)"));
    cboLængde->addItem(tr("Mellem (også QTH)"));
    cboLængde->addItem(tr("Lang (også station og vejr)"));
    cboLængde->setCurrentIndex(1);
    cboLængde->setObjectName(QStringLiteral("cboLængde"));
    cboLængde->setAccessibleName(tr("Længde"));
    cmdQso = new QPushButton(tr("Lav &QSO"), qsoBox);
    cmdQso->setObjectName(QStringLiteral("cmdQso"));
    cmdQso->setAccessibleDescription(
        tr("Laver en QSO og lægger den i hovedvinduet, så den kan sendes med TX"));
    auto *qsoForm = new QFormLayout;
    qsoForm->addRow(tr("Spr&og:"), cboSprog);
    qsoForm->addRow(tr("Læ&ngde:"), cboLængde);
    auto *qsoRow = new QHBoxLayout(qsoBox);
    qsoRow->addLayout(qsoForm, 1);
    qsoRow->addWidget(cmdQso, 0, Qt::AlignBottom);

    auto *buttons = new QDialogButtonBox(this);
    cmdLuk = buttons->addButton(tr("&Luk"), QDialogButtonBox::RejectRole);
    cmdLuk->setObjectName(QStringLiteral("cmdLuk"));
    cmdLuk->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cmdQso, &QPushButton::clicked, this, &frmOrdQso::cmdQso_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(drill, 1);
    layout->addWidget(qsoBox);
    layout->addWidget(buttons);
    drill->cmdStart->setDefault(true);
    drill->cmdStart->setFocus();
}

void frmOrdQso::cmdQso_Click()
{
    if (drill->isRunning())
        return;
    m_generated = qso::generate(static_cast<qso::Language>(cboSprog->currentIndex()),
                                static_cast<qso::Length>(cboLængde->currentIndex()), newRandom());
    accept();
}

void frmOrdQso::reject()
{
    if (drill->isRunning()) {
        drill->cmdStop->click();
        return;
    }
    QDialog::reject();
}
