#include "ui/info/frmCWTegn.h"

#include "engine/Morse.h"
#include "engine/constants.h"
#include "ui/Fonts.h"
#include "ui/SecondaryWindow.h"
#include "ui/Twips.h"

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
constexpr double kWindowFontSize = 8.25;    // points, MS Sans Serif

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

frmCWTegn::frmCWTegn(Morse &morse, QWidget *owner) : QDialog(owner), m_morse(morse)
{
    ui::setupSecondaryWindow(*this, owner, kClientWidth, kClientHeight);
    setWindowTitle(tr("Anvendte morsetegn"));
    setFont(ui::installedFont(QStringLiteral("MS Sans Serif"), kWindowFontSize));

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(ui::installedFont(QStringLiteral("Courier New"), kListFontSize, true));
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
    // The symbol source reads gsCWTekst: lend it the character list, then give the
    // text and the reading position back exactly as they were.
    const QString savedText = m_morse.gsCWTekst;
    const qsizetype savedTegnPos = m_morse.gvTegnPos;
    const qsizetype savedSymbolPos = m_morse.gvSymbolPos;
    const std::string_view savedTegn = m_morse.gscwtegn;
    const char savedSymbol = m_morse.gvSymbol;

    const QString &list = characterList();
    m_morse.gsCWTekst = list;
    List1->clear();
    for (qsizetype i = 0; i < list.size(); ++i) {
        m_morse.gscwtegn = {};
        m_morse.gvTegnPos = i;
        m_morse.gvSymbolPos = 0;
        char sym = 0;
        m_morse.HentSymbol(sym);   // loads the pattern of the token at i into gscwtegn

        QString token = list.mid(i, 1);
        if (token == QLatin1String("<"))
            token = list.mid(i, kProsignLength);
        const QString dots = ui::dotDashText(m_morse.gscwtegn);
        if (token.size() > 1)
            i += kProsignLength - 1;
        List1->addItem(token + QStringLiteral(": ") + dots);
    }

    m_morse.gsCWTekst = savedText;
    m_morse.gvTegnPos = savedTegnPos;
    m_morse.gvSymbolPos = savedSymbolPos;
    m_morse.gscwtegn = savedTegn;
    m_morse.gvSymbol = savedSymbol;
}

void frmCWTegn::cmdLuk_Click()
{
    accept();
}
