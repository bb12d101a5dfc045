#include "exercises/ExerciseWindow.h"

#include "engine/Cp1252.h"
#include "engine/MorseTable.h"
#include "Fonts.h"
#include "KeyFilter.h"
#include "Twips.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace exercises {
namespace {

// Watches one option button for the focus and selects it.
class FocusSelects : public QObject {
public:
    FocusSelects(QRadioButton *button, std::function<void()> click)
        : QObject(button), m_button(button), m_click(std::move(click))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_button && event->type() == QEvent::FocusIn && !m_button->isChecked()) {
            m_button->setChecked(true);
            if (m_click)
                m_click();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QRadioButton *m_button;
    std::function<void()> m_click;
};

} // namespace

int checkedGroupCount(QWidget &window, QLineEdit *txtAntal)
{
    const int n = practice::readCount(txtAntal->text());
    if (n >= practice::kMinGroupCount && n <= practice::kMaxGroupCount)
        return n;
    QMessageBox box(QMessageBox::Information, QObject::tr("5 bogstavsgrupper"),
                    QObject::tr("Antal skal være mellem 1 og 300"), QMessageBox::Ok, &window);
    box.exec();
    txtAntal->setFocus();
    return 0;
}

void applyLayoutFont(QWidget &window)
{
    window.setFont(ui::layoutFont());
}

void selectOnFocus(QRadioButton *button, std::function<void()> click)
{
    button->installEventFilter(new FocusSelects(button, std::move(click)));
}

bool hasSendableCharacter(QStringView set)
{
    return std::any_of(set.begin(), set.end(), [](QChar c) {
        const QChar sent = cp1252::upper(c);
        return sent != u' ' && !morse::lookupPattern(QStringView(&sent, 1)).empty();
    });
}

bool checkCharacters(QDialog &window, QLineEdit *txtTegn)
{
    if (hasSendableCharacter(txtTegn->text()))
        return true;
    QMessageBox box(QMessageBox::Information, QObject::tr("5 bogstavsgrupper"),
                    QObject::tr("Der er ingen tegn at danne grupper af. Skriv tegnene i feltet "
                                "\"Bestående af tegnene\"."),
                    QMessageBox::Ok, &window);
    box.exec();
    txtTegn->setFocus();
    return false;
}

void addCommandButtons(QDialog &window, const QString &caption, double left, double top,
                       QPushButton *&cmdØvelse, QPushButton *&cmdLuk)
{
    constexpr double kWidth = 1455, kHeight = 375, kStep = 480;
    cmdØvelse = new QPushButton(caption, &window);
    cmdØvelse->setObjectName(QStringLiteral("cmdØvelse"));
    cmdØvelse->setGeometry(ui::twipsRect(left, top, kWidth, kHeight, &window));
    cmdØvelse->setDefault(true);
    cmdLuk = new QPushButton(QObject::tr("&Luk"), &window);
    cmdLuk->setObjectName(QStringLiteral("cmdLuk"));
    cmdLuk->setGeometry(ui::twipsRect(left, top + kStep, kWidth, kHeight, &window));
    QObject::connect(cmdLuk, &QPushButton::clicked, &window, &QDialog::reject);
}

void addGroupsFrame(QDialog &window, const GroupsFrameLayout &twips, GroupsFrame f)
{
    const auto place = [&window](QWidget *w, const char *name, const TwipsRect &r) {
        w->setObjectName(QString::fromUtf8(name));
        w->setGeometry(ui::twipsRect(r.left, r.top, r.width, r.height, &window));
    };
    f.Frame2 = new QGroupBox(QObject::tr("5-bogstavsgrupper"), &window);
    place(f.Frame2, "Frame2", twips.frame);
    f.txtAntal = new QLineEdit(QStringLiteral("20"), f.Frame2);
    place(f.txtAntal, "txtAntal", twips.count);
    f.txtAntal->setMaxLength(kCountBoxLength);
    f.txtTegn = new QLineEdit(f.Frame2);
    place(f.txtTegn, "txtTegn", twips.characters);
    f.Label3 = new QLabel(QObject::tr("Bestående af tegnene:"), f.Frame2);
    place(f.Label3, "Label3", twips.label);
    f.Label3->setBuddy(f.txtTegn);
    f.txtAntal->setAccessibleName(QObject::tr("Antal grupper"));
    f.txtTegn->setAccessibleDescription(QObject::tr("Grupperne dannes af disse tegn."));
    ui::installKeyFilter(f.txtAntal, kCountAccepted.toString(), false);
    ui::installKeyFilter(f.txtTegn, kCharactersAccepted.toString(), true);
}

} // namespace exercises
