// The installed program as a person uses it, under Xvfb with the private sound server:
// typed with xdotool, looked at with screenshots, heard through the null sink.

#include "support/CiSkip.h"
#include "support/SoundCapture.h"
#include "support/TestFiles.h"
#include "support/XDriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace soundtest;
using namespace xdriver;

namespace {

const QString kTitle = QStringLiteral("Telvok's Morsetræningsprogram");

// "x y width height" of a window.
QString geometry(const QString &window)
{
    const QString out = xdotool({QStringLiteral("getwindowgeometry"), window});
    static const QRegularExpression re(QStringLiteral("Position: (-?\\d+),(-?\\d+).*Geometry: (\\d+)x(\\d+)"),
                                       QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(out);
    return m.hasMatch() ? QStringLiteral("%1 %2 %3 %4").arg(m.captured(1), m.captured(2),
                                                           m.captured(3), m.captured(4))
                        : QString();
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sendStopSaveRestart();
    void cleanupTestCase();

private:
    void startProgram();

    QTemporaryDir m_home;
    Screenshots m_shots{QStringLiteral(E2E_SHOT_DIR), QString()};
    QProcess m_program;
};

void EndToEndTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        SKIP_UNLESS_CI("no X display: run through scripts/test, which starts Xvfb");
    const QString problem = serverProblem();
    if (!problem.isEmpty())
        SKIP_UNLESS_CI("no private sound server: run through scripts/test");
    QVERIFY(m_home.isValid());
}

void EndToEndTest::cleanupTestCase()
{
    killProgram(m_program);
}

void EndToEndTest::startProgram()
{
    QVERIFY(startOnDisplay(m_program, QStringLiteral(TELVOK_CW), m_home.path()));
}

void EndToEndTest::sendStopSaveRestart()
{
    QElapsedTimer clock;
    clock.start();
    Capture capture(clock);
    QVERIFY2(capture.start(), "parec does not deliver the null sink's monitor");

    startProgram();
    const QString main = findWindow(kTitle);
    QVERIFY2(!main.isEmpty(), "the main window did not appear");
    m_shots.take(QStringLiteral("started"));

    // Typed lower case arrives upper-cased; characters outside the set are dropped.
    type(main, QStringLiteral("cq de oz1abc %"));
    m_shots.take(QStringLiteral("typed"));

    // Settings: speed from 20 up to 25 WPM, then OK with Enter.
    keys(main, {QStringLiteral("alt+i")});
    keys(main, {QStringLiteral("i")});
    const QString cw = findWindow(QStringLiteral("CW indstillinger"), 5000);
    QVERIFY2(!cw.isEmpty(), "the CW settings dialog did not open");
    keys(cw, {QStringLiteral("Up"), QStringLiteral("Up"), QStringLiteral("Up"),
              QStringLiteral("Up"), QStringLiteral("Up")});
    m_shots.take(QStringLiteral("settings"));
    keys(cw, {QStringLiteral("Return")});
    QVERIFY(QTest::qWaitFor([&] { return findWindow(QStringLiteral("CW indstillinger"), 100).isEmpty(); }, 5000));

    // An exercise from window 1: option "ABCDE" has the focus; Enter generates.
    keys(main, {QStringLiteral("alt+k")});
    keys(main, {QStringLiteral("1")});
    const QString ov1 = findWindow(QStringLiteral("Øvelser 1"), 5000);
    QVERIFY2(!ov1.isEmpty(), "exercise window 1 did not open");
    m_shots.take(QStringLiteral("exercise"));
    keys(ov1, {QStringLiteral("Return")});
    QVERIFY(QTest::qWaitFor([&] { return findWindow(QStringLiteral("Øvelser 1"), 100).isEmpty(); }, 5000));
    m_shots.take(QStringLiteral("generated"));

    // Send it, and stop with Escape after a few seconds.
    const qint64 before = capture.sampleCount();
    keys(main, {QStringLiteral("alt+t")});
    QVERIFY2(QTest::qWaitFor([&] { return capture.firstSound(before) >= 0; }, 5000), "no sound reached the sink");
    QTest::qWait(2500);
    m_shots.take(QStringLiteral("sending"));
    keys(main, {QStringLiteral("Escape")});
    QTest::qWait(1500);
    m_shots.take(QStringLiteral("stopped"));

    // Save: the save dialog asks for a name (the text has none yet).
    const QString saved = m_home.filePath(QStringLiteral("oevelse.txt"));
    const QString problem = saveAs(main, {QStringLiteral("ctrl+s")}, saved);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    m_shots.take(QStringLiteral("saved"));
    const QString geometryAtQuit = geometry(main);

    QVERIFY2(quitThroughMenu(m_program, main), "the program did not exit with status 0");
    capture.stop();

    // The file: the text box's text, then one CR LF, in Windows-1252.
    const QByteArray bytes = testfiles::readAll(saved);
    QVERIFY(bytes.startsWith("<KA><KA><KA>\r\nABCDE ABCDE ABCDE \r\n"));
    QVERIFY(bytes.endsWith("<AR>\r\n"));

    // The store: the new speed in [CW], the window in [Settings].
    const QString ini = m_home.filePath(kTitle + QLatin1Char('/') + kTitle + QStringLiteral(".ini"));
    QSettings store(ini, QSettings::IniFormat);
    QCOMPARE(store.value(QStringLiteral("CW/WPM")).toString(), QStringLiteral("25"));
    QVERIFY(store.contains(QStringLiteral("Settings/MainLeft")));
    QCOMPARE(store.value(QStringLiteral("Settings/Skjul")).toString(), QStringLiteral("False"));

    // The sound: exactly what telvok-cw-send renders for the same text, from its
    // start up to the stop, then silence.
    const QString wav = m_home.filePath(QStringLiteral("reference.wav"));
    QProcess render;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    render.setProcessEnvironment(env);
    render.start(QStringLiteral(TELVOK_CW_SEND), {QStringLiteral("-o"), wav, saved});
    QVERIFY(render.waitForFinished(30000));
    QCOMPARE(render.exitCode(), 0);
    const std::vector<std::int16_t> reference = toSamples(testfiles::readAll(wav).mid(44));
    const std::vector<std::int16_t> captured = capture.samples();
    const std::vector<std::int16_t> sent(captured.begin() + before, captured.end());
    const Match m = locate(sent, reference);
    QVERIFY2(m.found, "the captured sound does not hold the rendered text");
    const double seconds = double(m.matched) / 44100;
    qInfo("matched %.2f s of sound sample for sample, %lld samples after it", seconds, m.noiseAfter);
    QVERIFY2(seconds > 2.0, "less than two seconds matched before the stop");
    QVERIFY2(m.firstSound < 44100 / 10, "more than 0.1 s lost at the start");
    QCOMPARE(m.noiseAfter, 0);

    // Restart: the window comes back where it was.
    startProgram();
    const QString again = findWindow(kTitle);
    QVERIFY(!again.isEmpty());
    QTest::qWait(500);
    m_shots.take(QStringLiteral("restarted"));
    QCOMPARE(geometry(again), geometryAtQuit);
    QVERIFY(quitThroughMenu(m_program, again));
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
