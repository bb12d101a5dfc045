// The sending practice as a person uses it, under Xvfb with the private sound server:
// "TEST" keyed with the "[" and "]" levers on the key area (iambic B), the sidetone
// at the null sink read back by multimon-ng's CW decoder, the attempt ended by 3 s of
// silence and scored into the history file.

#include "support/CiSkip.h"
#include "support/SoundCapture.h"
#include "support/TestFiles.h"
#include "support/XDriver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace soundtest;
using namespace xdriver;

namespace {
const QString kTitle = QStringLiteral("Telvok's Morsetræningsprogram");
const QString kWindow = QStringLiteral("Sendetræning");

// What multimon-ng's CW decoder reads in 44100 Hz samples (it takes 22050 Hz).
QString multimonRead(const std::vector<std::int16_t> &samples)
{
    QByteArray half;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        const auto s = std::int16_t((int(samples[i]) + int(samples[i + 1])) / 2);
        half.append(reinterpret_cast<const char *>(&s), 2);
    }
    QProcess p;
    p.start(QStringLiteral("multimon-ng"), {QStringLiteral("-q"), QStringLiteral("-a"), QStringLiteral("MORSE_CW"),
                                             QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-")});
    if (!p.waitForStarted())
        return {};
    p.write(half);
    p.closeWriteChannel();
    p.waitForFinished(20000);
    return QString::fromLatin1(p.readAllStandardOutput()).simplified();
}
} // namespace

class SendEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void keyedHeardAndScored();
    void cleanupTestCase();

private:
    QTemporaryDir m_home;
    QProcess m_program;
    Screenshots m_shots{QStringLiteral(E2E_SHOT_DIR), QStringLiteral("send-")};
};

void SendEndToEndTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        SKIP_UNLESS_CI("no X display: run through scripts/test, which starts Xvfb");
    if (!serverProblem().isEmpty())
        SKIP_UNLESS_CI("no private sound server: run through scripts/test");
    if (QStandardPaths::findExecutable(QStringLiteral("multimon-ng")).isEmpty())
        SKIP_UNLESS_CI("multimon-ng is not installed");
    QVERIFY(m_home.isValid());
}

void SendEndToEndTest::cleanupTestCase()
{
    killProgram(m_program);
}

void SendEndToEndTest::keyedHeardAndScored()
{
    QElapsedTimer clock;
    clock.start();
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
    const QString csv = m_home.filePath(QStringLiteral("data/Telvok's Morsetræningsprogram/sendetraening.csv"));
    QVERIFY(startOnDisplay(m_program, QStringLiteral(TELVOK_CW), m_home.path()));
    const QString main = findWindow(kTitle);
    QVERIFY2(!main.isEmpty(), "the main window did not appear");
    type(main, QStringLiteral("test"));

    keys(main, {QStringLiteral("alt+k"), QStringLiteral("s")});
    const QString window = findWindow(kWindow, 5000);
    QVERIFY2(!window.isEmpty(), "the sending practice did not open");
    m_shots.take(QStringLiteral("opened"));

    Capture capture(clock);
    QVERIFY2(capture.start(), "parec does not deliver the null sink's monitor");
    keys(window, {QStringLiteral("Return")});   // Start: the key area takes the keys
    // At 20 WPM a dot is 60 ms. T: the dah lever tapped; E: the dit lever tapped; S:
    // the dit lever held through three dits; the pauses between are character gaps
    // (about 4 dots). One xdotool run keeps the timing.
    run(QStringLiteral("xdotool"),
        QStringList{"keydown", "bracketright", "sleep", "0.1", "keyup", "bracketright", "sleep", "0.3",
         "keydown", "bracketleft", "sleep", "0.03", "keyup", "bracketleft", "sleep", "0.25",
         "keydown", "bracketleft", "sleep", "0.29", "keyup", "bracketleft", "sleep", "0.22",
         "keydown", "bracketright", "sleep", "0.1", "keyup", "bracketright"});
    QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(csv); }, 10000), "no history row after 3 s of silence");
    capture.stop();
    m_shots.take(QStringLiteral("scored"));

    // Iambic B at 20 WPM, all four characters right, the fist measured.
    const QList<QByteArray> rows = testfiles::readAll(csv).split('\n');
    QCOMPARE(rows.size(), 3);
    const QList<QByteArray> f = rows[1].split(',');
    QCOMPARE(f.size(), 11);
    QCOMPARE(f.mid(1, 8).join(','), QByteArray("20,iambisk_b,4,4,0,0,0,100.0"));
    QVERIFY2(f[9].toDouble() > 15 && f[9].toDouble() < 25, f[9].constData());

    // What the sink played is what was keyed, to a decoder of its own (which takes
    // the hand-made 4-dot pauses between characters for word gaps at times).
    const QString heard = multimonRead(capture.samples());
    QVERIFY2(QString(heard).remove(u' ').contains(QStringLiteral("TEST")), qPrintable(heard));

    keys(window, {QStringLiteral("Escape")});
    QVERIFY(QTest::qWaitFor([&] { return findWindow(kWindow, 100).isEmpty(); }, 5000));
    QVERIFY2(quitThroughMenu(m_program, main), "the program did not exit with status 0");
}

QTEST_GUILESS_MAIN(SendEndToEndTest)
#include "tst_send.moc"
