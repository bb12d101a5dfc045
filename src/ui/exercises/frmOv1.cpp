#include "exercises/frmOv1.h"

#include "SecondaryWindow.h"
#include "Twips.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Layout in twips. The right column starts level with the second option of the left.
constexpr double kOptionLeft = 240, kOptionTop = 360, kOptionStep = 360, kOptionHeight = 300;
constexpr double kLeftWidth = 1095, kRightLeft = 1440, kRightWidth = 5040;

constexpr ui::TwipsSize kClientSize{8415, 3960};   // twips

} // namespace

frmOv1::frmOv1(QWidget *owner) : QDialog(owner)
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, kClientSize);
    setWindowTitle(tr("Øvelser 1"));

    Frame1 = new QGroupBox(tr("Vælg:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(ui::twipsRect(120, 120, 6600, 3720, this));
    for (int i = 0; i < practice::kExercise1Count; ++i) {
        // The caption is the character set itself, not a translatable word.
        auto *option = new QRadioButton(practice::exercise1Set(i), Frame1);
        const bool left = i < practice::kExercise1Blocks;
        const int row = left ? i : i - practice::kExercise1Blocks + 1;
        option->setGeometry(ui::twipsRect(left ? kOptionLeft : kRightLeft,
                                          kOptionTop + row * kOptionStep,
                                          left ? kLeftWidth : kRightWidth, kOptionHeight, this));
        exercises::selectOnFocus(option, nullptr);
        option->setObjectName(QStringLiteral("optØvelse%1").arg(i));
        optØvelse[size_t(i)] = option;
    }
    exercises::addCommandButtons(*this, tr("&Dan Øvelse"), 6840, 2985, cmdØvelse, cmdLuk);

    for (int i = 1; i < practice::kExercise1Count; ++i)
        setTabOrder(optØvelse[size_t(i - 1)], optØvelse[size_t(i)]);
    setTabOrder(optØvelse.back(), cmdØvelse);
    setTabOrder(cmdØvelse, cmdLuk);

    connect(cmdØvelse, &QPushButton::clicked, this, &frmOv1::cmdØvelse_Click);

    ui::fitCaptions(*this);
    // The first option takes the focus when the window opens, and with it the selection.
    optØvelse[0]->setFocus();
    optØvelse[0]->setChecked(true);
}

void frmOv1::cmdØvelse_Click()
{
    int index = -1;
    for (int i = 0; i < practice::kExercise1Count && index < 0; ++i) {
        if (optØvelse[size_t(i)]->isChecked())
            index = i;
    }
    // One option is always selected; should none be, nothing is generated.
    if (index < 0)
        return;
    m_generated = practice::exercise1Text(index, newRandom());
    accept();
}
