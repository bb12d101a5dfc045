// The shared practice-text rules: the draw, the count reading, the group text, and
// the uniformity of the groups drawn.

#include "support/TextLayout.h"
#include "exercises/ExerciseSets.h"
#include "exercises/PracticeText.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <map>

using namespace practice;

namespace {

// Upper critical value of chi-square with df degrees of freedom at p = 0.001
// (Wilson-Hilferty); a fair draw exceeds it once in a thousand seeds.
double chiSquareBound(int df)
{
    const double a = 2.0 / (9.0 * df);
    return df * std::pow(1 - a + 3.0902 * std::sqrt(a), 3);
}

// Chi-square of the characters of the groups of texts against the draw weights of
// set (a character listed twice weighs twice); characters outside set fail.
double chiSquare(const QStringList &texts, const QString &set, int *foreign)
{
    std::map<QChar, double> weight;
    for (QChar c : set)
        weight[c] += 1.0 / double(set.size());
    std::map<QChar, qint64> seen;
    qint64 total = 0;
    *foreign = 0;
    for (const QString &text : texts) {
        const QStringList lines = linesOf(text);
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1Char('<')) || line.isEmpty())
                continue;
            for (qsizetype g = 0; g + 6 <= line.size(); g += 6) {
                for (qsizetype i = 0; i < 5; ++i) {
                    const QChar c = line[g + i];
                    if (!weight.count(c))
                        ++*foreign;
                    ++seen[c];
                    ++total;
                }
            }
        }
    }
    double chi = 0;
    for (const auto &[c, w] : weight) {
        const double expected = w * double(total);
        const double d = double(seen[c]) - expected;
        chi += d * d / expected;
    }
    return chi;
}

} // namespace

class PracticeTextTest : public QObject {
    Q_OBJECT
private slots:
    void drawPosition_data();
    void drawPosition();
    void readCount_data();
    void readCount();
    void groupTextExact_data();
    void groupTextExact();
    void groupTextLayout_data();
    void groupTextLayout();
    void seededSources();
    void uniformGroups_data();
    void uniformGroups();
};

void PracticeTextTest::drawPosition_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("position");
    const double belowOne = std::nextafter(1.0, 0.0);
    QTest::newRow("0 picks the first") << 0.0 << 5 << 0;
    QTest::newRow("just below 1/5 still the first") << 0.1999999 << 5 << 0;
    QTest::newRow("1/5 the second") << 0.2 << 5 << 1;
    QTest::newRow("middle of nine") << 0.5 << 9 << 4;
    QTest::newRow("below 1 picks the last") << 0.9999 << 5 << 4;
    QTest::newRow("largest r below 1, 45 chars") << belowOne << 45 << 44;
    QTest::newRow("largest r below 1, 1 char") << belowOne << 1 << 0;
}

void PracticeTextTest::drawPosition()
{
    QFETCH(double, r);
    QFETCH(int, length);
    QFETCH(int, position);
    QCOMPARE(practice::drawPosition(r, length), qsizetype(position));
}

void PracticeTextTest::readCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("plain") << "20" << 20;
    QTest::newRow("upper limit") << "300" << 300;
    QTest::newRow("above the limit") << "301" << 301;
    QTest::newRow("pasted digits and a letter") << "12x" << 12;
    QTest::newRow("letter only") << "x" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("leading blank") << " 7" << 7;
    QTest::newRow("minus sign stops") << "-5" << 0;
    QTest::newRow("huge saturates") << "99999999999999999999" << std::numeric_limits<int>::max();
}

void PracticeTextTest::readCount()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(practice::readCount(text), count);
}

void PracticeTextTest::groupTextExact_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    const QString open = QStringLiteral("<KA><KA><KA>\r\n\r\n");
    // The draws cycle 0, 0.5, 0.99: over "AB" that is A, B, B, A, B, B, ...
    QTest::newRow("7 groups: a full line and two more")
        << "AB" << 7
        << open + "ABBAB BABBA BBABB ABBAB BABBA \r\nBBABB ABBAB \r\n<AR>";
    QTest::newRow("5 groups: empty line before the end")
        << "AB" << 5 << open + "ABBAB BABBA BBABB ABBAB BABBA \r\n\r\n<AR>";
    QTest::newRow("one character") << "A" << 2 << open + "AAAAA AAAAA \r\n<AR>";
    QTest::newRow("no characters: groups of nothing")
        << "" << 6 << open + "     \r\n \r\n<AR>";
}

void PracticeTextTest::groupTextExact()
{
    QFETCH(QString, set);
    QFETCH(int, count);
    QFETCH(QString, expected);
    QCOMPARE(groupText(set, count, cycling({0.0, 0.5, 0.99})), expected);
}

void PracticeTextTest::groupTextLayout_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("1") << 1;
    QTest::newRow("4") << 4;
    QTest::newRow("5") << 5;
    QTest::newRow("299") << 299;
    QTest::newRow("300") << 300;
}

void PracticeTextTest::groupTextLayout()
{
    QFETCH(int, count);
    const QString set = QStringLiteral("VLF");
    const QString text = groupText(set, count, seededUniform(7));
    QVERIFY(onlyCrLf(text));
    const QStringList lines = linesOf(text);
    const int full = count / 5;
    const int rest = count % 5;
    // Opening, empty line, the full lines, the rest line (if any), the line break
    // after the groups (an empty line when the groups end with a full line), "<AR>".
    QCOMPARE(lines.size(), 2 + full + (rest ? 1 : 0) + (rest ? 0 : 1) + 1);
    QCOMPARE(lines.first(), QStringLiteral("<KA><KA><KA>"));
    QCOMPARE(lines[1], QString());
    for (int i = 0; i < full; ++i)
        QVERIFY2(isGroupLine(lines[2 + i], 5, set), qPrintable(lines[2 + i]));
    if (rest)
        QVERIFY(isGroupLine(lines[2 + full], rest, set));
    else
        QCOMPARE(lines[2 + full], QString());
    QCOMPARE(lines.last(), QStringLiteral("<AR>"));
}

void PracticeTextTest::seededSources()
{
    // The same seed gives the same draws, every draw lies in [0, 1), and two
    // clock-seeded sources made back to back differ.
    Uniform a = seededUniform(1234);
    Uniform b = seededUniform(1234);
    for (int i = 0; i < 100000; ++i) {
        const double r = a();
        QCOMPARE(b(), r);
        QVERIFY(r >= 0.0 && r < 1.0);
    }
    Uniform first = clockSeededUniform();
    Uniform second = clockSeededUniform();
    QVERIFY(groupText(u"ABCDEFGHIJ", 20, first) != groupText(u"ABCDEFGHIJ", 20, second));
}

void PracticeTextTest::uniformGroups_data()
{
    QTest::addColumn<QString>("set");
    QTest::newRow("punctuation block with blanks") << exercise1Set(6);
    QTest::newRow("45 characters") << exercise2Set(20);
    QTest::newRow("29 letters of the course") << courseSet(27);
    QTest::newRow("two letters") << courseSet(0);
    QTest::newRow("repeated character weighs twice") << QStringLiteral("AAB");
}

void PracticeTextTest::uniformGroups()
{
    QFETCH(QString, set);
    // 40 texts of 300 groups: 60000 draws, at least 1300 per character.
    QStringList texts;
    for (std::uint64_t seed = 1; seed <= 40; ++seed)
        texts << groupText(set, kMaxGroupCount, seededUniform(seed));
    int foreign = 0;
    const double chi = chiSquare(texts, set, &foreign);
    QCOMPARE(foreign, 0);
    const int distinct = int(QSet<QChar>(set.begin(), set.end()).size());
    QVERIFY2(chi < chiSquareBound(distinct - 1),
             qPrintable(QStringLiteral("chi-square %1 over %2 characters").arg(chi).arg(distinct)));
}

QTEST_GUILESS_MAIN(PracticeTextTest)
#include "tst_practicetext.moc"
