// The receiving practice window with a scripted main window: what counts after a
// stop, Escape as Stop and as Luk, an attempt kept on screen when its history row
// cannot be written, and the groups of "Øv fejlene".

#include "support/FileDialogs.h"
#include "support/ModalDriver.h"
#include "support/SoundSamples.h"
#include "support/TestFiles.h"
#include "engine/Morse.h"
#include "exercises/ConditionsBox.h"
#include "exercises/frmModtag.h"
#include "settings/ConditionSettings.h"
#include "main/TextBox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QComboBox>
#include <QMessageBox>
#include <QSpinBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// The window over an engine of its own, its history file in a temporary folder, and
// a main window that starts at once and reports the end when stopped.
struct Rig {
    QTemporaryDir dir;
    Settings settings;
    Morse morse;
    int starts = 0;
    std::unique_ptr<frmModtag> window;

    Rig(int farnsworth, const QString &text, const QString &history)
        : settings(soundtest::soundSettings(20, 800, 10000, farnsworth)), morse(settings, nullptr)
    {
        window = std::make_unique<frmModtag>(
            morse,
            ReceiveTransmitter{.text = [text] { return text; },
                               .start = [this] { ++starts; return true; },
                               .stop = [this] { window->sendingEnded(false); }},
            dir.filePath(history), nullptr);
    }
};

} // namespace

class FrmModtagTest : public QObject {
    Q_OBJECT
private slots:
    void stopCountsWhatWasHeard();
    void unwritableHistoryKeepsAttempt();
    void unreadableHistory_data();
    void unreadableHistory();
    void statisticsBesideHistory();
    void conditionsOverTheAttempt();
};

void FrmModtagTest::stopCountsWhatWasHeard()
{
    Rig rig(3, QStringLiteral("abcde fghij klmno pqrst"), QStringLiteral("h.csv"));
    frmModtag &window = *rig.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.cmdStart, Qt::Key_Space);
    QCOMPARE(rig.starts, 1);
    QVERIFY(window.txtAfskrift->hasFocus());
    QVERIFY(!window.cmdStart->isEnabled() && window.cmdStop->isEnabled());

    // Three notifications: 18 characters synthesised, the first 6 surely played.
    for (qsizetype sent : {6, 12, 18})
        window.sendingProgressed(sent);
    QTest::keyClicks(window.txtAfskrift, QStringLiteral("abcde fx"));
    QTest::keyClick(window.txtAfskrift, Qt::Key_Escape);   // Stop, not Luk
    QVERIFY(window.isVisible());
    QVERIFY(window.score().has_value());
    QCOMPARE(window.score()->sent, 7);     // ABCDE FG: G heard, the rest maybe not
    QCOMPARE(window.score()->correct, 6);
    QCOMPARE(window.score()->wrong, 1);
    QCOMPARE(window.tblHistorik->rowCount(), 1);
    const QByteArray rows = testfiles::readAll(rig.dir.filePath(QStringLiteral("h.csv")));
    QVERIFY(rows.contains(",20,3,"));
    QVERIFY(rows.trimmed().endsWith(",7,6,1,0,0,85.7,ABCDEFGHIJKLMNO,"));   // clean: no conditions

    // Typed on after the stop: "&Ret" scores again and replaces the row.
    QTest::keyClick(window.txtAfskrift, Qt::Key_Backspace);
    QTest::keyClicks(window.txtAfskrift, QStringLiteral("g"));
    window.cmdRet->click();
    QCOMPARE(window.score()->correct, 7);
    QCOMPARE(testfiles::readAll(rig.dir.filePath(QStringLiteral("h.csv"))).count('\n'), 2);

    QTest::keyClick(window.txtAfskrift, Qt::Key_Escape);   // idle: Luk
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
}

void FrmModtagTest::unwritableHistoryKeepsAttempt()
{
    Rig rig(0, QStringLiteral("<KA> ABCDE FGHIJ <AR>"), QStringLiteral("blocked/h.csv"));
    QVERIFY(testfiles::writeFile(rig.dir.filePath(QStringLiteral("blocked")), "x"));
    frmModtag &window = *rig.window;
    ModalDriver boxes(ModalDriver::AnswerEveryMessage);
    window.newRandom = [] { return practice::seededUniform(1); };
    window.show();
    window.cmdStart->click();
    QTest::keyClicks(window.txtAfskrift, QStringLiteral("<KA> ABXDE FGHIJ <AR>"));
    window.sendingEnded(true);
    QCOMPARE(boxes.messages.size(), 1);
    QVERIFY2(boxes.messages[0].contains(QStringLiteral("kunne ikke gemmes")), qPrintable(boxes.messages[0]));
    QCOMPARE(window.score()->wrong, 1);
    QCOMPARE(window.tblHistorik->rowCount(), 1);   // on screen all the same

    // Two groups were sent; the practice is two groups of the one wrong character.
    QVERIFY(window.cmdØv->isEnabled());
    window.cmdØv->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(window.generatedText().value_or(QString()), QStringLiteral("<KA><KA><KA>\r\n\r\nCCCCC CCCCC \r\n<AR>"));
}

void FrmModtagTest::unreadableHistory_data()
{
    // Where the history should be: the window opens at once, says so, and works.
    QTest::addColumn<QString>("kind");
#ifdef Q_OS_UNIX
    QTest::newRow("FIFO nobody writes") << "fifo";
    QTest::newRow("link to an endless device") << "zero";
#endif
}

void FrmModtagTest::unreadableHistory()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, kind);
    Rig rig(0, QStringLiteral("paris"), QStringLiteral("unused.csv"));
    const QString path = rig.dir.filePath(QStringLiteral("h.csv"));
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    QElapsedTimer clock;
    clock.start();
    frmModtag window(rig.morse, ReceiveTransmitter{.text = [] { return QStringLiteral("paris"); },
                                                   .start = [] { return true; },
                                                   .stop = [] {}},
                     path, nullptr);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(window.lblHistorik->text().contains(QStringLiteral("kunne ikke læses")),
             qPrintable(window.lblHistorik->text()));
    QVERIFY(window.cmdStart->isEnabled());
#else
    QSKIP("FIFOs are Unix");
#endif
}

// The first scoring of an attempt adds its characters to the statistics beside the
// history, a re-scoring adds nothing; statistics that cannot be written are said.
void FrmModtagTest::statisticsBesideHistory()
{
    Rig rig(0, QStringLiteral("ABCDE"), QStringLiteral("h.csv"));
    frmModtag &window = *rig.window;
    ModalDriver boxes(ModalDriver::AnswerEveryMessage);
    const QStringList &messages = boxes.messages;
    window.show();
    const QString stats = rig.dir.filePath(QStringLiteral("tegnstatistik.csv"));
    window.cmdStart->click();
    QTest::keyClicks(window.txtAfskrift, QStringLiteral("ABXD"));
    window.sendingEnded(true);
    QTest::keyClicks(window.txtAfskrift, QStringLiteral("E"));
    window.cmdRet->click();
    const QList<QByteArray> rows = testfiles::readAll(stats).split('\n');
    QCOMPARE(rows.size(), 7);   // header, five characters, the empty rest
    QVERIFY(rows[3].endsWith(",C,0,X,"));
    QVERIFY(rows[5].endsWith(",E,0,,"));   // missed at the first scoring
    QVERIFY(messages.isEmpty());

    // A folder where the statistics file should be.
    QVERIFY(QFile::remove(stats));
    QVERIFY(QDir(rig.dir.path()).mkpath(QStringLiteral("tegnstatistik.csv/inside")));
    window.cmdStart->click();
    QTest::keyClicks(window.txtAfskrift, QStringLiteral("ABCDE"));
    window.sendingEnded(true);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(QStringLiteral("statistikken")), qPrintable(messages[0]));
    QCOMPARE(window.score()->correct, 5);
    QCOMPARE(window.tblHistorik->rowCount(), 2);
}

// A preset chosen in "Forhold" is stored, lies over the attempt's sound while it
// plays and is gone from the engine when the attempt ends; a new window shows it.
void FrmModtagTest::conditionsOverTheAttempt()
{
    Rig rig(0, QStringLiteral("PARIS"), QStringLiteral("h.csv"));
    const QString storePath = rig.dir.filePath(QStringLiteral("store.ini"));
    frmModtag &window = *rig.window;
    window.openStore = [storePath] { return settings::openStoreAt(storePath); };
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(!window.grpForhold->spnSN->isEnabled());   // "Ren": nothing to set
    window.grpForhold->cboForhold->setFocus();
    QTest::keyClick(window.grpForhold->cboForhold, Qt::Key_Down);
    QTest::keyClick(window.grpForhold->cboForhold, Qt::Key_Down);   // "Middel"
    QCOMPARE(window.grpForhold->spnSN->value(), 10);
    QVERIFY(window.grpForhold->spnSN->isEnabled());

    // Silence between the elements of the clean sound; noise with the conditions.
    const auto silentSamples = [&rig] {
        rig.morse.buildElements();
        rig.morse.setText(QStringLiteral("E     "));
        const std::vector<std::int16_t> sound = soundtest::renderHalves(rig.morse);
        return std::count(sound.begin(), sound.end(), std::int16_t(0));
    };
    const auto cleanZeros = silentSamples();
    window.cmdStart->click();
    QVERIFY(silentSamples() < cleanZeros / 10);
    window.sendingEnded(true);
    QCOMPARE(silentSamples(), cleanZeros);
    // The attempt's row names its conditions as the options that play them again.
    const QByteArray row = testfiles::readAll(rig.dir.filePath(QStringLiteral("h.csv")));
    const qsizetype at = row.indexOf(",--snr 10 --filter 500 --seed ");
    QVERIFY(at > 0);
    band::Conditions heard = band::bounded({.active = true, .snrDb = 10});
    bool seedOk = false;
    heard.seed = QString::fromUtf8(row.mid(at)).section(u' ', 5, 5).section(u'\n', 0, 0).trimmed().toULongLong(&seedOk);
    QVERIFY(seedOk);

    // "Gem lyd..." writes that sound again, noise and all, sample for sample.
    QVERIFY(window.cmdGemLyd->isEnabled());
    const QString wav = rig.dir.filePath(QStringLiteral("forsøg.wav"));
    ModalDriver driver;
    driver.then(answerFileDialog(wav));
    window.cmdGemLyd->click();
    QVERIFY(driver.done());
    Settings own = rig.settings;
    Morse replay(own, nullptr);
    replay.buildElements();
    band::BandConditions conditions;
    conditions.prepare(heard, own.giTone, own.glVolume);
    replay.setConditions(&conditions);
    replay.setText(QStringLiteral("PARIS "));
    QVERIFY(soundtest::toSamples(testfiles::readAll(wav).mid(44)) == soundtest::renderHalves(replay));

    auto store = settings::openStoreAt(storePath);
    const band::Conditions stored = settings::loadConditions(*store);
    QVERIFY(stored.active);
    QCOMPARE(stored.snrDb, 10.0);
    QCOMPARE(stored.filterHz, 500);
    window.close();

    // The next window (after "Øv fejlene" too) starts from the stored conditions.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QVERIFY(settings::saveConditions(*settings::openUserStore(), stored));
    Rig again(0, QStringLiteral("PARIS"), QStringLiteral("h2.csv"));
    QCOMPARE(again.window->grpForhold->cboForhold->currentIndex(), 2);
    QCOMPARE(again.window->grpForhold->conditions(1), [&] {
        band::Conditions c = stored;
        c.seed = 1;
        return c;
    }());
}

QTEST_MAIN(FrmModtagTest)
#include "tst_frmmodtag.moc"
