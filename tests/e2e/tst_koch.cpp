// A Koch lesson as a learner takes it, under Xvfb with the private sound server: the
// new character heard, a one-minute run of lesson 1 played into the null sink and
// copied with xdotool from what the sink received, scored into the course's history
// and the statistics, the next lesson taken and stored; then one character of
// recognition answered and timed from the end of its sound.

#include "support/CiSkip.h"
#include "support/SoundCapture.h"
#include "support/TestFiles.h"
#include "support/XDriver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace soundtest;
using namespace xdriver;

namespace {

const QString kTitle = QStringLiteral("Telvok's Morsetræningsprogram");
const QString kWindow = QStringLiteral("Koch-kursus");
constexpr int kWpm = 25;
constexpr double kDotMs = 1200.0 / kWpm;
constexpr int kSamplesPerMs = 44;       // 44.1 per ms; close enough for whole elements

// The text in samples, read as a listener would: tone and silence lengths in dots,
// a dot under two, a gap of five or more between groups. Only K and M are known.
QString decode(const std::vector<std::int16_t> &samples)
{
    std::vector<bool> on;   // per millisecond
    for (size_t i = 0; i + kSamplesPerMs <= samples.size(); i += kSamplesPerMs) {
        bool any = false;
        for (size_t k = i; k < i + kSamplesPerMs && !any; ++k)
            any = samples[k] != 0;
        on.push_back(any);
    }
    // A silence much shorter than a dot is a dropout of a loaded machine inside a
    // tone (the stream paused and went on), not a gap: it is bridged.
    for (size_t i = 0; i < on.size();) {
        size_t j = i;
        while (j < on.size() && on[j] == on[i])
            ++j;
        if (!on[i] && i > 0 && j < on.size() && double(j - i) < 0.6 * kDotMs)
            std::fill(on.begin() + qsizetype(i), on.begin() + qsizetype(j), true);
        i = j;
    }
    QString text, pattern;
    const auto endCharacter = [&] {
        if (pattern == u"-.-")
            text += u'K';
        else if (pattern == u"--")
            text += u'M';
        else if (pattern == u"..-")
            text += u'U';
        else if (!pattern.isEmpty())
            text += u'?';
        pattern.clear();
    };
    size_t i = 0;
    while (i < on.size() && !on[i])
        ++i;
    while (i < on.size()) {
        size_t j = i;
        while (j < on.size() && on[j] == on[i])
            ++j;
        const double dots = double(j - i) / kDotMs;
        if (on[i]) {
            pattern += dots < 2 ? u'.' : u'-';
        } else if (dots >= 2) {
            endCharacter();
            if (dots >= 5)
                text += u' ';
        }
        i = j;
    }
    endCharacter();
    return text.trimmed();
}

} // namespace

class KochEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void lessonPassedAndNextTaken();
    void cleanupTestCase();

private:
    QTemporaryDir m_home;
    QProcess m_program;
    Screenshots m_shots{QStringLiteral(E2E_SHOT_DIR), QStringLiteral("koch-")};
};

void KochEndToEndTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        SKIP_UNLESS_CI("no X display: run through scripts/test, which starts Xvfb");
    if (!serverProblem().isEmpty())
        SKIP_UNLESS_CI("no private sound server: run through scripts/test");
    QVERIFY(m_home.isValid());
}

void KochEndToEndTest::cleanupTestCase()
{
    killProgram(m_program);
}

void KochEndToEndTest::lessonPassedAndNextTaken()
{
    const QString ini = m_home.filePath(kTitle + QLatin1Char('/') + kTitle + QStringLiteral(".ini"));
    {
        QSettings store(ini, QSettings::IniFormat);
        store.setValue(QStringLiteral("CW/WPM"), QString::number(kWpm));
        store.setValue(QStringLiteral("CW/Farnsworth"), QStringLiteral("0"));
        store.setValue(QStringLiteral("Koch/Minutter"), QStringLiteral("1"));
    }
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
    const QString folder = m_home.filePath(QStringLiteral("data/Telvok's Morsetræningsprogram/"));

    QElapsedTimer clock;
    clock.start();
    Capture capture(clock);
    QVERIFY2(capture.start(), "parec does not deliver the null sink's monitor");
    QVERIFY(startOnDisplay(m_program, QStringLiteral(TELVOK_CW), m_home.path()));
    const QString main = findWindow(kTitle);
    QVERIFY2(!main.isEmpty(), "the main window did not appear");
    m_shots.take(QStringLiteral("main"));

    keys(main, {QStringLiteral("alt+k"), QStringLiteral("k")});
    const QString koch = findWindow(kWindow, 5000);
    QVERIFY2(!koch.isEmpty(), "the Koch course did not open");
    m_shots.take(QStringLiteral("opened"));

    // The new character alone: M, five times.
    qint64 from = capture.sampleCount();
    keys(koch, {QStringLiteral("alt+h")});
    QVERIFY2(QTest::qWaitFor([&] { return capture.firstSound(from) >= 0; }, 5000), "the new character was not heard");
    QVERIFY(QTest::qWaitFor([&] { return capture.sampleCount() - capture.lastSound() > 44100; }, 15000));
    std::vector<std::int16_t> heard = capture.samples();
    heard.erase(heard.begin(), heard.begin() + from);
    const QString intro = decode(heard);
    if (intro.contains(u'?'))
        qWarning("the sink received garbled sound: %s", qPrintable(intro));
    else
        QCOMPARE(intro, QStringLiteral("M M M M M"));
    QVERIFY2(intro.startsWith(u'M'), qPrintable(intro));

    // The run; played out once a second of silence follows it.
    from = capture.sampleCount();
    keys(koch, {QStringLiteral("alt+s")});
    QVERIFY2(QTest::qWaitFor([&] { return capture.firstSound(from) >= 0; }, 5000), "the run was not heard");
    m_shots.take(QStringLiteral("sending"));
    QVERIFY2(QTest::qWaitFor([&] { return capture.sampleCount() - capture.lastSound() > 44100; }, 100000),
             "the run did not end");
    heard = capture.samples();
    heard.erase(heard.begin(), heard.begin() + from);
    // A heavily loaded machine may garble a stretch of the sound at the sink; what was
    // heard is copied all the same, and the score must be what that copy deserves.
    const QString copy = decode(heard);
    const bool clean = !copy.contains(u'?');
    if (!clean)
        qWarning("the sink received garbled sound: %s", qPrintable(copy));
    QVERIFY2(copy.size() > 40, qPrintable(copy));

    // Copied after the sound, then "&Ret" scores it.
    type(koch, QString(copy).replace(u'?', u'k').toLower());
    keys(koch, {QStringLiteral("alt+r")});
    const QString history = folder + QStringLiteral("koch.csv");
    QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(history); }, 10000), "no history row");
    m_shots.take(QStringLiteral("scored"));
    const QList<QByteArray> rows = testfiles::readAll(history).split('\n');
    QCOMPARE(rows.size(), 3);
    QVERIFY(rows[0].startsWith("raekkefoelge,lektion,tidspunkt,"));
    QVERIFY2(rows[1].startsWith("kursus,1,") && rows[1].endsWith(",KM,"), rows[1].constData());
    const double accuracy = rows[1].split(',').value(11).toDouble();
    if (clean) {
        QCOMPARE(accuracy, 100.0);
        const int sent = int(copy.count(u'K') + copy.count(u'M'));
        QCOMPARE(testfiles::readAll(folder + QStringLiteral("tegnstatistik.csv")).count('\n'), sent + 1);
    }
    const int statisticsRows = int(testfiles::readAll(folder + QStringLiteral("tegnstatistik.csv")).count('\n'));

    // At 90 % the next lesson is offered: taken, and kept after closing.
    keys(koch, {QStringLiteral("alt+n")});
    m_shots.take(QStringLiteral("next-lesson"));
    keys(koch, {QStringLiteral("Escape")});
    QVERIFY(QTest::qWaitFor([&] { return findWindow(kWindow, 100).isEmpty(); }, 5000));
    QCOMPARE(QSettings(ini, QSettings::IniFormat).value(QStringLiteral("Koch/Lektion_kursus")).toString(),
             accuracy >= 90 ? QStringLiteral("2") : QStringLiteral("1"));

    // Recognition of lesson 2's characters: one character heard, typed a second after
    // its sound ended; the reaction time is taken from the heard end.
    keys(main, {QStringLiteral("alt+k"), QStringLiteral("g")});
    const QString recognise = findWindow(QStringLiteral("Genkendelse"), 5000);
    QVERIFY2(!recognise.isEmpty(), "the recognition window did not open");
    from = capture.sampleCount();
    keys(recognise, {QStringLiteral("Return")});
    QVERIFY2(QTest::qWaitFor([&] { return capture.firstSound(from) >= 0; }, 5000), "no character was heard");
    QVERIFY(QTest::qWaitFor([&] { return capture.sampleCount() - capture.lastSound() > 44100; }, 10000));
    heard = capture.samples();
    heard.erase(heard.begin(), heard.begin() + from);
    const qint64 silentMs = (qint64(heard.size()) - (capture.lastSound() - from)) * 1000 / 44100;
    QString character = decode(heard);
    type(recognise, character.toLower());
    const QString statistics = folder + QStringLiteral("tegnstatistik.csv");
    QVERIFY(QTest::qWaitFor([&] { return testfiles::readAll(statistics).count('\n') == statisticsRows + 1; }, 5000));
    m_shots.take(QStringLiteral("recognised"));
    const QList<QByteArray> last = testfiles::readAll(statistics).trimmed().split('\n').last().split(',');
    const int reaction = last.value(4).toInt();
    QVERIFY2((last.value(2) == "1" || !clean) && reaction >= silentMs - 50 && reaction < silentMs + 1500,
             qPrintable(QStringLiteral("%1 ms, %2 ms of silence captured before the key")
                            .arg(reaction).arg(silentMs)));
    keys(recognise, {QStringLiteral("Escape"), QStringLiteral("Escape")});
    QVERIFY(QTest::qWaitFor([&] { return findWindow(QStringLiteral("Genkendelse"), 100).isEmpty(); }, 5000));

    QVERIFY2(quitThroughMenu(m_program, main), "the program did not exit with status 0");
    capture.stop();
}

QTEST_GUILESS_MAIN(KochEndToEndTest)
#include "tst_koch.moc"
