// The fist report: speed, ratios and spreads measured from classified marks and gaps,
// a score that falls with each distance from the ideal, and the length histogram.

#include "exercises/FistAnalysis.h"

#include <QTest>

#include <cmath>

using namespace keying;

namespace {

constexpr int kRate = 44100;
constexpr qint64 kDot = 2646;   // 20 WPM

// "d" dot, "D" dash, "e" element gap, "c" character gap, "w" word gap, each followed
// by its length in dots: "d1 e1 D3 c3".
std::vector<Interval> parse(const QString &script)
{
    std::vector<Interval> out;
    for (const QString &w : script.split(u' ', Qt::SkipEmptyParts)) {
        const QString kinds = QStringLiteral("dDecw");
        out.push_back({Interval::Kind(kinds.indexOf(w[0])), qint64(std::llround(w.mid(1).toDouble() * kDot))});
    }
    return out;
}

bool near(double a, double b)
{
    return std::isnan(b) ? std::isnan(a) : std::abs(a - b) < 0.01;
}

} // namespace

class FistAnalysisTest : public QObject {
    Q_OBJECT
private slots:
    void report_data();
    void report();
};

void FistAnalysisTest::report_data()
{
    QTest::addColumn<QString>("intervals");
    QTest::addColumn<double>("wpm");
    QTest::addColumn<QList<double>>("ratios");    // dah/dit, element, character, word gap
    QTest::addColumn<QList<double>>("spreads");   // dots, dashes, element gaps
    QTest::addColumn<int>("scoreFrom");
    QTest::addColumn<int>("scoreTo");

    const double nan = std::nan("");
    using L = QList<double>;
    QTest::newRow("a perfect fist scores 100")
        << "d1 e1 D3 c3 D3 e1 d1 w7 d1 e1 d1" << 20.0 << L{3, 1, 3, 7} << L{0, 0, 0} << 100 << 100;
    QTest::newRow("heavy dashes cost a third of their distance")
        << "d1 e1 D4 c3 D4 e1 d1 w7 d1" << 20.0 << L{4, 1, 3, 7} << L{0, 0, 0} << 92 << 92;
    QTest::newRow("crowded characters and words")
        << "d1 e1 D3 c2 D3 w4 d1" << 20.0 << L{3, 1, 2, 4} << L{0, 0, nan} << 81 << 81;
    QTest::newRow("uneven dots")
        << "d0.5 e1 d1.5 e1 d1 c3 D3" << 20.0 << L{3, 1, 3, nan} << L{0.41, nan, 0} << 79 << 80;
    QTest::newRow("slow keying: the speed from the dots")
        << "d2 e2 D6 c6" << 10.0 << L{3, 1, 3, nan} << L{nan, nan, nan} << 100 << 100;
    QTest::newRow("way off: the score stops at 0")
        << "d1 e5 D12 c1 D12 w1 d1" << 20.0 << L{12, 5, 1, 1} << L{0, 0, nan} << 0 << 0;
    QTest::newRow("no dot: nothing to measure against") << "D3 c3 D3" << 0.0 << L{0, 0, 0, 0}
                                                        << L{0, 0, 0} << 0 << 0;
}

void FistAnalysisTest::report()
{
    QFETCH(QString, intervals);
    QFETCH(double, wpm);
    QFETCH(QList<double>, ratios);
    QFETCH(QList<double>, spreads);
    QFETCH(int, scoreFrom);
    QFETCH(int, scoreTo);

    const std::vector<Interval> in = parse(intervals);
    const FistReport r = analyseFist(in, kRate);
    QCOMPARE(r.valid, wpm > 0);
    QVERIFY2(std::abs(r.wpm - wpm) < 0.05, qPrintable(QString::number(r.wpm)));
    const double gotRatios[] = {r.dahDit, r.elementGap, r.characterGap, r.wordGap};
    const double gotSpreads[] = {r.dotSpread, r.dashSpread, r.gapSpread};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(gotRatios[i], ratios[i]), qPrintable(QStringLiteral("ratio %1: %2").arg(i).arg(gotRatios[i])));
    for (int i = 0; i < 3; ++i)
        QVERIFY2(near(gotSpreads[i], spreads[i]),
                 qPrintable(QStringLiteral("spread %1: %2").arg(i).arg(gotSpreads[i])));
    QVERIFY2(r.score >= scoreFrom && r.score <= scoreTo, qPrintable(QString::number(r.score)));

    // Every mark and gap is counted once in the histogram, in the bin of its units.
    if (!r.valid)
        return;
    int marks = 0;
    int gaps = 0;
    for (const int n : r.markBins)
        marks += n;
    for (const int n : r.gapBins)
        gaps += n;
    QCOMPARE(marks, r.dots + r.dashes);
    QCOMPARE(marks + gaps, int(in.size()));
    const int dashBin = int(r.dahDit / FistReport::kBinWidth);
    if (r.dashes > 0 && r.dashSpread == 0)
        QCOMPARE(r.markBins[size_t(qMin(dashBin, FistReport::kBinCount - 1))], r.dashes);
}

QTEST_APPLESS_MAIN(FistAnalysisTest)
#include "tst_fistanalysis.moc"
