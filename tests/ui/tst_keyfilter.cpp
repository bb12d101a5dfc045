// The key filter on the boxes it guards (the main text box, the character boxes of
// "Øvelser 2" and of the group generator, the generator's count box): key presses
// and input-method text (dead keys, compose results, input methods) meet one rule.

#include "engine/sound_device/SimulatedSoundDevice.h"
#include "exercises/frm5grp.h"
#include "exercises/frmOv2.h"
#include "settings/SettingsStore.h"
#include "main/TextBox.h"
#include "main/frmMain.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

namespace {

enum class Box { Main, Ov2Characters, Grp5Characters, Grp5Count };
// Keys: one key press per character (a surrogate pair is one key). Commit: one
// input-method commit of the whole text. Replace: a commit that replaces the character
// before the caret, as a compose sequence that corrects it does. Preedit: text being
// composed, not yet committed.
enum class Input { Keys, Commit, Replace, Preedit };

void keyPresses(QWidget *box, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString typed = text.mid(i, n);
        QKeyEvent press(QEvent::KeyPress, n == 1 ? int(typed[0].toUpper().unicode()) : int(Qt::Key_unknown),
                        Qt::NoModifier, typed);
        QCoreApplication::sendEvent(box, &press);
        i += n - 1;
    }
}

void inputMethod(QWidget *box, const QString &preedit, const QString &commit, int replaceFrom = 0,
                 int replaceLength = 0)
{
    QList<QInputMethodEvent::Attribute> attributes;
    if (!preedit.isEmpty())
        attributes << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, int(preedit.size()), 1)
                   << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, int(preedit.size()),
                                                   QTextCharFormat());
    QInputMethodEvent event(preedit, attributes);
    event.setCommitString(commit, replaceFrom, replaceLength);
    QCoreApplication::sendEvent(box, &event);
}

} // namespace

Q_DECLARE_METATYPE(Box)
Q_DECLARE_METATYPE(Input)

class KeyFilterTest : public QObject {
    Q_OBJECT
private slots:
    void typed_data();
    void typed();
};

void KeyFilterTest::typed_data()
{
    QTest::addColumn<Box>("box");
    QTest::addColumn<Input>("input");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");      // the box's text afterwards, from "X"
    QTest::addColumn<QString>("preedit");   // text shown as being composed

    const QString smiley = QStringLiteral("\U0001F600");
    QTest::newRow("main: smiley key dropped") << Box::Main << Input::Keys << smiley << "X" << "";
    QTest::newRow("main: é commit upper-cased") << Box::Main << Input::Commit << "é" << "XÉ" << "";
    QTest::newRow("main: á dropped") << Box::Main << Input::Commit << "á" << "X" << "";
    QTest::newRow("main: à dropped") << Box::Main << Input::Commit << "à" << "X" << "";
    QTest::newRow("main: ü ñ upper-cased") << Box::Main << Input::Commit << "üñ" << "XÜÑ" << "";
    QTest::newRow("main: a commit filtered character by character")
        << Box::Main << Input::Commit << "cq dé%+a" << "XCQ DÉA" << "";
    QTest::newRow("main: smiley commit dropped") << Box::Main << Input::Commit << smiley + "a" << "XA" << "";
    QTest::newRow("main: control codes are no committed text")
        << Box::Main << Input::Commit << "a\r\nb\x03\x16" << "XAB" << "";
    QTest::newRow("main: a replacing commit upper-cased") << Box::Main << Input::Replace << "é" << "É" << "";
    QTest::newRow("main: a replacing commit dropped keeps the text")
        << Box::Main << Input::Replace << "á" << "X" << "";
    QTest::newRow("main: preedit shown upper-cased") << Box::Main << Input::Preedit << "é" << "X" << "É";
    QTest::newRow("main: preedit of a dead key not shown") << Box::Main << Input::Preedit << "´" << "X" << "";
    QTest::newRow("main: preedit losing a character not shown")
        << Box::Main << Input::Preedit << "aá" << "X" << "";

    QTest::newRow("Ov2: smiley key dropped") << Box::Ov2Characters << Input::Keys << smiley << "X" << "";
    QTest::newRow("Ov2: é ü ñ commits dropped") << Box::Ov2Characters << Input::Commit << "éüñ" << "X" << "";
    QTest::newRow("Ov2: æøå commit upper-cased") << Box::Ov2Characters << Input::Commit << "æøå" << "XÆØÅ" << "";
    QTest::newRow("Ov2: smiley commit dropped") << Box::Ov2Characters << Input::Commit << smiley << "X" << "";
    QTest::newRow("5grp: ñ commit dropped, q upper-cased")
        << Box::Grp5Characters << Input::Commit << "ñq" << "XQ" << "";
    QTest::newRow("5grp: replacing commit") << Box::Grp5Characters << Input::Replace << "ø" << "Ø" << "";
    QTest::newRow("5grp count: digits of a commit") << Box::Grp5Count << Input::Commit << "1a2" << "12" << "";
    QTest::newRow("5grp count: other digits dropped")
        << Box::Grp5Count << Input::Commit << "\u0663\uFF14" << "" << "";
}

void KeyFilterTest::typed()
{
    QFETCH(Box, box);
    QFETCH(Input, input);
    QFETCH(QString, typed);

    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("store.ini"));
    std::unique_ptr<QWidget> window;
    QWidget *edit = nullptr;
    switch (box) {
    case Box::Main: {
        auto main = std::make_unique<frmMain>(std::make_unique<SimulatedSoundDevice>(),
                                              [ini] { return settings::openStoreAt(ini); });
        edit = main->Text1();
        window = std::move(main);
        break;
    }
    case Box::Ov2Characters:
        window = std::make_unique<frmOv2>(nullptr);
        edit = window->findChild<QLineEdit *>(QStringLiteral("txtTegn"));
        break;
    case Box::Grp5Characters:
    case Box::Grp5Count:
        window = std::make_unique<frm5grp>(nullptr);
        edit = window->findChild<QLineEdit *>(box == Box::Grp5Count ? QStringLiteral("txtAntal")
                                                                     : QStringLiteral("txtTegn"));
        break;
    }
    QVERIFY(edit);
    auto *lineEdit = qobject_cast<QLineEdit *>(edit);
    auto *textBox = qobject_cast<TextBox *>(edit);
    const auto text = [&] { return lineEdit ? lineEdit->text() : textBox->Text(); };
    // The count box starts from nothing, the others after an "X" already there.
    const QString before = box == Box::Grp5Count ? QString() : QStringLiteral("X");
    if (lineEdit) {
        lineEdit->setText(before);
    } else {
        textBox->setText(before);
        textBox->setSelStart(before.size());
    }
    window->show();
    edit->setFocus();

    switch (input) {
    case Input::Keys: keyPresses(edit, typed); break;
    case Input::Commit: inputMethod(edit, QString(), typed); break;
    case Input::Replace: inputMethod(edit, QString(), typed, -1, 1); break;
    case Input::Preedit: inputMethod(edit, typed, QString()); break;
    }
    QTEST(text(), "text");
    if (textBox)
        QTEST(textBox->textCursor().block().layout()->preeditAreaText(), "preedit");
}

QTEST_MAIN(KeyFilterTest)
#include "tst_keyfilter.moc"
