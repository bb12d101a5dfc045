// The keyer: scripted lever timelines for every mode give exactly the elements a
// keyer of that kind keys, each on whole dot lengths to the sample.

#include "engine/Morse.h"
#include "exercises/Keyer.h"

#include <QTest>

#include <cmath>

using namespace keying;

Q_DECLARE_METATYPE(keying::KeyerMode)

namespace {

struct LeverEvent {
    qint64 sample;
    int lever;      // 0 left, 1 right
    bool down;
};

// "L0 R0.5 l3 r3 @9": capital = press, small = release, then the time in dot
// lengths; "@" the end of the run.
bool parse(const QString &script, qint32 dot, std::vector<LeverEvent> &events, qint64 &end)
{
    end = 0;
    for (const QString &word : script.split(u' ', Qt::SkipEmptyParts)) {
        bool ok = false;
        const double dots = word.mid(1).toDouble(&ok);
        if (!ok)
            return false;
        const qint64 sample = std::llround(dots * dot);
        const QChar c = word[0];
        if (c == u'@') {
            end = sample;
            continue;
        }
        const int lever = c.toUpper() == u'L' ? 0 : c.toUpper() == u'R' ? 1 : -1;
        if (lever < 0)
            return false;
        events.push_back({sample, lever, c.isUpper()});
    }
    for (const LeverEvent &e : events)
        end = qMax(end, e.sample + 12 * dot);   // long enough for any element queued
    return true;
}

} // namespace

class KeyerTest : public QObject {
    Q_OBJECT
private slots:
    void timelines_data();
    void timelines();
};

void KeyerTest::timelines_data()
{
    QTest::addColumn<KeyerMode>("mode");
    QTest::addColumn<bool>("swapped");
    QTest::addColumn<QString>("levers");
    // '.' a dit, '-' a dah (a straight-key mark under two dots is '.'); ' ' where the
    // keyer rested longer than the one-dot gap between elements.
    QTest::addColumn<QString>("elements");

    const auto S = KeyerMode::Straight;
    const auto A = KeyerMode::IambicA;
    const auto B = KeyerMode::IambicB;
    const auto U = KeyerMode::Ultimatic;
    const auto D = KeyerMode::SingleDot;

    QTest::newRow("straight: the tone follows either lever")
        << S << false << "L0 l1 R2 r5 L9 R9.5 l10 r11.5" << ".- -";
    QTest::newRow("straight: swapping changes nothing")
        << S << true << "L0 l1" << ".";

    for (const auto &[m, name] : {std::pair{A, "A"}, std::pair{B, "B"}}) {
        const KeyerMode mode = m;
        auto row = [&](const char *what) -> QTestData & {
            return QTest::newRow(qPrintable(QString::fromLatin1("%1: %2").arg(QLatin1String(name), QLatin1String(what))));
        };
        row("a dit lever tapped gives one dit") << mode << false << "L0 l0.5" << ".";
        row("a held dit lever repeats") << mode << false << "L0 l9.5" << ".....";
        row("a held dah lever repeats") << mode << false << "R0 r7.5" << "--";
        row("swapped levers") << mode << true << "L0 l5 R10 r10.5" << "-- .";
        row("dit memory: a tap during a dah") << mode << false << "R0 L1 l1.5 r2" << "-.";
        row("dah memory: a tap during the second dit") << mode << false << "L0 R2.5 r2.8 l2.9" << "..-";
        row("dit lever let go, dah held on") << mode << false << "L0 R0.5 l1 r9.5" << ".--";
        row("a late second press after rest starts anew") << mode << false << "L0 l0.5 R4 r4.5" << ". -";
    }
    // Squeezed from rest (both levers at once, no press during an element): the
    // alternation, and what follows the release.
    QTest::newRow("A: squeeze released during a dot")   << A << false << "L0 R0 l6.5 r6.5" << ".-.";
    QTest::newRow("B: squeeze released during a dot")   << B << false << "L0 R0 l6.5 r6.5" << ".-.-";
    QTest::newRow("A: squeeze released during a dash")  << A << false << "L0 R0 l3 r3" << ".-";
    QTest::newRow("B: squeeze released during a dash")  << B << false << "L0 R0 l3 r3" << ".-.";
    QTest::newRow("A: squeeze released in a dash's gap") << A << false << "L0 R0 l5.5 r5.5" << ".-";
    QTest::newRow("B: squeeze released in a dash's gap") << B << false << "L0 R0 l5.5 r5.5" << ".-.";
    QTest::newRow("A: squeeze released in a dot's gap") << A << false << "L0 R0 l1.5 r1.5" << ".";
    QTest::newRow("B: squeeze released in a dot's gap") << B << false << "L0 R0 l1.5 r1.5" << ".-";
    QTest::newRow("B: long squeeze, dah first") << B << false << "R0 L1 l14.5 r14.5" << "-.-.-.";

    QTest::newRow("ultimatic: the later lever repeats") << U << false << "L0 R1.5 r9.5 l9.5" << ".--";
    QTest::newRow("ultimatic: back to the held lever") << U << false << "L0 R1.5 r4 l7.5" << ".-.";
    QTest::newRow("ultimatic: squeeze from rest, dit first") << U << false << "R0 L0 l3.5 r3.5" << "..";
    QTest::newRow("ultimatic: dah memory") << U << false << "L0 R0.5 r0.8 l0.9" << ".-";

    QTest::newRow("single dot: dah repeats, a dit press inserts one dit")
        << D << false << "R0 L4.5 l5 r11.5" << "--.-";
    QTest::newRow("single dot: a held dit lever gives one dit") << D << false << "L0 l8" << ".";
    QTest::newRow("single dot: squeeze") << D << false << "L0 R0 l8.5 r8.5" << ".--";
    QTest::newRow("single dot: three presses") << D << false << "L0 l0.3 L1.5 l1.7 L3.9 l4" << "...";
}

void KeyerTest::timelines()
{
    QFETCH(KeyerMode, mode);
    QFETCH(bool, swapped);
    QFETCH(QString, levers);
    QFETCH(QString, elements);

    for (const int wpm : {20, 40}) {
        const qint32 dot = Morse::dotLength(wpm);
        std::vector<LeverEvent> events;
        qint64 end = 0;
        QVERIFY(parse(levers, dot, events, end));

        Keyer keyer(mode, dot);
        keyer.setSwapped(swapped);
        bool held[2] = {false, false};
        size_t next = 0;
        QString got;
        qint64 markStart = -1;
        qint64 lastEnd = -1;
        for (qint64 t = 0; t < end; ++t) {
            while (next < events.size() && events[next].sample == t) {
                held[events[next].lever] = events[next].down;
                ++next;
            }
            keyer.setLevers(held[0], held[1]);
            const bool keyed = keyer.tick();
            if (keyed && markStart < 0) {
                if (lastEnd >= 0 && t - lastEnd != dot)
                    got += u' ';
                if (mode != KeyerMode::Straight && lastEnd >= 0)
                    QVERIFY2(t - lastEnd >= dot, "less than a dot between elements");
                markStart = t;
            } else if (!keyed && markStart >= 0) {
                const qint64 length = t - markStart;
                if (mode == KeyerMode::Straight)
                    got += length < 2 * dot ? u'.' : u'-';
                else if (length == dot || length == 3 * dot)
                    got += length == dot ? u'.' : u'-';
                else
                    QFAIL(qPrintable(QStringLiteral("a mark of %1 samples").arg(length)));
                markStart = -1;
                lastEnd = t;
            }
        }
        QVERIFY2(markStart < 0, "still keyed at the end of the run");
        QCOMPARE(got, elements);
    }
}

QTEST_APPLESS_MAIN(KeyerTest)
#include "tst_keyer.moc"
