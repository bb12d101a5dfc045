// The code table and the symbol stream of HentSymbol.

#include "support/SymbolStream.h"
#include "engine/MorseTable.h"

#include <QTest>

class MorseTableTest : public QObject {
    Q_OBJECT
private slots:
    void patterns_data();
    void patterns();
    void stream_data();
    void stream();
    void parisIsFiftyUnits_data();
    void parisIsFiftyUnits();
    void restartsAfterEndMarker();
};

// Builds the pattern from dots and dashes: "." is "4", "-" is "123", gaps " ".
static std::string fromDotsAndDashes(const QString &code)
{
    std::string p;
    for (QChar c : code) {
        if (!p.empty())
            p += ' ';
        p += c == u'.' ? "4" : "123";
    }
    return p;
}

void MorseTableTest::patterns_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("code");
    const char *rows[][2] = {
        {"A", ".-"}, {"B", "-..."}, {"C", "-.-."}, {"D", "-.."}, {"E", "."}, {"F", "..-."},
        {"G", "--."}, {"H", "...."}, {"I", ".."}, {"J", ".---"}, {"K", "-.-"}, {"L", ".-.."},
        {"M", "--"}, {"N", "-."}, {"O", "---"}, {"P", ".--."}, {"Q", "--.-"}, {"R", ".-."},
        {"S", "..."}, {"T", "-"}, {"U", "..-"}, {"V", "...-"}, {"W", ".--"}, {"X", "-..-"},
        {"Y", "-.--"}, {"Z", "--.."}, {"Æ", ".-.-"}, {"Ø", "---."}, {"Å", ".--.-"},
        {"0", "-----"}, {"1", ".----"}, {"2", "..---"}, {"3", "...--"}, {"4", "....-"},
        {"5", "....."}, {"6", "-...."}, {"7", "--..."}, {"8", "---.."}, {"9", "----."},
        {".", ".-.-.-"}, {"/", "-..-."}, {",", "--..--"}, {"?", "..--.."}, {":", "---..."},
        {"=", "-...-"}, {"-", "-....-"}, {"(", "-.--."}, {")", "-.--.-"}, {"+", ".-.-."},
        {"\"", ".-..-."}, {"_", "..--.-"}, {"'", ".----."}, {";", "-.-.-."}, {"$", "...-..-"},
        {"É", "..-.."}, {"Ü", "..--"}, {"Ñ", "--.--"}, {"!", "-.-.--"},
        {"SK", "...-.-"}, {"AR", ".-.-."}, {"KN", "-.--."}, {"KA", "-.-.-"}, {"BT", "-...-"},
        {"CH", "----"}, {"HH", "........"}, {"AS", ".-..."}, {"SN", "...-."},
    };
    for (const auto &r : rows)
        QTest::newRow(r[0]) << QString::fromUtf8(r[0]) << QString::fromLatin1(r[1]);
    QTest::newRow("space") << QStringLiteral(" ") << QString();
}

void MorseTableTest::patterns()
{
    QFETCH(QString, token);
    QFETCH(QString, code);
    const std::string expected = code.isEmpty() ? std::string(" ") : fromDotsAndDashes(code);
    QCOMPARE(std::string(morse::lookupPattern(token)), expected);

    // And back: the token, or for a prosign the single character sharing its pattern.
    const QString back = morse::lookupCharacter(expected);
    if (token == u" ")
        QVERIFY(back.isEmpty());
    else if (token.size() == 1)
        QCOMPARE(back, token);
    else
        QVERIFY2(back == u'<' + token + u'>' || back.size() == 1, qPrintable(back));

    // The same pattern comes out of the symbol source, prosigns through "<..>".
    Settings s;
    Morse m(s, nullptr);
    const QString text = token.size() == 2 ? QStringLiteral("<%1>").arg(token) : token;
    const std::string stream = symbolStream(m, text);
    QCOMPARE(stream.substr(0, expected.size()), expected);
}

void MorseTableTest::stream_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("farnsworth");
    QTest::addColumn<QString>("symbols");

    // "E": its dot, 3 + F after it, 3 + F for the pseudo-character, then the end.
    QTest::newRow("E") << "E" << 0 << "4      0";
    QTest::newRow("E, F=2") << "E" << 2 << "4          0";
    QTest::newRow("empty text") << "" << 0 << "   0";
    QTest::newRow("word gap") << "E E" << 0 << "4       4      0";
    QTest::newRow("lower case is silence") << "a" << 0 << "      0";
    QTest::newRow("CR LF is two silences") << "E\r\nE" << 0 << "4         4      0";
    QTest::newRow("F=-3 leaves one unit") << "EE" << -3 << "4 4  0";
    QTest::newRow("prosign like +") << "<AR>" << 0 << "4 123 4 123 4      0";
    QTest::newRow("fourth char not examined") << "<AR)" << 0 << "4 123 4 123 4      0";
    QTest::newRow("unknown prosign") << "<XY>" << 0 << "      0";
    // The numbered steps: after an unknown prosign the fourth character is read as
    // the current character from its second symbol on.
    QTest::newRow("unknown prosign, 4th in table") << "<XYA" << 0 << "  123      0";
    // A final "<" jumps past the end: one unit, then the end marker.
    QTest::newRow("< at the end") << "E<" << 0 << "4    0";
    QTest::newRow("hash is silence") << "#R" << 0 << "   4 123 4      0";
}

void MorseTableTest::stream()
{
    QFETCH(QString, text);
    QFETCH(int, farnsworth);
    QFETCH(QString, symbols);
    Settings s;
    s.giFarnsworth = qint16(farnsworth);
    Morse m(s, nullptr);
    QCOMPARE(QString::fromStdString(symbolStream(m, text)), symbols);
    QCOMPARE(m.sentCharacters(), 0);
    // After the end marker the source stands at the start again: the same stream follows.
    std::string again;
    char sym = 0;
    do {
        m.HentSymbol(sym);
        again += sym;
    } while (sym != '0' && qsizetype(again.size()) <= symbols.size());
    QCOMPARE(QString::fromStdString(again), symbols);
}

void MorseTableTest::parisIsFiftyUnits_data()
{
    QTest::addColumn<int>("farnsworth");
    QTest::newRow("F=0") << 0;
    QTest::newRow("F=1") << 1;
    QTest::newRow("F=5") << 5;
    QTest::newRow("F=20") << 20;
}

void MorseTableTest::parisIsFiftyUnits()
{
    QFETCH(int, farnsworth);
    Settings s;
    s.giFarnsworth = qint16(farnsworth);
    Morse m(s, nullptr);
    const std::string stream = symbolStream(m, QStringLiteral("PARIS "));
    // Everything before the pseudo-character's 3 + F units and the end marker.
    QCOMPARE(int(stream.size()) - (3 + farnsworth) - 1, 50 + 6 * farnsworth);
}

void MorseTableTest::restartsAfterEndMarker()
{
    Settings s;
    Morse m(s, nullptr);
    const std::string first = symbolStream(m, QStringLiteral("NE"));
    QCOMPARE(symbolStream(m, QStringLiteral("NE")), first);
    QCOMPARE(first.substr(0, 5), std::string("123 4"));
}

QTEST_GUILESS_MAIN(MorseTableTest)
#include "tst_morsetable.moc"
