#include "exercises/frmOv3.h"

#include "program/ProgramInfo.h"
#include "engine/Morse.h"
#include "SecondaryWindow.h"
#include "Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kSlowFarnsworth = 10;     // about 25 characters per minute at 12 WPM

constexpr ui::TwipsSize kClientSize{6855, 3735};   // twips

} // namespace

frmOv3::frmOv3(Morse &morse, QWidget *owner) : QDialog(owner), m_morse(morse)
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, kClientSize);
    setWindowTitle(tr("Øvelser 3 "));

    // Created in tab order.
    Frame1 = new QGroupBox(tr("Vælg:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(ui::twipsRect(120, 120, 4935, 3495, this));
    Frame2 = new QGroupBox(tr("Info"), Frame1);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(ui::twipsRect(120, 240, 4695, 2535, this));
    txtInfo = new QPlainTextEdit(tr("Her beskrives den valgte øvelse"), Frame2);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setGeometry(ui::twipsRect(120, 240, 4455, 2175, this));
    // Replaced on every selection and never read back: the user may select and copy.
    txtInfo->setReadOnly(true);
    txtInfo->setTabChangesFocus(true);
    txtInfo->setAccessibleName(tr("Beskrivelse af øvelsen"));
    lblØvelse = new QLabel(tr("Øvelse:"), Frame1);
    lblØvelse->setObjectName(QStringLiteral("lblØvelse"));
    lblØvelse->setGeometry(ui::twipsRect(120, 3000, 735, 255, this));
    cboØvelser = new QComboBox(Frame1);
    cboØvelser->setObjectName(QStringLiteral("cboØvelser"));
    cboØvelser->setGeometry(ui::twipsRect(960, 2940, 1935, 315, this));
    cboØvelser->setMaxVisibleItems(practice::kCourseCount);
    lblØvelse->setBuddy(cboØvelser);
    exercises::addCommandButtons(*this, tr("&Dan Øvelse"), 5280, 240, cmdØvelse, cmdLuk);

    setTabOrder(txtInfo, cboØvelser);
    setTabOrder(cboØvelser, cmdØvelse);
    setTabOrder(cmdØvelse, cmdLuk);

    cboØvelser->clear();
    for (int p = 0; p < practice::kCourseCount; ++p)
        cboØvelser->addItem(practice::courseEntry(p));
    connect(cboØvelser, &QComboBox::currentIndexChanged, this, &frmOv3::cboØvelser_Click);
    cboØvelser->setCurrentIndex(0);
    cboØvelser_Click();

    ui::fitCaptions(*this);
    connect(cmdØvelse, &QPushButton::clicked, this, &frmOv3::cmdØvelse_Click);
}

QString frmOv3::description(int p)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = tr("Øvelse: %1").arg(p + 1);
    text += crlf + tr("Tegnhastighed: 60 tegn");
    text += QLatin1Char(',') + crlf + tr("Teksthastighed: %1").arg(practice::courseDescribedSpeed(p));
    text += QLatin1Char(',') + crlf + tr("Tekst: ") + QLatin1Char('"') + practice::courseSet(p)
            + QLatin1Char('"');
    if (!practice::courseNewest(p).isNull())
        text += QLatin1Char(',') + crlf + tr("2 indledende 5-grupper med det nyeste tegn");
    text += QLatin1Char('.');
    return text;
}

void frmOv3::cboØvelser_Click()
{
    const int p = cboØvelser->currentIndex();
    if (p < 0)
        return;
    // The text box breaks lines at LF alone.
    txtInfo->setPlainText(description(p).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

bool frmOv3::bekræft(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, tr("Indstillinger"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void frmOv3::cmdØvelse_Click()
{
    const int p = cboØvelser->currentIndex();
    if (p < 0)
        return;
    Settings &settings = m_morse.settings();

    // Each correction needs the user's consent; a Cancel ends here, keeping any
    // correction already made, and leaves the window open.
    if (settings.giWPM != practice::kCourseWpm) {
        if (!bekræft(tr("Tegnhastighed rettes til 60 pr minut.")))
            return;
        settings.giWPM = qint16(practice::kCourseWpm);
        // The new speed takes effect through a rebuild, where a sound buffer exists.
        // If the device fails now, the sound stays absent until it is built again;
        // the exercise is still made.
        if (m_morse.hasBuffer() && !m_morse.LavLyd()) {
            QMessageBox box(QMessageBox::Critical, program::title(), tr("Lydkort findes ikke."),
                            QMessageBox::Ok, this);
            box.exec();
        }
    }
    const int target = practice::courseFarnsworth(p);
    if (settings.giFarnsworth != target) {
        const QString text = target == kSlowFarnsworth
            ? tr("Teksthastighed rettes til ca. 25 tegn pr minut.")
            : tr("Teksthastighed rettes til ca. 30 tegn pr minut.");
        if (!bekræft(text))
            return;
        settings.giFarnsworth = qint16(target);
    }

    m_generated = practice::courseText(p, newRandom());
    accept();
}
