// The practice texts of the three exercise windows, and the course table.

#include "support/TextLayout.h"
#include "exercises/ExerciseSets.h"

#include <QTest>

using namespace practice;

class ExerciseSetsTest : public QObject {
    Q_OBJECT
private slots:
    void exercise1Block();
    void exercise1Layout_data();
    void exercise1Layout();
    void exercise2Layout_data();
    void exercise2Layout();
    void courseTable_data();
    void courseTable();
    void courseLayout_data();
    void courseLayout();
};

void ExerciseSetsTest::exercise1Block()
{
    // Every draw 0: the random groups repeat the first character of the block.
    const QString expected = QStringLiteral(
        "<KA><KA><KA>\r\n"
        "ABCDE ABCDE ABCDE \r\nABCDE ABCDE ABCDE \r\n"
        "EDCBA EDCBA EDCBA \r\nEDCBA EDCBA EDCBA \r\n"
        "AAAAA AAAAA AAAAA \r\nAAAAA AAAAA AAAAA \r\nAAAAA AAAAA AAAAA \r\nAAAAA AAAAA AAAAA \r\n"
        "<AR>");
    QCOMPARE(exercise1Text(0, cycling({0.0})), expected);
}

void ExerciseSetsTest::exercise1Layout_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("reversed");     // empty: a growing set
    QTest::newRow("ABCDE") << 0 << "ABCDE" << "EDCBA";
    QTest::newRow("Danish letters") << 5 << "ZÆØÅ=" << "=ÅØÆZ";
    QTest::newRow("punctuation with blanks") << 6 << ", . - ? /" << "/ ? - . ,";
    QTest::newRow("12345") << 7 << "12345" << "54321";
    QTest::newRow("67890, last block") << 8 << "67890" << "09876";
    QTest::newRow("first growing set") << 9 << "ABCDEFGHIJ" << "";
    QTest::newRow("Danish letters growing")
        << 13 << "ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ=" << "";
    QTest::newRow("all 45") << 16 << "ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ=,.-?/1234567890" << "";
}

void ExerciseSetsTest::exercise1Layout()
{
    QFETCH(int, index);
    QFETCH(QString, set);
    QFETCH(QString, reversed);
    QCOMPARE(exercise1Set(index), set);
    const QString text = exercise1Text(index, seededUniform(quint64(index) + 99));
    QVERIFY(onlyCrLf(text));
    const QStringList lines = linesOf(text);
    // Nine lines, then "<AR>" directly after the last CR LF.
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines[0], QStringLiteral("<KA><KA><KA>"));
    int first = 1;
    if (!reversed.isEmpty()) {
        const QString forward = set + ' ' + set + ' ' + set + ' ';
        const QString backward = reversed + ' ' + reversed + ' ' + reversed + ' ';
        QCOMPARE(lines[1], forward);
        QCOMPARE(lines[2], forward);
        QCOMPARE(lines[3], backward);
        QCOMPARE(lines[4], backward);
        first = 5;
    }
    for (int i = first; i < 9; ++i)
        QVERIFY2(isGroupLine(lines[i], 3, set), qPrintable(lines[i]));
    QCOMPARE(lines[9], QStringLiteral("<AR>"));
}

void ExerciseSetsTest::exercise2Layout_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("set");
    QTest::addColumn<bool>("small");
    QTest::newRow("VLF") << 0 << "VLF" << true;
    QTest::newRow("ZÆØÅ") << 7 << "ZÆØÅ" << true;
    QTest::newRow("signs") << 10 << ",./=?-" << true;
    QTest::newRow("index 11 still small") << 11 << "VLFMIR" << true;
    QTest::newRow("index 12 large") << 12 << "VLFMIRSDWA" << false;
    QTest::newRow("all 45") << 20 << "VLFMIRSDWANOCTBEUGHJKPQXYZÆØÅ1234567890,./=?-" << false;
}

void ExerciseSetsTest::exercise2Layout()
{
    QFETCH(int, index);
    QFETCH(QString, set);
    QFETCH(bool, small);
    QCOMPARE(exercise2Set(index), set);
    const QString text = exercise2Text(set, index, seededUniform(quint64(index) + 5));
    QVERIFY(onlyCrLf(text));
    const QStringList lines = linesOf(text);
    QCOMPARE(lines[0], QStringLiteral("<KA><KA><KA>"));
    QCOMPARE(lines[1], QString());
    int at = 2;
    if (small) {
        // Each character: two lines of five groups of it, then an empty line.
        QCOMPARE(lines.size(), 2 + 3 * int(set.size()) + 6 + 1);
        for (QChar c : set) {
            const QString line = QString(QString(5, c) + ' ').repeated(5);
            QCOMPARE(lines[at++], line);
            QCOMPARE(lines[at++], line);
            QCOMPARE(lines[at++], QString());
        }
        // Two lines of groups and an empty line, twice; "<AR>" right after.
        for (int half = 0; half < 2; ++half) {
            QVERIFY(isGroupLine(lines[at++], 5, set));
            QVERIFY(isGroupLine(lines[at++], 5, set));
            QCOMPARE(lines[at++], QString());
        }
    } else {
        QCOMPARE(lines.size(), 2 + 10 + 1 + 1);
        for (int i = 0; i < 10; ++i)
            QVERIFY(isGroupLine(lines[at++], 5, set));
        QCOMPARE(lines[at++], QString());
    }
    QCOMPARE(lines[at], QStringLiteral("<AR>"));
}

void ExerciseSetsTest::courseTable_data()
{
    QTest::addColumn<int>("p");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("newest");
    QTest::addColumn<int>("described");
    QTest::addColumn<int>("farnsworth");
    QTest::addColumn<int>("groups");
    const QString letters = QStringLiteral("JWLDHTPUZØRVIYGÅKABSMXÆFQCNOE");
    QTest::newRow("exercise 1") << 0 << "JW" << "JW" << "" << 25 << 10 << 250;
    QTest::newRow("exercise 2") << 1 << "L" << "JWL" << "L" << 25 << 10 << 250;
    QTest::newRow("exercise 9") << 8 << "Ø" << "JWLDHTPUZØ" << "Ø" << 25 << 10 << 250;
    QTest::newRow("exercise 12") << 11 << "I" << letters.left(13) << "I" << 25 << 10 << 250;
    QTest::newRow("exercise 13 described 30, sent slow")
        << 12 << "Y" << letters.left(14) << "Y" << 30 << 10 << 250;
    QTest::newRow("exercise 14") << 13 << "G" << letters.left(15) << "G" << 30 << 8 << 300;
    QTest::newRow("exercise 28 all letters") << 27 << "E" << letters << "E" << 30 << 8 << 300;
    QTest::newRow("exercise 29 digits") << 28 << "1234567890" << "1234567890" << "" << 30 << 8 << 300;
    QTest::newRow("exercise 30 signs") << 29 << ",./=?-" << ",./=?-" << "" << 30 << 8 << 300;
}

void ExerciseSetsTest::courseTable()
{
    QFETCH(int, p);
    QFETCH(QString, entry);
    QFETCH(QString, set);
    QFETCH(QString, newest);
    QFETCH(int, described);
    QFETCH(int, farnsworth);
    QFETCH(int, groups);
    QCOMPARE(courseEntry(p), entry);
    QCOMPARE(courseSet(p), set);
    QCOMPARE(courseNewest(p).isNull() ? QString() : QString(courseNewest(p)), newest);
    QCOMPARE(courseDescribedSpeed(p), described);
    QCOMPARE(courseFarnsworth(p), farnsworth);
    QCOMPARE(courseGroups(p), groups);
}

void ExerciseSetsTest::courseLayout_data()
{
    QTest::addColumn<int>("p");
    for (int p : {0, 1, 12, 13, 27, 28, 29})
        QTest::addRow("exercise %d", p + 1) << p;
}

void ExerciseSetsTest::courseLayout()
{
    QFETCH(int, p);
    const QString set = courseSet(p);
    const QString text = courseText(p, seededUniform(quint64(p) + 1000));
    QVERIFY(onlyCrLf(text));
    const QStringList lines = linesOf(text);
    QCOMPARE(lines[0], QStringLiteral("<KA><KA><KA>"));
    QCOMPARE(lines[1], QString());
    int at = 2;
    if (!courseNewest(p).isNull()) {
        // Two introductory groups of the newest letter, then an empty line.
        const QString five(5, courseNewest(p));
        QCOMPARE(lines[at++], five + ' ' + five + ' ');
        QCOMPARE(lines[at++], QString());
    }
    const int groupLines = courseGroups(p) / 5;
    QCOMPARE(lines.size(), at + groupLines + 2);
    for (int i = 0; i < groupLines; ++i)
        QVERIFY2(isGroupLine(lines[at + i], 5, set), qPrintable(lines[at + i]));
    QCOMPARE(lines[at + groupLines], QString());
    QCOMPARE(lines.last(), QStringLiteral("<AR>"));
}

QTEST_GUILESS_MAIN(ExerciseSetsTest)
#include "tst_exercisesets.moc"
