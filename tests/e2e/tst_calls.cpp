// The callsign training as a person uses it, under Xvfb with the private sound
// server: a list of one call imported, three calls played into the null sink and
// copied with xdotool (right, wrong, right), the speed of each measured from what the
// sink received, every copy counted in the statistics per character, the run stopped.

#include "support/CiSkip.h"
#include "support/SoundCapture.h"
#include "support/TestFiles.h"
#include "support/XDriver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace soundtest;
using namespace xdriver;

namespace {

const QString kTitle = QStringLiteral("Telvok's Morsetræningsprogram");
const QString kWindow = QStringLiteral("Kaldesignaltræning");
constexpr qint64 kRate = 44100;

// The dot length a stretch of sound was keyed with, in samples: the median over its
// tone bursts, a dash counted as three dots. A silence of a few samples (a sine
// sample rounded to zero) does not end a burst; a dropout of a loaded machine may
// split or stretch one, which the median rides out. -1 without any tone.
double measuredDot(const std::vector<std::int16_t> &samples)
{
    constexpr size_t kBridge = 100;          // about 2 ms
    constexpr double kDashFrom = 2 * 2646;   // twice the dot at 20 WPM
    std::vector<double> units;
    size_t i = 0;
    while (i < samples.size()) {
        while (i < samples.size() && samples[i] == 0)
            ++i;
        if (i == samples.size())
            break;
        const size_t begin = i;
        size_t last = i;
        while (i < samples.size() && i - last <= kBridge) {
            if (samples[i] != 0)
                last = i;
            ++i;
        }
        const double length = double(last + 1 - begin);
        units.push_back(length < kDashFrom ? length : length / 3);
        i = last + 1;
    }
    if (units.empty())
        return -1;
    std::nth_element(units.begin(), units.begin() + qsizetype(units.size() / 2), units.end());
    return units[units.size() / 2];
}

} // namespace

class CallsEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void speedFollowsTheCopies();
    void cleanupTestCase();

private:
    QTemporaryDir m_home;
    QProcess m_program;
    Screenshots m_shots{QStringLiteral(E2E_SHOT_DIR), QStringLiteral("calls-")};
};

void CallsEndToEndTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        SKIP_UNLESS_CI("no X display: run through scripts/test, which starts Xvfb");
    if (!serverProblem().isEmpty())
        SKIP_UNLESS_CI("no private sound server: run through scripts/test");
    QVERIFY(m_home.isValid());
}

void CallsEndToEndTest::cleanupTestCase()
{
    killProgram(m_program);
}

void CallsEndToEndTest::speedFollowsTheCopies()
{
    // Every item of a run drawn from a list of one call is that call.
    const QString list = m_home.filePath(QStringLiteral("kald.txt"));
    QVERIFY(testfiles::writeFile(list, "# one call\nOZ1ABC\n"));
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
    const QString folder = m_home.filePath(QStringLiteral("data/Telvok's Morsetræningsprogram/"));
    const QString statistics = folder + QStringLiteral("tegnstatistik.csv");

    QElapsedTimer clock;
    clock.start();
    Capture capture(clock);
    QVERIFY2(capture.start(), "parec does not deliver the null sink's monitor");
    QVERIFY(startOnDisplay(m_program, QStringLiteral(TELVOK_CW), m_home.path()));
    const QString main = findWindow(kTitle);
    QVERIFY2(!main.isEmpty(), "the main window did not appear");

    keys(main, {QStringLiteral("alt+k"), QStringLiteral("l")});
    const QString drill = findWindow(kWindow, 10000);
    QVERIFY2(!drill.isEmpty(), "the callsign training did not open");
    m_shots.take(QStringLiteral("opened"));

    keys(drill, {QStringLiteral("alt+i")});
    const QString dialog = findWindow(QStringLiteral("Importer liste"), 10000);
    QVERIFY2(!dialog.isEmpty(), "the import dialog did not open");
    type(dialog, list);
    keys(dialog, {QStringLiteral("Return")});
    // "Et emne indlæst." under the program's title, beside the main window.
    QString box;
    QVERIFY2(QTest::qWaitFor([&] {
                 for (const QString &id : windows(kTitle))
                     if (id != main)
                         box = id;
                 return !box.isEmpty();
             }, 10000),
             "no message after the import");
    m_shots.take(QStringLiteral("imported"));
    keys(box, {QStringLiteral("Return")});
    QVERIFY(QTest::qWaitFor([&] { return windows(kTitle).size() == 1; }, 10000));

    // The import button keeps the focus, so Enter would import again: "&Start".
    // The copy box takes the focus as the first call plays.
    const struct {
        const char *typed;
        int wpm;     // the settings' 20 WPM, one up after an exact copy, one down after a miss
    } copies[] = {{"oz1abc", 20}, {"oz1abd", 21}, {"oz1abc", 20}};
    QStringList startKeys{QStringLiteral("alt+s")};
    for (int n = 0; n < 3; ++n) {
        const qint64 from = capture.sampleCount();
        keys(drill, startKeys);
        QVERIFY2(QTest::qWaitFor([&] { return capture.firstSound(from) >= 0; }, 10000),
                 qPrintable(QStringLiteral("call %1 was not heard").arg(n + 1)));
        // Played out once a second of silence follows it.
        QVERIFY2(QTest::qWaitFor([&] { return capture.sampleCount() - capture.lastSound() > kRate; }, 20000),
                 qPrintable(QStringLiteral("call %1 did not end").arg(n + 1)));
        std::vector<std::int16_t> heard = capture.samples();
        heard.erase(heard.begin(), heard.begin() + from);
        const double dot = measuredDot(heard);
        const qint32 expected = Morse::dotLength(copies[n].wpm);
        qInfo("call %d: a dot of %.1f samples, %d at %d WPM", n + 1, dot, expected, copies[n].wpm);
        // One WPM more or less moves the dot by over 120 samples at these speeds.
        QVERIFY2(std::abs(dot - expected) < kRate / 1000,
                 qPrintable(QStringLiteral("call %1: a dot of %2 samples, %3 expected at %4 WPM")
                                .arg(n + 1).arg(dot).arg(expected).arg(copies[n].wpm)));

        type(drill, QString::fromLatin1(copies[n].typed));
        keys(drill, {QStringLiteral("Return")});
        // Six characters counted per copy, under the header line.
        const int rowsAfter = 1 + 6 * (n + 1);
        QVERIFY2(QTest::qWaitFor([&] { return testfiles::readAll(statistics).count('\n') == rowsAfter; }, 10000),
                 qPrintable(QStringLiteral("copy %1 was not counted: %2 lines")
                                .arg(n + 1).arg(testfiles::readAll(statistics).count('\n'))));
        startKeys.clear();   // the next call follows the copy by itself
    }
    m_shots.take(QStringLiteral("third-copy"));

    // 18 characters, one wrong: the C of the second copy, taken for a D.
    const QList<QByteArray> rows = testfiles::readAll(statistics).trimmed().split('\n');
    QCOMPARE(rows.size(), 19);
    QVERIFY(rows[0].startsWith("tidspunkt,tegn,rigtigt,"));
    QByteArray sent;
    QList<QByteArray> wrong;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QList<QByteArray> f = rows[r].split(',');
        QVERIFY2(f.size() >= 4, rows[r].constData());
        sent += f[1];
        if (f[2] != "1")
            wrong << f[1] + f[2] + f[3];
    }
    QCOMPARE(sent, QByteArray("OZ1ABCOZ1ABCOZ1ABC"));
    QCOMPARE(wrong, QList<QByteArray>{"C0D"});

    // Stopped during the pause or the fourth call: no sound goes on, nothing is saved.
    const qint64 stoppedAt = capture.sampleCount();
    keys(drill, {QStringLiteral("alt+p")});
    QVERIFY(QTest::qWaitFor([&] { return capture.sampleCount() > stoppedAt + 5 * kRate; }, 15000));
    QVERIFY2(capture.lastSound() < stoppedAt + 2 * kRate,
             qPrintable(QStringLiteral("sound %1 ms after Stop")
                            .arg((capture.lastSound() - stoppedAt) * 1000 / kRate)));
    m_shots.take(QStringLiteral("stopped"));
    QVERIFY2(!QFile::exists(folder + QStringLiteral("kaldesignaltraening.csv")), "a stopped run was saved");
    QCOMPARE(testfiles::readAll(statistics).trimmed().count('\n'), 18);

    keys(drill, {QStringLiteral("Escape")});
    QVERIFY(QTest::qWaitFor([&] { return findWindow(kWindow, 100).isEmpty(); }, 10000));
    QVERIFY2(quitThroughMenu(m_program, main), "the program did not exit with status 0");
    capture.stop();
}

QTEST_GUILESS_MAIN(CallsEndToEndTest)
#include "tst_calls.moc"
