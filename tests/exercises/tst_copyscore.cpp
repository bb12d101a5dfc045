// The scoring of a received copy: characters and prosigns, word gaps, the alignment
// of wrong, missed and extra characters, and a stopped sending.

#include "exercises/CopyScore.h"

#include <QTest>

using namespace receive;

namespace {

// The alignment as one character per column: '=' correct, 'x' wrong, '-' missing,
// '+' extra.
QString steps(const Score &s)
{
    QString out;
    for (const Column &c : s.alignment) {
        static constexpr char16_t kCode[] = u"=x-+";
        out += QChar(kCode[int(c.step)]);
    }
    return out;
}

} // namespace

class CopyScoreTest : public QObject {
    Q_OBJECT
private slots:
    void score_data();
    void score();
};

void CopyScoreTest::score_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<qsizetype>("heard");
    QTest::addColumn<QString>("steps");       // empty: several alignments are as good
    QTest::addColumn<QList<int>>("counts");   // sent, correct, wrong, missing, extra
    QTest::addColumn<QString>("wrongCharacters");
    QTest::addColumn<int>("groups");

    using C = QList<int>;
    QTest::newRow("exact copy, lower case typed")
        << "ABCDE FGHIJ" << "abcde fghij" << qsizetype(-1) << "===========" << C{10, 10, 0, 0, 0} << "" << 2;
    QTest::newRow("wrong letter")
        << "ABCDE" << "ABXDE" << qsizetype(-1) << "==x==" << C{5, 4, 1, 0, 0} << "C" << 1;
    QTest::newRow("missed letter")
        << "ABCDE" << "ABDE" << qsizetype(-1) << "==-==" << C{5, 4, 0, 1, 0} << "C" << 1;
    QTest::newRow("extra letter")
        << "ABCDE" << "ABCXDE" << qsizetype(-1) << "===+==" << C{5, 5, 0, 0, 1} << "" << 1;
    QTest::newRow("missed word")
        << "ABCDE FGHIJ KLMNO" << "ABCDE KLMNO" << qsizetype(-1) << "" << C{15, 10, 0, 5, 0}
        << "FGHIJ" << 3;
    QTest::newRow("repeated errors worst first")
        << "AAB AAB" << "AXB XXB" << qsizetype(-1) << "=x==xx=" << C{6, 3, 3, 0, 0} << "A" << 2;
    QTest::newRow("prosigns are one character each")
        << "<KA><KA><KA>\r\nABCDE <AR>" << "<KA><KA><KA> ABCDE <AR>" << qsizetype(-1)
        << "===========" << C{9, 9, 0, 0, 0} << "" << 1;
    QTest::newRow("a prosign typed as two letters")
        << "ABCDE <AR>" << "ABCDE AR" << qsizetype(-1) << "" << C{6, 5, 1, 0, 1} << "" << 1;
    QTest::newRow("runs of spaces and line breaks are one gap")
        << "ABCDE \r\nFGHIJ \r\n" << "  abcde\n\n   fghij \n" << qsizetype(-1) << "===========" << C{10, 10, 0, 0, 0}
        << "" << 2;
    QTest::newRow("a missing gap is no character")
        << "ABCDE FGHIJ" << "ABCDEFGHIJ" << qsizetype(-1) << "=====-=====" << C{10, 10, 0, 0, 0} << "" << 2;
    QTest::newRow("empty copy")
        << "ABCDE FGHIJ" << "" << qsizetype(-1) << "-----------" << C{10, 0, 0, 10, 0} << "ABCDEFGHIJ" << 2;
    QTest::newRow("characters the engine cannot send are not counted")
        << "AB%C" << "ABC" << qsizetype(-1) << "===" << C{3, 3, 0, 0, 0} << "" << 1;
    QTest::newRow("stop halfway: unheard rest not missing")
        << "ABCDE FGHIJ KLMNO" << "ABCDE FG" << qsizetype(6) << "========" << C{7, 7, 0, 0, 0} << "" << 2;
    QTest::newRow("stop halfway: a wrong last letter stays in place")
        << "ABCDE FGHIJ KLMNO" << "ABCDE FX" << qsizetype(6) << "=======x" << C{7, 6, 1, 0, 0} << "G" << 2;
    QTest::newRow("stop halfway: heard but not copied is missing")
        << "ABCDE FGHIJ KLMNO" << "ABCDE F" << qsizetype(12) << "=======----" << C{10, 6, 0, 4, 0}
        << "GHIJ" << 2;
}

void CopyScoreTest::score()
{
    QFETCH(QString, sent);
    QFETCH(QString, copy);
    QFETCH(qsizetype, heard);
    QFETCH(QString, steps);
    QFETCH(QList<int>, counts);
    QFETCH(QString, wrongCharacters);
    QFETCH(int, groups);

    const Score s = scoreCopy(sent, copy, heard);
    if (!steps.isEmpty())
        QCOMPARE(::steps(s), steps);
    QCOMPARE((QList<int>{s.sent, s.correct, s.wrong, s.missing, s.extra}), counts);
    QCOMPARE(s.wrongCharacters(), wrongCharacters);
    QCOMPARE(s.groupCount, groups);
    const int base = counts[0] + counts[4];
    QCOMPARE(s.accuracy(), base == 0 ? 0.0 : 100.0 * counts[1] / base);
    int perCharacterSent = 0;
    for (const CharacterErrors &e : s.perCharacter)
        perCharacterSent += e.sent;
    QCOMPARE(perCharacterSent, counts[0]);
}

QTEST_GUILESS_MAIN(CopyScoreTest)
#include "tst_copyscore.moc"
