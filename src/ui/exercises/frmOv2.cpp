#include "exercises/frmOv2.h"

#include "SecondaryWindow.h"
#include "Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Option positions in Frame1, twips. Lessons on the left; on the right, the sum of
// the lessons up to the one beside it, from the second lesson on.
constexpr int kLeftColumn = 11;             // indexes 0..10
constexpr double kOptionHeight = 375, kOptionStep = 360;
constexpr double kLeftLeft = 240, kLeftTop = 360, kLeftWidth = 975;
constexpr double kRightLeft = 1320, kRightTop = 720;
constexpr double kRightWidth = 4335, kWideRightWidth = 4815;   // the latter from index 18
constexpr int kFirstWide = 18;

constexpr ui::TwipsSize kClientSize{8055, 5415};   // twips

} // namespace

frmOv2::frmOv2(QWidget *owner) : QDialog(owner)
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, kClientSize);
    setWindowTitle(tr("Øvelser 2"));

    Frame1 = new QGroupBox(tr("Vælg:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(ui::twipsRect(120, 120, 6255, 4455, this));
    for (int i = 0; i < practice::kExercise2Count; ++i) {
        // The caption is the character set itself, not a translatable word.
        auto *option = new QRadioButton(practice::exercise2Set(i), Frame1);
        const QRect r = i < kLeftColumn
            ? ui::twipsRect(kLeftLeft, kLeftTop + i * kOptionStep, kLeftWidth, kOptionHeight, this)
            : ui::twipsRect(kRightLeft, kRightTop + (i - kLeftColumn) * kOptionStep,
                            i < kFirstWide ? kRightWidth : kWideRightWidth, kOptionHeight, this);
        option->setGeometry(r);
        exercises::selectOnFocus(option, [this, i] { optØvelse_Click(i); });
        connect(option, &QRadioButton::clicked, this, [this, i] { optØvelse_Click(i); });
        option->setObjectName(QStringLiteral("optØvelse%1").arg(i));
        optØvelse[size_t(i)] = option;
    }

    exercises::addCommandButtons(*this, tr("&Dan Øvelse"), 6480, 4455, cmdØvelse, cmdLuk);

    // The frame reads as one sentence: Dan [count] Bestående af tegnene: [characters].
    exercises::addGroupsFrame(*this,
                              {.frame = {135, 4560, 6255, 735},
                               .count = {810, 270, 375, 285},
                               .label = {1245, 315, 1620, 195},
                               .characters = {2925, 270, 3240, 285}},
                              {Frame2, txtAntal, txtTegn, Label3});
    chkGrupper = new QCheckBox(tr("Dan"), Frame2);
    chkGrupper->setObjectName(QStringLiteral("chkGrupper"));
    chkGrupper->setAccessibleName(tr("Dan 5-bogstavsgrupper"));
    chkGrupper->setGeometry(ui::twipsRect(135, 285, 615, 255, this));

    for (int i = 1; i < practice::kExercise2Count; ++i)
        setTabOrder(optØvelse[size_t(i - 1)], optØvelse[size_t(i)]);
    setTabOrder(optØvelse.back(), chkGrupper);
    setTabOrder(chkGrupper, txtAntal);
    setTabOrder(txtAntal, txtTegn);
    setTabOrder(txtTegn, cmdØvelse);
    setTabOrder(cmdØvelse, cmdLuk);

    connect(cmdØvelse, &QPushButton::clicked, this, &frmOv2::cmdØvelse_Click);

    ui::fitCaptions(*this);
    // The first option takes the focus when the window opens, and with it the
    // selection: the window opens on "VLF", shown in the character box.
    optØvelse[0]->setFocus();
    optØvelse[0]->setChecked(true);
    optØvelse_Click(0);
}

void frmOv2::optØvelse_Click(int index)
{
    txtTegn->setText(optØvelse[size_t(index)]->text());
}

void frmOv2::cmdØvelse_Click()
{
    QString set;
    int index = 0;
    for (int i = 0; i < practice::kExercise2Count; ++i) {
        if (optØvelse[size_t(i)]->isChecked()) {
            set = practice::exercise2Set(i);
            index = i;
            break;
        }
    }

    QString text;
    if (chkGrupper->isChecked()) {
        // The count is read and checked only when groups are wanted.
        const int n = exercises::checkedGroupCount(*this, txtAntal);
        if (n == 0)
            return;
        if (!exercises::checkCharacters(*this, txtTegn))
            return;
        text = practice::groupText(txtTegn->text(), n, newRandom());
    } else {
        text = practice::exercise2Text(set, index, newRandom());
    }
    m_generated = text;
    accept();
}
