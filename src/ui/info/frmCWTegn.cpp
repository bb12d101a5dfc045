#include "info/frmCWTegn.h"

#include "engine/MorseTable.h"
#include "engine/constants.h"
#include "Fonts.h"
#include "SecondaryWindow.h"
#include "Twips.h"

#include <QListWidget>
#include <QPushButton>

namespace {

// Layout in twips: the list fills the left, the button sits at the bottom right.
constexpr double kMargin = 120;
constexpr double kListWidth = 3720;
constexpr double kListHeight = 5160;
constexpr double kButtonWidth = 975;
constexpr double kButtonHeight = 375;
constexpr double kClientWidth = kMargin + kListWidth + kMargin + kButtonWidth + kMargin;
constexpr double kClientHeight = kMargin + kListHeight + kMargin;
constexpr double kListFontSize = 14.25;     // points, Courier New bold

constexpr int kProsignLength = 4;           // "<AR>"

} // namespace

namespace ui {

QString dotDashText(std::string_view pattern)
{
    QString text;
    for (char sym : pattern) {
        if (sym == morse::kSymDot)
            text += QLatin1Char('.');
        else if (sym == morse::kSymDash1)
            text += QLatin1Char('-');
    }
    return text;
}

} // namespace ui

const QString &frmCWTegn::characterList()
{
    static const QString list = QStringLiteral(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ"
        "1234567890"
        "=,.-?/:;$()\"_'"
        "ÉÜÑ!"
        "<CH><AR><BT><KA><KN><SK><HH><AS><SN>");
    return list;
}

frmCWTegn::frmCWTegn(QWidget *owner) : QDialog(owner)
{
    ui::setupSecondaryWindow(*this, owner, {kClientWidth, kClientHeight});
    setWindowTitle(tr("Anvendte morsetegn"));
    setFont(ui::layoutFont());

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setAccessibleName(tr("Tegn og morsekoder"));
    List1->setAccessibleDescription(tr("Hvert tegn, programmet kan sende, med prikker og streger."));
    List1->setFont(ui::fixedFont(kListFontSize, true));
    List1->setGeometry(ui::twipsRect(kMargin, kMargin, kListWidth, kListHeight, owner));

    cmdLuk = new QPushButton(tr("&Luk"), this);
    cmdLuk->setObjectName(QStringLiteral("cmdLuk"));
    cmdLuk->setGeometry(ui::twipsRect(kClientWidth - kMargin - kButtonWidth,
                                      kClientHeight - kMargin - kButtonHeight, kButtonWidth,
                                      kButtonHeight, owner));
    // Default button for Enter; Escape rejects the dialog, which closes it as well.
    cmdLuk->setDefault(true);
    connect(cmdLuk, &QPushButton::clicked, this, [this] { cmdLuk_Click(); });

    setTabOrder(cmdLuk, List1);
    Form_Load();
    cmdLuk->setFocus();
}

void frmCWTegn::Form_Load()
{
    // Each row shows the pattern the symbol source would send for its token: a
    // prosign "<AR>" is looked up by its two letters, as in a text.
    const QString &list = characterList();
    List1->clear();
    for (qsizetype i = 0; i < list.size(); ++i) {
        QString token = list.mid(i, 1);
        QStringView key = QStringView(list).mid(i, 1);
        if (token == QLatin1String("<")) {
            token = list.mid(i, kProsignLength);
            key = QStringView(list).mid(i + 1, 2);
            i += kProsignLength - 1;
        }
        List1->addItem(token + QStringLiteral(": ") + ui::dotDashText(morse::lookupPattern(key)));
    }
}

void frmCWTegn::cmdLuk_Click()
{
    accept();
}
