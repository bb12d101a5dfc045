#include "exercises/frm5grp.h"

#include "engine/Morse.h"
#include "ui/KeyFilter.h"
#include "ui/SecondaryWindow.h"
#include "ui/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

frm5grp::frm5grp(Morse &morse, QWidget *owner) : QDialog(owner), m_morse(morse)
{
    exercises::applyDesignFont(*this);
    ui::setupSecondaryWindow(*this, owner, 7935, 1155);
    setWindowTitle(tr("Dan 5-bogstavsgrupper"));

    // Created in tab order.
    cmdØvelse = new QPushButton(tr("&Dan grupper"), this);
    cmdØvelse->setObjectName(QStringLiteral("cmdØvelse"));
    cmdØvelse->setGeometry(ui::twipsRect(6360, 120, 1455, 375, this));
    cmdØvelse->setDefault(true);
    cmdLuk = new QPushButton(tr("&Luk"), this);
    cmdLuk->setObjectName(QStringLiteral("cmdLuk"));
    cmdLuk->setGeometry(ui::twipsRect(6360, 600, 1455, 375, this));

    Frame2 = new QGroupBox(tr("5-bogstavsgrupper"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(ui::twipsRect(135, 255, 6045, 720, this));
    txtAntal = new QLineEdit(QStringLiteral("20"), Frame2);
    txtAntal->setObjectName(QStringLiteral("txtAntal"));
    txtAntal->setGeometry(ui::twipsRect(600, 270, 375, 285, this));
    txtAntal->setMaxLength(exercises::kCountBoxLength);
    txtTegn = new QLineEdit(Frame2);
    txtTegn->setObjectName(QStringLiteral("txtTegn"));
    txtTegn->setGeometry(ui::twipsRect(2730, 285, 3240, 285, this));
    Label3 = new QLabel(tr("Bestående af tegnene:"), Frame2);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(ui::twipsRect(1035, 315, 1620, 195, this));
    Label1 = new QLabel(tr("Dan"), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(ui::twipsRect(150, 330, 300, 195, this));

    setTabOrder(cmdØvelse, cmdLuk);
    setTabOrder(cmdLuk, txtAntal);
    setTabOrder(txtAntal, txtTegn);

    ui::installKeyFilter(txtAntal, exercises::kCountAccepted.toString(), false);
    ui::installKeyFilter(txtTegn, exercises::kCharactersAccepted.toString(), true);

    connect(cmdØvelse, &QPushButton::clicked, this, &frm5grp::cmdØvelse_Click);
    connect(cmdLuk, &QPushButton::clicked, this, &QDialog::reject);
    exercises::fitCaptions(*this);
    cmdØvelse->setFocus();
}

void frm5grp::cmdØvelse_Click()
{
    const int n = practice::readCount(txtAntal->text());
    if (n < practice::kMinGroupCount || n > practice::kMaxGroupCount) {
        QMessageBox box(QMessageBox::Information, tr("5 bogstavsgrupper"),
                        tr("Antal skal være mellem 1 og 300"), QMessageBox::Ok, this);
        runMessageBox(box);
        txtAntal->setFocus();
        return;
    }
    m_morse.gsCWTekst = practice::groupText(txtTegn->text(), n, newRandom());
    accept();
}
