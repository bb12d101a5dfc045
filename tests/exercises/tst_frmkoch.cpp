// The Koch course and statistics windows with a scripted main window: a run scored,
// recorded and offering the next lesson, which is stored and where the window opens
// next time; a stopped or failed run never offers it; a learner's own order checked;
// an unwritable history said and the result kept; the statistics listing the weakest
// character first and handing over groups of the weak ones.

#include "support/ModalDriver.h"
#include "support/SoundSamples.h"
#include "support/TestFiles.h"
#include "engine/Morse.h"
#include "exercises/frmKoch.h"
#include "exercises/frmStatistik.h"
#include "exercises/frmGenkendelse.h"
#include "main/TextBox.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTest>

namespace {

struct Rig {
    QTemporaryDir dir;
    Settings settings;
    Morse morse;
    int starts = 0;
    ModalDriver boxes{ModalDriver::AnswerEveryMessage};
    const QStringList &warnings = boxes.messages;
    std::unique_ptr<frmKoch> window;

    Rig() : settings(soundtest::soundSettings(20, 800, 10000, 0)), morse(settings, nullptr) {}

    void open(const QString &history = QStringLiteral("koch.csv"))
    {
        window = std::make_unique<frmKoch>(
            morse,
            ReceiveTransmitter{.text = [this] { return window->lessonText(); },
                               .start = [this] { ++starts; return true; },
                               .stop = [this] { window->sendingEnded(false); }},
            [this] { return settings::openStoreAt(dir.filePath(QStringLiteral("store.ini"))); },
            dir.filePath(history), nullptr);
        window->newRandom = [] { return practice::seededUniform(7); };
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    // One run: started, copied (a space for each line break), played out, scored.
    void run(const std::function<QString(QString)> &copyOf)
    {
        window->cmdStart->click();
        QString sent = window->lessonText();
        sent.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        const QString copy = copyOf(sent.trimmed());
        QTest::keyClicks(window->txtAfskrift, copy.left(copy.size() / 2));
        window->sendingEnded(true);
        QVERIFY(!window->score() && window->cmdRet->isDefault());
        QTest::keyClicks(window->txtAfskrift, copy.mid(copy.size() / 2));   // typed on after
        QTest::keyClick(window->cmdRet, Qt::Key_Space);
    }
};

const auto exact = [](QString sent) { return sent; };

} // namespace

class FrmKochTest : public QObject {
    Q_OBJECT
private slots:
    void passedRunOffersNextLesson();
    void failedOrStoppedRun();
    void ownOrder_data();
    void ownOrder();
    void statistics();
    void recognition();
};

void FrmKochTest::passedRunOffersNextLesson()
{
    Rig rig;
    rig.open();
    frmKoch &w = *rig.window;
    QCOMPARE(w.lesson(), 1);
    w.txtMinutter->setValue(1);
    rig.run(exact);
    QCOMPARE(rig.starts, 1);
    const QString sent = w.lessonText();
    QVERIFY(!sent.isEmpty());
    QCOMPARE(QString(sent).remove(QRegularExpression(QStringLiteral("[KM\\s]"))), QString());
    QVERIFY(w.score() && w.score()->accuracy() == 100);
    QVERIFY(w.cmdNaeste->isEnabled());
    QVERIFY(w.txtResultat->toPlainText().contains(QStringLiteral("lektion 2")));
    const QByteArray history = testfiles::readAll(rig.dir.filePath(QStringLiteral("koch.csv")));
    QVERIFY(history.contains("\nkursus,1,"));
    QVERIFY(history.trimmed().endsWith(",100.0,KM,"));   // no conditions
    // Every character sent is in the statistics beside the history.
    const auto events = stats::CharacterStats(rig.dir.filePath(QStringLiteral("tegnstatistik.csv"))).read().events;
    QCOMPARE(int(events.size()), w.score()->sent);

    QTest::keyClick(w.cmdNaeste, Qt::Key_Space);
    QCOMPARE(w.lesson(), 2);
    QVERIFY(!w.cmdNaeste->isEnabled());
    QVERIFY(w.lblNyt->text().startsWith(u'U'));
    QVERIFY(rig.warnings.isEmpty());

    // Opened again: the stored lesson, and the history's run in the chart.
    w.close();
    rig.open();
    QCOMPARE(rig.window->lesson(), 2);
    QCOMPARE(rig.window->txtMinutter->value(), 1);
    QCOMPARE(rig.window->chtFremgang->chart()->series().size(), 1);   // lesson 1's run
}

void FrmKochTest::failedOrStoppedRun()
{
    Rig rig;
    // A file where the history's folder should be: the run is kept on screen and said.
    QVERIFY(testfiles::writeFile(rig.dir.filePath(QStringLiteral("blocked")), "x"));
    rig.open(QStringLiteral("blocked/koch.csv"));
    frmKoch &w = *rig.window;
    w.txtMinutter->setValue(1);
    // Every third character wrong: about 67 %.
    rig.run([](QString sent) {
        for (qsizetype i = 0; i < sent.size(); i += 3)
            if (sent[i] != u' ')
                sent[i] = sent[i] == u'K' ? u'M' : u'K';
        return sent;
    });
    QVERIFY(w.score() && w.score()->accuracy() < 90);
    QVERIFY(!w.cmdNaeste->isEnabled());
    QCOMPARE(rig.warnings.size(), 1);
    QVERIFY(rig.warnings[0].contains(QStringLiteral("kunne ikke gemmes")));
    QVERIFY(w.txtResultat->toPlainText().contains(QStringLiteral("prøv lektionen igen")));

    // Stopped by Escape: nothing scored, nothing offered.
    w.cmdStart->click();
    QVERIFY(w.cmdStop->isEnabled() && !w.cmdStart->isEnabled());
    QTest::keyClick(w.txtAfskrift, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QVERIFY(!w.score());
    QVERIFY(w.cmdStart->isEnabled() && !w.cmdNaeste->isEnabled());
}

void FrmKochTest::ownOrder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("lessons");     // 0: refused
    QTest::addColumn<QString>("said");
    QTest::newRow("Danish letters and a prosign") << QStringLiteral("æøå<ar>") << 3 << QStringLiteral("Æ Ø");
    QTest::newRow("repeated") << QStringLiteral("ABA") << 0 << QStringLiteral("mere end én gang");
    QTest::newRow("unsendable") << QStringLiteral("AB~") << 0 << QStringLiteral("ikke sende");
}

void FrmKochTest::ownOrder()
{
    QFETCH(QString, typed);
    QFETCH(int, lessons);
    QFETCH(QString, said);
    Rig rig;
    rig.open();
    frmKoch &w = *rig.window;
    QVERIFY(!w.txtEgen->isEnabled());
    w.cboRaekkefoelge->setCurrentIndex(2);
    QVERIFY(w.txtEgen->isEnabled());
    w.txtEgen->setFocus();
    QTest::keyClicks(w.txtEgen, typed);
    QTest::keyClick(w.txtEgen, Qt::Key_Tab);
    QVERIFY2(w.lblTegn->text().contains(said), qPrintable(w.lblTegn->text()));
    QCOMPARE(w.cmdStart->isEnabled(), lessons > 0);
    if (lessons > 0)
        QCOMPARE(w.txtLektion->maximum(), lessons);
}

void FrmKochTest::statistics()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tegnstatistik.csv"));
    std::vector<stats::Event> events;
    const QDateTime when(QDate(2026, 12, 9), QTime(12, 0));
    for (int i = 0; i < 20; ++i) {
        events.push_back({when, QStringLiteral("K"), true, {}, -1});
        events.push_back({when, QStringLiteral("Ø"), i % 2 == 0, i % 2 == 0 ? QString() : QStringLiteral("O"), 400});
        events.push_back({when, QStringLiteral("R"), i % 4 != 0, {}, -1});
    }
    QVERIFY(stats::CharacterStats(path).append(events));
    QVERIFY(testfiles::writeFile(path, testfiles::readAll(path) + "kaput\n"));

    frmStatistik w(path, nullptr);
    w.newRandom = [] { return practice::seededUniform(3); };
    w.show();
    QCOMPARE(w.tblTegn->rowCount(), 3);
    QCOMPARE(w.tblTegn->item(0, 0)->text(), QStringLiteral("Ø"));
    QCOMPARE(w.tblTegn->item(0, 2)->text(), QStringLiteral("50 %"));
    QCOMPARE(w.tblTegn->item(0, 4)->text(), QStringLiteral("Ø → O 10 ×"));
    QCOMPARE(w.tblTegn->item(0, 5)->text(), QStringLiteral("400 ms"));
    QCOMPARE(w.tblTegn->item(2, 0)->text(), QStringLiteral("K"));
    QVERIFY(w.lblStatus->text().contains(QStringLiteral("beskadiget")));
    QVERIFY(!w.generatedText());

    w.txtAntal->setValue(10);
    QTest::keyClick(w.cmdØv, Qt::Key_Space);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    const QString text = w.generatedText().value_or(QString());
    QVERIFY(text.startsWith(QStringLiteral("<KA><KA><KA>")));
    const QString groups = text.mid(12).chopped(4).simplified().remove(u' ');
    QCOMPARE(groups.size(), 50);
    QCOMPARE(groups.count(u'K'), 0);
}

// A run of recognition against a scripted main window and clock: each answer scored
// once the first notification dates the end of the sound, the reaction time from
// there, a wrong answer shown with the right one, and the summary after 50.
void FrmKochTest::recognition()
{
    QTemporaryDir dir;
    Settings settings = soundtest::soundSettings(20);
    Morse morse(settings, nullptr);
    int starts = 0;
    std::unique_ptr<frmGenkendelse> w;
    w = std::make_unique<frmGenkendelse>(
        morse,
        ReceiveTransmitter{.text = [&w] { return w->sentText(); },
                           .start = [&starts] { ++starts; return true; },
                           .stop = [&w] { w->sendingEnded(false); }},
        [&dir] { return settings::openStoreAt(dir.filePath(QStringLiteral("store.ini"))); },
        dir.filePath(QStringLiteral("tegnstatistik.csv")), nullptr);
    qint64 clock = 0;
    w->now = [&clock] { return clock; };
    w->newRandom = [] { return practice::seededUniform(11); };
    w->pauseMs = 0;
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w->cmdStart, Qt::Key_Space);

    // 20 WPM, dot 2646 samples: K (9 dot lengths) ends 40 ms after the first
    // notification, M (7) 80 ms before it.
    for (int i = 0; i < recognition::kRunLength; ++i) {
        QVERIFY(QTest::qWaitFor([&] { return starts == i + 1; }, 2000));
        const QString sent = w->sentText();
        QVERIFY(sent == u"K" || sent == u"M");
        clock = 1000 * i + 300;
        const QString answer = i == 0 ? (sent == u"K" ? QStringLiteral("m") : QStringLiteral("k")) : sent.toLower();
        QTest::keyClicks(w->txtSvar, answer);      // before the clock knows: waits
        QVERIFY(w->lblSvar->text().isEmpty());
        clock += 300;
        w->sendingProgressed(1);
        QCOMPARE(*w->lastReaction(), 0);   // keyed during the sound
        if (i == 0)
            QVERIFY2(w->lblSvar->text().contains(QStringLiteral("det var %1").arg(sent)), qPrintable(w->lblSvar->text()));
        w->sendingEnded(true);
    }
    QVERIFY(!w->run());
    QVERIFY(w->txtOversigt->toPlainText().contains(QStringLiteral("Runden er slut")));
    QVERIFY(w->txtOversigt->toPlainText().contains(QStringLiteral("49 af 50")));
    const auto events = stats::CharacterStats(dir.filePath(QStringLiteral("tegnstatistik.csv"))).read().events;
    QCOMPARE(events.size(), size_t(50));
    QVERIFY(!events[0].right && !events[0].takenFor.isEmpty());
    QCOMPARE(events[1].reactionMs, 0);

    // Keyed after the sound: timed from its end; Escape stops the run.
    QTest::keyClick(w->cmdStart, Qt::Key_Space);
    QVERIFY(QTest::qWaitFor([&] { return starts == 51; }, 2000));
    const QString sent = w->sentText();
    clock = 100000;
    w->sendingProgressed(1);
    clock = 100900;
    QTest::keyClicks(w->txtSvar, sent);
    QCOMPARE(*w->lastReaction(), sent == u"K" ? 860 : 980);
    QTest::keyClick(w->txtSvar, Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QVERIFY(!w->run());
    QVERIFY(w->txtOversigt->toPlainText().contains(QStringLiteral("stoppet")));
}

QTEST_MAIN(FrmKochTest)
#include "tst_frmkoch.moc"
