#include "settings/frmCW.h"

#include "FileProblem.h"

#include "program/ProgramInfo.h"
#include "engine/Morse.h"
#include "Fonts.h"
#include "SecondaryWindow.h"
#include "main/WindowSettings.h"
#include "Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace {

// The controls' ranges; stored values outside them are shown clamped.
constexpr int kWpmMin = 5;                 // words per minute
constexpr int kWpmMax = 60;
constexpr int kFarnsworthMin = 0;          // extra dot lengths after each character
constexpr int kFarnsworthMax = 20;
constexpr int kToneMin = 300;              // hertz
constexpr int kToneMax = 1500;
constexpr int kToneStep = 25;
constexpr int kVolumeMin = 0;              // peak sample amplitude
constexpr int kVolumeMax = 10000;
constexpr int kVolumeArrowStep = 1;
constexpr int kVolumePageStep = 1023;

constexpr double kClientWidth = 3735;      // twips
constexpr double kClientHeight = 3615;
constexpr double kLabelGap = 60;           // twips between a label and its value box

} // namespace

frmCW::frmCW(Morse &morse, settings::StoreOpener openStore, QWidget *owner)
    : QDialog(owner), m_morse(morse), m_openStore(std::move(openStore))
{
    ui::setupSecondaryWindow(*this, owner, {kClientWidth, kClientHeight});
    setWindowTitle(tr("CW indstillinger"));
    setFont(ui::layoutFont());

    const auto place = [owner](QWidget *w, const char *name, double left, double top,
                               double width, double height) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(ui::twipsRect(left, top, width, height, owner));
    };
    // A label may grow up to a small gap before its value box.
    const auto fitLabel = [owner](QLabel *label, double boxLeft) {
        ui::fitCaption(*label, ui::twipsToPixels(boxLeft - kLabelGap, owner));
    };
    const auto valueBox = [](QWidget *parent) {
        auto *box = new QLineEdit(parent);
        box->setReadOnly(true);
        return box;
    };

    Frame1 = new QGroupBox(tr("&Hastighed"), this);
    place(Frame1, "Frame1", 120, 120, 3495, 1815);
    Label6 = new QLabel(tr("Ord pr. minut (WPM):"), Frame1);
    place(Label6, "Label6", 120, 360, 1485, 195);
    txtWPM = valueBox(Frame1);
    place(txtWPM, "txtWPM", 2520, 360, 615, 285);
    UpDownWpm = new SpinButtons(txtWPM, kWpmMin, kWpmMax, 1, Frame1);
    place(UpDownWpm, "UpDownWpm", 3120, 360, 240, 285);
    Label1 = new QLabel(tr("Ekstra forsinkelse (Farnsworth):"), Frame1);
    place(Label1, "Label1", 120, 720, 2205, 195);
    txtFarnsworth = valueBox(Frame1);
    place(txtFarnsworth, "txtFarnsworth", 2520, 720, 615, 285);
    UpDownFarnsworth = new SpinButtons(txtFarnsworth, kFarnsworthMin, kFarnsworthMax, 1, Frame1);
    place(UpDownFarnsworth, "UpDownFarnsworth", 3120, 720, 240, 285);
    Label3 = new QLabel(tr("Reelt antal ord pr.minut (WPM):"), Frame1);
    place(Label3, "Label3", 120, 1080, 2220, 195);
    txtReelWPM = valueBox(Frame1);
    place(txtReelWPM, "txtReelWPM", 2520, 1080, 615, 285);
    Label4 = new QLabel(tr("Reelt antal tegn pr.minut (CPM):"), Frame1);
    place(Label4, "Label4", 120, 1440, 2250, 195);
    txtReelCPM = valueBox(Frame1);
    place(txtReelCPM, "txtReelCPM", 2520, 1440, 615, 285);

    Frame3 = new QGroupBox(tr("&Lyd"), this);
    place(Frame3, "Frame3", 120, 2040, 2415, 1455);
    Label7 = new QLabel(tr("&Tone:"), Frame3);
    place(Label7, "Label7", 240, 360, 420, 195);
    txtTone = valueBox(Frame3);
    place(txtTone, "txtTone", 1320, 360, 615, 285);
    Label7->setBuddy(txtTone);
    UpDown2 = new SpinButtons(txtTone, kToneMin, kToneMax, kToneStep, Frame3);
    place(UpDown2, "UpDown2", 1935, 360, 240, 285);
    Label11 = new QLabel(tr("Min    Volume   Max"), Frame3);
    Label11->setAlignment(Qt::AlignCenter);
    place(Label11, "Label11", 240, 840, 1905, 195);
    HScroll1 = new QScrollBar(Qt::Horizontal, Frame3);
    HScroll1->setRange(kVolumeMin, kVolumeMax);
    HScroll1->setSingleStep(kVolumeArrowStep);
    HScroll1->setPageStep(kVolumePageStep);
    HScroll1->setFocusPolicy(Qt::StrongFocus);
    place(HScroll1, "HScroll1", 240, 1080, 1935, 255);

    cmdOK = new QPushButton(tr("&OK"), this);
    place(cmdOK, "cmdOK", 2640, 2640, 975, 375);
    cmdOK->setDefault(true);
    cmdAnnuller = new QPushButton(tr("Annuller"), this);
    place(cmdAnnuller, "cmdAnnuller", 2640, 3120, 975, 375);

    for (QLabel *label : {Label6, Label1, Label3, Label4})
        fitLabel(label, 2520);
    fitLabel(Label7, 1320);

    // Each value box is named by its label; without one Qt would name them all after
    // their frame ("Hastighed", "Lyd").
    Label6->setBuddy(txtWPM);
    Label1->setBuddy(txtFarnsworth);
    Label3->setBuddy(txtReelWPM);
    Label4->setBuddy(txtReelCPM);
    UpDownWpm->setAccessibleName(tr("Skift ord pr. minut"));
    UpDownFarnsworth->setAccessibleName(tr("Skift ekstra forsinkelse"));
    UpDown2->setAccessibleName(tr("Skift tone"));
    HScroll1->setAccessibleName(tr("Lydstyrke"));
    HScroll1->setAccessibleDescription(
        tr("Fra min til max. Pil venstre og højre ændrer lidt, Page Up og Page Down meget."));

    // The window's tab order; labels and frames take no focus.
    QWidget *order[] = {txtWPM, UpDownWpm, txtFarnsworth, UpDownFarnsworth, txtReelWPM,
                        txtTone, UpDown2, HScroll1, cmdOK, cmdAnnuller, txtReelCPM};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(UpDownWpm, &SpinButtons::valueChanged, this, [this] { UpDownWpm_Change(); });
    connect(UpDownFarnsworth, &SpinButtons::valueChanged, this,
            [this] { UpDownFarnsworth_Change(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    // Escape and the close box reject() as Annuller does: nothing is assigned.
    connect(cmdAnnuller, &QPushButton::clicked, this, [this] { cmdAnnuller_Click(); });

    Form_Load();
    txtWPM->setFocus();
}

void frmCW::Form_Load()
{
    const Settings &s = m_morse.settings();
    txtWPM->setText(settings::integerText(std::clamp<int>(s.giWPM, kWpmMin, kWpmMax)));
    txtTone->setText(settings::integerText(std::clamp<int>(s.giTone, kToneMin, kToneMax)));
    HScroll1->setValue(std::clamp<int>(s.glVolume, kVolumeMin, kVolumeMax));
    txtFarnsworth->setText(
        settings::integerText(std::clamp<int>(s.giFarnsworth, kFarnsworthMin, kFarnsworthMax)));
    BeregnHastighed();
}

void frmCW::BeregnHastighed()
{
    const std::optional<settings::RealSpeed> speed =
        settings::realSpeed(txtWPM->text(), txtFarnsworth->text());
    txtReelCPM->setText(speed ? settings::integerText(speed->cpm) : QString());
    txtReelWPM->setText(speed ? settings::integerText(speed->wpm) : QString());
}

void frmCW::UpDownWpm_Change()
{
    BeregnHastighed();
}

void frmCW::UpDownFarnsworth_Change()
{
    BeregnHastighed();
}

void frmCW::cmdOK_Click()
{
    Settings &s = m_morse.settings();
    const int newW = UpDownWpm->value();
    const int newTone = UpDown2->value();
    const int newVol = HScroll1->value();
    if (newW != s.giWPM || newTone != s.giTone || newVol != s.glVolume) {
        s.giWPM = static_cast<qint16>(newW);
        s.giTone = static_cast<qint16>(newTone);
        s.glVolume = newVol;
        // Without a buffer the new values take effect when the sound is next built.
        if (m_morse.hasBuffer() && !m_morse.LavLyd())
            QMessageBox::critical(this, program::title(), tr("Lydkort findes ikke."));
    }
    // The spacing is read by the symbol source on every symbol: no rebuild.
    const int newF = UpDownFarnsworth->value();
    if (newF != s.giFarnsworth)
        s.giFarnsworth = static_cast<qint16>(newF);

    // The whole "CW" section is written on every OK, changed or not.
    const std::unique_ptr<settings::Store> store = m_openStore ? m_openStore() : nullptr;
    if (!store || !settings::saveSendingSettings(*store, s))
        QMessageBox::warning(this, program::title(),
                             FileProblem::withReason(tr("Indstillingerne kunne ikke gemmes."),
                                                     store ? store->writeResult() : FileResult()));
    accept();
}

void frmCW::cmdAnnuller_Click()
{
    reject();
}
