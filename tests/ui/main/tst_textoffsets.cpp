// The text box's character counting (CR LF = 2) over the widget's document, and
// the editing keys and clipboard that must keep the exact characters.

#include "KeyFilter.h"
#include "main/TextBox.h"
#include "main/TextOffsets.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QTest>
#include <QTextDocument>

class TextOffsetsTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void offsetsPastEnd();
    void selectionInText_data();
    void selectionInText();
    void insertInMiddle();
    void keys_data();
    void keys();
    void copyAndPaste();
};

void TextOffsetsTest::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("blocks");     // document blocks: one per CR LF, plus one
    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("one line") << QStringLiteral("AB") << 1;
    QTest::newRow("CR LF lines") << QStringLiteral("AB\r\nCD\r\n") << 3;
    QTest::newRow("lone LFs") << QStringLiteral("\n\nA\n") << 1;
    QTest::newRow("lone CR") << QStringLiteral("A\rB") << 1;
    QTest::newRow("mixed") << QStringLiteral("A\rB\nC\r\n\n\r\r\nD") << 3;
    QTest::newRow("CR CR LF LF") << QStringLiteral("\r\r\n\n") << 2;
    QTest::newRow("unicode separators") << QStringLiteral("x\u2028y\u2029z\uFDD0") << 1;
    QTest::newRow("surrogate pair") << QStringLiteral("a\U0001F600\r\nb") << 2;
}

void TextOffsetsTest::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(int, blocks);
    QTextDocument doc;
    TextOffsets offsets(doc);
    offsets.setText(text);
    QCOMPARE(offsets.text(), text);
    QCOMPARE(offsets.length(), text.size());
    QCOMPARE(doc.blockCount(), blocks);
    // Every offset outside a CR LF pair survives the trip through a position; the
    // one between CR and LF lands before the pair.
    for (qsizetype o = 0; o <= text.size(); ++o) {
        const bool insidePair = o > 0 && o < text.size() && text[o - 1] == u'\r' && text[o] == u'\n';
        const qsizetype back = offsets.toOffset(offsets.toPosition(o));
        QCOMPARE(back, insidePair ? o - 1 : o);
    }
}

void TextOffsetsTest::offsetsPastEnd()
{
    QTextDocument doc;
    TextOffsets offsets(doc);
    offsets.setText(QStringLiteral("AB\r\nC"));
    QCOMPARE(offsets.toPosition(99), doc.characterCount() - 1);
    QCOMPARE(offsets.toPosition(-3), 0);
    QCOMPARE(offsets.toOffset(1000), 5);
}

void TextOffsetsTest::selectionInText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("selected");
    const QString t = QStringLiteral("AB\r\nCD\nEF");
    QTest::newRow("over CR LF") << t << 1 << 4 << 1 << 4 << QStringLiteral("B\r\nC");
    QTest::newRow("over lone LF") << t << 5 << 3 << 5 << 3 << QStringLiteral("D\nE");
    QTest::newRow("past the end") << t << 7 << 5 << 7 << 2 << QStringLiteral("EF");
    QTest::newRow("start past the end") << t << 40 << 2 << 9 << 0 << QString();
    QTest::newRow("ends between CR and LF") << t << 0 << 3 << 0 << 2 << QStringLiteral("AB");
}

void TextOffsetsTest::selectionInText()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    TextBox box;
    box.setText(text);
    box.select(start, length);
    QTEST(int(box.SelStart()), "selStart");
    QTEST(int(box.SelLength()), "selLength");
    const QTextCursor c = box.textCursor();
    QTEST(box.offsets().text(c.selectionStart(), c.selectionEnd()), "selected");
}

void TextOffsetsTest::insertInMiddle()
{
    TextBox box;
    box.setText(QStringLiteral("A\rB\r\nC"));
    QCOMPARE(box.SelStart(), 0);    // a new text puts the caret at the start
    box.select(2, 1);               // "B"
    QTextCursor c = box.textCursor();
    box.offsets().insert(c, QStringLiteral("x\ny\r\nz"));
    QCOMPARE(box.Text(), QStringLiteral("A\rx\ny\r\nz\r\nC"));
}

void TextOffsetsTest::keys_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");     // as the X11 platform delivers it
    QTest::addColumn<QString>("after");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("a upper-cased") << "" << int(Qt::Key_A) << none << "a" << "A";
    QTest::newRow("æ upper-cased") << "" << int(Qt::Key_AE) << none << "æ" << "Æ";
    QTest::newRow("ñ upper-cased") << "" << int(Qt::Key_Ntilde) << none << "ñ" << "Ñ";
    QTest::newRow("digit kept") << "" << int(Qt::Key_4) << none << "4" << "4";
    QTest::newRow("quote kept") << "" << int(Qt::Key_QuoteDbl) << none << "\"" << "\"";
    QTest::newRow("percent dropped") << "A" << int(Qt::Key_Percent) << none << "%" << "A";
    QTest::newRow("star dropped") << "A" << int(Qt::Key_Asterisk) << none << "*" << "A";
    QTest::newRow("plus dropped") << "A" << int(Qt::Key_Plus) << none << "+" << "A";
    QTest::newRow("bracket dropped") << "A" << int(Qt::Key_BracketLeft) << none << "[" << "A";
    QTest::newRow("ampersand dropped") << "A" << int(Qt::Key_Ampersand) << none << "&" << "A";
    QTest::newRow("Enter gives CR LF") << "A" << int(Qt::Key_Return) << none << "\r" << "A\r\n";
    QTest::newRow("keypad Enter gives CR LF") << "A" << int(Qt::Key_Enter) << none << "\r" << "A\r\n";
    QTest::newRow("Ctrl+Enter gives LF") << "A" << int(Qt::Key_Return) << ctrl << "\r" << "A\n";
    QTest::newRow("Ctrl+J gives LF") << "A" << int(Qt::Key_J) << ctrl << "\n" << "A\n";
    QTest::newRow("Backspace deletes") << "AB" << int(Qt::Key_Backspace) << none << "\b" << "A";
    QTest::newRow("Backspace takes CR LF") << "A\r\n" << int(Qt::Key_Backspace) << none << "\b" << "A";
    QTest::newRow("Ctrl+Z undoes the text set") << "AB" << int(Qt::Key_Z) << ctrl << "\x1a" << "";
    QTest::newRow("Ctrl+A discarded") << "AB" << int(Qt::Key_A) << ctrl << "\x01" << "AB";
}

void TextOffsetsTest::keys()
{
    QFETCH(QString, before);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    TextBox box;
    ui::installKeyFilter(&box, QStringLiteral(" ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ12434567890/#?,.-:()=<>$!;\"_'ÉÜÑ"), true);
    box.setText(before);
    box.setSelStart(before.size());
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(&box, &press);
    QTEST(box.Text(), "after");
}

void TextOffsetsTest::copyAndPaste()
{
    const QString text = QStringLiteral("ab\r\ncd\nef\rg");
    TextBox from;
    from.setText(text);
    from.selectAll();
    from.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), text);

    TextBox to;
    to.paste();
    QCOMPARE(to.Text(), text);     // unchanged: lower case, lone LF and CR kept
    QGuiApplication::clipboard()->setText(QStringLiteral("\n"));
    to.paste();
    QCOMPARE(to.Text(), text + QLatin1Char('\n'));

    from.select(1, 4);              // "b\r\nc"
    from.cut();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("b\r\nc"));
    QCOMPARE(from.Text(), QStringLiteral("ad\nef\rg"));
}

QTEST_MAIN(TextOffsetsTest)
#include "tst_textoffsets.moc"
