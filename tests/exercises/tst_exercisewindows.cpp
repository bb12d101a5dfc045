// The four exercise windows, offscreen, on a Morse engine with a simulated device:
// closing without a change, the text they generate and hand back, the option focus
// rule, the key filters, the count check and the speed corrections of the course
// window.

#include "support/ModalDriver.h"
#include "support/SoundSamples.h"
#include "support/TextLayout.h"
#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "exercises/ExerciseSets.h"
#include "exercises/frm5grp.h"
#include "exercises/frmOv1.h"
#include "exercises/frmOv2.h"
#include "exercises/frmOv3.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace practice;

namespace {

constexpr quint64 kSeed = 42;

struct Rig {
    Settings settings;
    SimulatedSoundDevice *device;
    Morse morse;
    QWidget owner;

    explicit Rig(int wpm = 20, int farnsworth = 0, bool openDevice = true)
        : device(new SimulatedSoundDevice), morse(settings, std::unique_ptr<SoundDevice>(device))
    {
        settings = soundtest::soundSettings(wpm, 800, 10000, farnsworth);
        if (openDevice)
            morse.LavLyd();
    }
};

exercises::RandomFactory fixedSeed(quint64 seed = kSeed)
{
    return [seed] { return seededUniform(seed); };
}

enum class Window { Ov1, Ov2, Ov3, Grp5 };

std::unique_ptr<QDialog> makeWindow(Window which, Morse &morse, QWidget *owner)
{
    switch (which) {
    case Window::Ov1: return std::make_unique<frmOv1>(owner);
    case Window::Ov2: return std::make_unique<frmOv2>(owner);
    case Window::Ov3: return std::make_unique<frmOv3>(morse, owner);
    case Window::Grp5: return std::make_unique<frm5grp>(owner);
    }
    return nullptr;
}

// The text an exercise window hands back once closed; none when it made none.
std::optional<QString> generatedBy(const QDialog &w)
{
    if (auto *ov1 = qobject_cast<const frmOv1 *>(&w))
        return ov1->generatedText();
    if (auto *ov2 = qobject_cast<const frmOv2 *>(&w))
        return ov2->generatedText();
    if (auto *ov3 = qobject_cast<const frmOv3 *>(&w))
        return ov3->generatedText();
    if (auto *grp5 = qobject_cast<const frm5grp *>(&w))
        return grp5->generatedText();
    return std::nullopt;
}

void showActive(QWidget &w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

} // namespace

Q_DECLARE_METATYPE(Window)

class ExerciseWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void closingKeepsText_data();
    void closingKeepsText();
    void ov1Generates_data();
    void ov1Generates();
    void ov1EnterPressesDefault();
    void ov2OpensOnFirstOption();
    void ov2FocusSelects();
    void ov2Generates();
    void ov2CountChecked();
    void keyFilters_data();
    void keyFilters();
    void grp5Count_data();
    void grp5Count();
    void grp5ClockSeedsDiffer();
    void ov3Opens();
    void ov3Description_data();
    void ov3Description();
    void ov3SpeedCorrection_data();
    void ov3SpeedCorrection();
    void ov3CancelThenAgain();
};

void ExerciseWindowsTest::closingKeepsText_data()
{
    QTest::addColumn<Window>("which");
    QTest::addColumn<int>("way");   // 0: "&Luk", 1: Escape, 2: the close box
    const std::pair<Window, const char *> windows[] = {
        {Window::Ov1, "Øvelser 1"}, {Window::Ov2, "Øvelser 2"},
        {Window::Ov3, "Øvelser 3"}, {Window::Grp5, "5-bogstavsgrupper"}};
    for (const auto &[which, name] : windows) {
        QTest::addRow("%s, Luk", name) << which << 0;
        QTest::addRow("%s, Escape", name) << which << 1;
        QTest::addRow("%s, close box", name) << which << 2;
    }
}

void ExerciseWindowsTest::closingKeepsText()
{
    QFETCH(Window, which);
    QFETCH(int, way);
    Rig rig(20, 3);
    auto w = makeWindow(which, rig.morse, &rig.owner);
    showActive(*w);
    // Typing in a box first changes nothing either.
    if (auto *tegn = w->findChild<QLineEdit *>(QStringLiteral("txtTegn")))
        QTest::keyClicks(tegn, QStringLiteral("xyz"));
    if (way == 0)
        w->findChild<QPushButton *>(QStringLiteral("cmdLuk"))->click();
    else if (way == 1)
        QTest::keyClick(w.get(), Qt::Key_Escape);
    else
        w->close();
    QCOMPARE(w->result(), int(QDialog::Rejected));
    QVERIFY(!w->isVisible());
    QVERIFY(!generatedBy(*w));
    QCOMPARE(rig.settings.giWPM, qint16(20));
    QCOMPARE(rig.settings.giFarnsworth, qint16(3));
}

void ExerciseWindowsTest::ov1Generates_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("first block, preselected") << 0;
    QTest::newRow("punctuation block") << 6;
    QTest::newRow("last block") << 8;
    QTest::newRow("first growing set") << 9;
    QTest::newRow("last growing set") << 16;
}

void ExerciseWindowsTest::ov1Generates()
{
    QFETCH(int, index);
    Rig rig;
    frmOv1 w(&rig.owner);
    w.newRandom = fixedSeed();
    QVERIFY(w.optØvelse[0]->isChecked());
    w.optØvelse[size_t(index)]->click();
    for (int i = 0; i < kExercise1Count; ++i)
        QCOMPARE(w.optØvelse[size_t(i)]->isChecked(), i == index);
    w.cmdØvelse->click();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(w.generatedText(), exercise1Text(index, seededUniform(kSeed)));
}

void ExerciseWindowsTest::ov1EnterPressesDefault()
{
    Rig rig;
    frmOv1 w(&rig.owner);
    w.newRandom = fixedSeed();
    showActive(w);
    QCOMPARE(QApplication::focusWidget(), w.optØvelse[0]);
    QTest::keyClick(w.optØvelse[0], Qt::Key_Return);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(w.generatedText(), exercise1Text(0, seededUniform(kSeed)));
}

void ExerciseWindowsTest::ov2OpensOnFirstOption()
{
    Rig rig;
    frmOv2 w(&rig.owner);
    QVERIFY(w.optØvelse[0]->isChecked());
    QCOMPARE(w.txtTegn->text(), QStringLiteral("VLF"));
    QCOMPARE(w.txtAntal->text(), QStringLiteral("20"));
    QVERIFY(!w.chkGrupper->isChecked());
    QCOMPARE(w.focusWidget(), w.optØvelse[0]);
    for (int i = 0; i < kExercise2Count; ++i)
        QCOMPARE(w.optØvelse[size_t(i)]->text(), exercise2Set(i));
}

void ExerciseWindowsTest::ov2FocusSelects()
{
    Rig rig;
    frmOv2 w(&rig.owner);
    showActive(w);
    QVERIFY(w.optØvelse[0]->hasFocus());
    // An arrow key moves the focus, and the focus selects and fills the box.
    QTest::keyClick(w.optØvelse[0], Qt::Key_Down);
    QVERIFY(w.optØvelse[1]->isChecked());
    QCOMPARE(w.txtTegn->text(), QStringLiteral("MIR"));
    // Focus given any other way selects too.
    w.optØvelse[13]->setFocus(Qt::TabFocusReason);
    QVERIFY(w.optØvelse[13]->isChecked());
    QVERIFY(!w.optØvelse[1]->isChecked());
    QCOMPARE(w.txtTegn->text(), QStringLiteral("VLFMIRSDWANOCT"));
    // Clicking the selected option again overwrites an edit of the box.
    w.txtTegn->setText(QStringLiteral("ABC"));
    w.optØvelse[13]->click();
    QCOMPARE(w.txtTegn->text(), QStringLiteral("VLFMIRSDWANOCT"));
}

void ExerciseWindowsTest::ov2Generates()
{
    {
        // Without groups the option's set is used, whatever the boxes hold.
        Rig rig;
        frmOv2 w(&rig.owner);
        w.newRandom = fixedSeed();
        w.optØvelse[11]->click();
        w.txtTegn->setText(QStringLiteral("XYZ"));
        w.txtAntal->setText(QStringLiteral("0"));
        w.cmdØvelse->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.generatedText(), exercise2Text(u"VLFMIR", 11, seededUniform(kSeed)));
    }
    {
        // With groups: the count and the characters of the boxes, as the group window.
        Rig rig;
        frmOv2 w(&rig.owner);
        w.newRandom = fixedSeed();
        w.optØvelse[12]->click();
        w.txtTegn->setText(QStringLiteral("VLF"));
        w.chkGrupper->click();
        w.cmdØvelse->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.generatedText(), groupText(u"VLF", 20, seededUniform(kSeed)));
        QCOMPARE(linesOf(w.generatedText().value_or(QString())).size(), 2 + 4 + 1 + 1);
    }
}

void ExerciseWindowsTest::ov2CountChecked()
{
    Rig rig;
    frmOv2 w(&rig.owner);
    ModalDriver boxes(ModalDriver::AnswerEveryMessage);
    w.chkGrupper->setChecked(true);
    w.txtAntal->setText(QStringLiteral("0"));
    w.cmdØvelse->setFocus();
    w.cmdØvelse->click();
    QCOMPARE(boxes.messages, QStringList{QStringLiteral("Antal skal være mellem 1 og 300")});
    QCOMPARE(boxes.titles[0], QStringLiteral("5 bogstavsgrupper"));
    QCOMPARE(boxes.icons[0], QMessageBox::Information);
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(w.focusWidget(), w.txtAntal);
    QVERIFY(!w.generatedText());
}

void ExerciseWindowsTest::keyFilters_data()
{
    QTest::addColumn<Window>("which");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    for (Window which : {Window::Grp5, Window::Ov2}) {
        const char *name = which == Window::Grp5 ? "5grp" : "Ov2";
        QTest::addRow("%s: count takes digits only", name) << which << "txtAntal" << "1a2" << "12";
        QTest::addRow("%s: count holds 3 characters", name) << which << "txtAntal" << "1234" << "123";
        QTest::addRow("%s: backspace in the count", name) << which << "txtAntal" << "12\b" << "1";
        QTest::addRow("%s: letters upper-cased", name) << which << "txtTegn" << "abcæøå" << "ABCÆØÅ";
        QTest::addRow("%s: signs of the list", name)
            << which << "txtTegn" << " /?,.-:()=09" << " /?,.-:()=09";
        QTest::addRow("%s: characters without a code dropped", name)
            << which << "txtTegn" << "A#<B>" << "AB";
        QTest::addRow("%s: other characters dropped", name) << which << "txtTegn" << "é!;*_q" << "Q";
        QTest::addRow("%s: backspace in the characters", name) << which << "txtTegn" << "ab\b" << "A";
    }
}

void ExerciseWindowsTest::keyFilters()
{
    QFETCH(Window, which);
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Rig rig;
    auto w = makeWindow(which, rig.morse, &rig.owner);
    showActive(*w);
    auto *edit = w->findChild<QLineEdit *>(box);
    edit->clear();
    edit->setFocus();
    for (QChar c : typed) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }
    QCOMPARE(edit->text(), shown);
}

void ExerciseWindowsTest::grp5Count_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("groups");      // 0: refused with the message
    QTest::newRow("7") << "7" << 7;
    QTest::newRow("5") << "5" << 5;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("300") << "300" << 300;
    QTest::newRow("pasted 12x reads 12") << "12x" << 12;
    QTest::newRow("301") << "301" << 0;
    QTest::newRow("999") << "999" << 0;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("pasted letter") << "x" << 0;
}

void ExerciseWindowsTest::grp5Count()
{
    QFETCH(QString, count);
    QFETCH(int, groups);
    Rig rig;
    frm5grp w(&rig.owner);
    QCOMPARE(w.focusWidget(), w.cmdØvelse);
    QCOMPARE(w.txtAntal->text(), QStringLiteral("20"));
    QVERIFY(w.txtTegn->text().isEmpty());
    w.newRandom = fixedSeed();
    ModalDriver boxes(ModalDriver::AnswerEveryMessage);
    w.txtAntal->setText(count);
    w.txtTegn->setText(QStringLiteral("AB"));
    w.cmdØvelse->click();
    if (groups > 0) {
        QVERIFY(boxes.messages.isEmpty());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.generatedText(), groupText(u"AB", groups, seededUniform(kSeed)));
    } else {
        QCOMPARE(boxes.messages, QStringList{QStringLiteral("Antal skal være mellem 1 og 300")});
        QCOMPARE(boxes.titles[0], QStringLiteral("5 bogstavsgrupper"));
        QCOMPARE(boxes.icons[0], QMessageBox::Information);
        QCOMPARE(boxes.buttons[0], QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(w.focusWidget(), w.txtAntal);
        QVERIFY(!w.generatedText());
    }
}

void ExerciseWindowsTest::grp5ClockSeedsDiffer()
{
    // Two generations right after each other with the program's own seeding.
    QStringList texts;
    for (int i = 0; i < 2; ++i) {
        Rig rig;
        frm5grp w(&rig.owner);
        w.txtTegn->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
        w.cmdØvelse->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        texts << w.generatedText().value_or(QString());
    }
    QVERIFY(texts[0] != texts[1]);
}

void ExerciseWindowsTest::ov3Opens()
{
    Rig rig;
    frmOv3 w(rig.morse, &rig.owner);
    QCOMPARE(w.cboØvelser->count(), kCourseCount);
    QVERIFY(!w.cboØvelser->isEditable());
    for (int p = 0; p < kCourseCount; ++p)
        QCOMPARE(w.cboØvelser->itemText(p), courseEntry(p));
    QCOMPARE(w.cboØvelser->currentIndex(), 0);
    QCOMPARE(w.txtInfo->toPlainText(), frmOv3::description(0).replace("\r\n", "\n"));
    w.cboØvelser->setCurrentIndex(28);
    QCOMPARE(w.txtInfo->toPlainText(), frmOv3::description(28).replace("\r\n", "\n"));
    QVERIFY(!w.generatedText());
}

void ExerciseWindowsTest::ov3Description_data()
{
    QTest::addColumn<int>("p");
    QTest::addColumn<QString>("text");
    QTest::newRow("exercise 1") << 0
        << "Øvelse: 1\r\nTegnhastighed: 60 tegn,\r\nTeksthastighed: 25,\r\nTekst: \"JW\".";
    QTest::newRow("exercise 2") << 1
        << "Øvelse: 2\r\nTegnhastighed: 60 tegn,\r\nTeksthastighed: 25,\r\nTekst: \"JWL\",\r\n"
           "2 indledende 5-grupper med det nyeste tegn.";
    QTest::newRow("exercise 13") << 12
        << "Øvelse: 13\r\nTegnhastighed: 60 tegn,\r\nTeksthastighed: 30,\r\n"
           "Tekst: \"JWLDHTPUZØRVIY\",\r\n2 indledende 5-grupper med det nyeste tegn.";
    QTest::newRow("exercise 29") << 28
        << "Øvelse: 29\r\nTegnhastighed: 60 tegn,\r\nTeksthastighed: 30,\r\nTekst: \"1234567890\".";
    QTest::newRow("exercise 30") << 29
        << "Øvelse: 30\r\nTegnhastighed: 60 tegn,\r\nTeksthastighed: 30,\r\nTekst: \",./=?-\".";
}

void ExerciseWindowsTest::ov3Description()
{
    QFETCH(int, p);
    QFETCH(QString, text);
    QCOMPARE(frmOv3::description(p), text);
}

void ExerciseWindowsTest::ov3SpeedCorrection_data()
{
    QTest::addColumn<int>("p");
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("farnsworth");
    QTest::addColumn<int>("device");        // 0: no buffer, 1: buffer, 2: rebuild fails
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<int>("wpmAfter");
    QTest::addColumn<int>("farnsworthAfter");
    QTest::addColumn<bool>("rebuilt");
    QTest::addColumn<bool>("generated");
    const int ok = QMessageBox::Ok;
    const int cancel = QMessageBox::Cancel;
    const QString speed = QStringLiteral("Tegnhastighed rettes til 60 pr minut.");
    const QString slow = QStringLiteral("Teksthastighed rettes til ca. 25 tegn pr minut.");
    const QString fast = QStringLiteral("Teksthastighed rettes til ca. 30 tegn pr minut.");
    QTest::newRow("already at target: no box")
        << 0 << 12 << 10 << 1 << QList<int>{} << QStringList{} << 12 << 10 << false << true;
    QTest::newRow("cancel the speed")
        << 0 << 20 << 0 << 1 << QList<int>{cancel} << QStringList{speed} << 20 << 0 << false << false;
    QTest::newRow("speed OK, spacing cancelled")
        << 0 << 20 << 0 << 1 << QList<int>{ok, cancel} << QStringList{speed, slow} << 12 << 0
        << true << false;
    QTest::newRow("both OK")
        << 0 << 20 << 0 << 1 << QList<int>{ok, ok} << QStringList{speed, slow} << 12 << 10 << true
        << true;
    QTest::newRow("only the spacing, exercise 14")
        << 13 << 12 << 10 << 1 << QList<int>{ok} << QStringList{fast} << 12 << 8 << false << true;
    QTest::newRow("exercise 13 sent at ca. 25")
        << 12 << 12 << 8 << 1 << QList<int>{ok} << QStringList{slow} << 12 << 10 << false << true;
    QTest::newRow("only the speed, exercise 30")
        << 29 << 25 << 8 << 1 << QList<int>{ok} << QStringList{speed} << 12 << 8 << true << true;
    QTest::newRow("no sound buffer: nothing rebuilt")
        << 0 << 20 << 10 << 0 << QList<int>{ok} << QStringList{speed} << 12 << 10 << false << true;
    QTest::newRow("rebuild fails: told, then carries on")
        << 0 << 20 << 0 << 2 << QList<int>{ok, ok, ok}
        << QStringList{speed, QStringLiteral("Lydkort findes ikke."), slow} << 12 << 10 << false
        << true;
}

void ExerciseWindowsTest::ov3SpeedCorrection()
{
    QFETCH(int, p);
    QFETCH(int, wpm);
    QFETCH(int, farnsworth);
    QFETCH(int, device);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, asked);
    QFETCH(int, wpmAfter);
    QFETCH(int, farnsworthAfter);
    QFETCH(bool, rebuilt);
    QFETCH(bool, generated);
    Rig rig(wpm, farnsworth, device != 0);
    if (device == 2)
        rig.device->setOpenFails(true);
    // A rebuild for the course speed changes the dot length.
    const qint32 dotBefore = rig.morse.dotSamples();
    frmOv3 w(rig.morse, &rig.owner);
    w.newRandom = fixedSeed();
    ModalDriver boxes(ModalDriver::AnswerEveryMessage);
    for (int a : answers)
        boxes.answers << QMessageBox::StandardButton(a);
    w.cboØvelser->setCurrentIndex(p);
    w.cmdØvelse->click();

    QCOMPARE(boxes.messages, asked);
    for (qsizetype i = 0; i < boxes.messages.size(); ++i) {
        if (boxes.messages[i].startsWith(QStringLiteral("Lydkort"))) {
            QCOMPARE(boxes.icons[i], QMessageBox::Critical);
            continue;
        }
        QCOMPARE(boxes.titles[i], QStringLiteral("Indstillinger"));
        QCOMPARE(boxes.icons[i], QMessageBox::NoIcon);
        QCOMPARE(boxes.buttons[i], QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(boxes.defaultButtons[i], QMessageBox::Ok);
    }
    QCOMPARE(int(rig.settings.giWPM), wpmAfter);
    QCOMPARE(int(rig.settings.giFarnsworth), farnsworthAfter);
    QCOMPARE(rig.morse.dotSamples() != dotBefore
                 && rig.morse.dotSamples() == Morse::dotLength(kCourseWpm),
             rebuilt);
    if (rebuilt)
        QVERIFY(rig.morse.hasBuffer());
    if (device == 2)
        QVERIFY(!rig.morse.hasBuffer());
    QCOMPARE(w.result(), int(generated ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(w.generatedText(),
             generated ? std::optional(courseText(p, seededUniform(kSeed))) : std::nullopt);
}

void ExerciseWindowsTest::ov3CancelThenAgain()
{
    // After a Cancel the window stays on its exercise and asks again for what differs.
    Rig rig(20, 0);
    frmOv3 w(rig.morse, &rig.owner);
    w.newRandom = fixedSeed();
    ModalDriver boxes(ModalDriver::AnswerEveryMessage);
    boxes.answers = {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Ok};
    w.cboØvelser->setCurrentIndex(20);
    w.cmdØvelse->click();
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(w.cboØvelser->currentIndex(), 20);
    w.cmdØvelse->click();
    QCOMPARE(boxes.messages, (QStringList{QStringLiteral("Tegnhastighed rettes til 60 pr minut."),
                                         QStringLiteral("Teksthastighed rettes til ca. 30 tegn pr minut."),
                                         QStringLiteral("Teksthastighed rettes til ca. 30 tegn pr minut.")}));
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(rig.settings.giFarnsworth, qint16(8));
    QCOMPARE(w.generatedText(), courseText(20, seededUniform(kSeed)));
}

QTEST_MAIN(ExerciseWindowsTest)
#include "tst_exercisewindows.moc"
