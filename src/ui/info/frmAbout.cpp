#include "info/frmAbout.h"

#include "program/ProgramInfo.h"
#include "Fonts.h"
#include "SecondaryWindow.h"
#include "Twips.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Layout in twips, top to bottom: notice, closing line, then version and button.
constexpr double kClientWidth = 5400;
constexpr double kClientHeight = 2880;
constexpr double kMargin = 240;
constexpr double kButtonWidth = 975;
constexpr double kButtonHeight = 375;

constexpr double kNoticeFontSize = 9;         // points, Arial
constexpr double kDescriptionFontSize = 15.75;
constexpr double kVersionFontSize = 11.25;

} // namespace

frmAbout::frmAbout(QWidget *owner) : QDialog(owner)
{
    ui::setupSecondaryWindow(*this, owner, {kClientWidth, kClientHeight});
    setFont(ui::layoutFont());
    const QString arial = QStringLiteral("Arial");
    const double innerWidth = kClientWidth - 2 * kMargin;

    Label1 = new QLabel(tr("Programmet træner dig i at tage morsetelegrafi (CW) ved øret. "
                           "Skriv eller dan en øvelsestekst, og lad programmet sende den "
                           "som morsetegn gennem lydkortet med den hastighed, tone og "
                           "lydstyrke, du selv vælger."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(ui::installedFont(arial, kNoticeFontSize));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(ui::twipsRect(kMargin, 240, innerWidth, 1080, owner));

    lblDescription = new QLabel(tr("God fornøjelse med træningen!"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setFont(ui::installedFont(arial, kDescriptionFontSize));
    lblDescription->setGeometry(ui::twipsRect(kMargin, 1440, innerWidth, 480, owner));

    lblVersion = new QLabel(tr("Version"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(ui::installedFont(arial, kVersionFontSize));
    lblVersion->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const double bottomRow = kClientHeight - kMargin - kButtonHeight;
    lblVersion->setGeometry(ui::twipsRect(kMargin, bottomRow, 2400, kButtonHeight, owner));

    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(ui::twipsRect(kClientWidth - kMargin - kButtonWidth, bottomRow,
                                     kButtonWidth, kButtonHeight, owner));
    // Default for Enter; Escape rejects the dialog, which closes it as well.
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    Form_Load();
    cmdOK->setFocus();
}

void frmAbout::Form_Load()
{
    setWindowTitle(tr("Om %1").arg(program::title()));
    lblVersion->setText(tr("Version %1").arg(program::versionText()));
}

void frmAbout::cmdOK_Click()
{
    accept();
}
