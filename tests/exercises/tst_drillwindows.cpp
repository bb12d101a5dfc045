// The callsign and word windows with a scripted player: a run's speeds, points, report,
// history row and best ten; a replay; a history that cannot be read or written; and the
// contact "Lav QSO" hands over.

#include "exercises/CharacterStats.h"
#include "exercises/DrillHistory.h"
#include "exercises/frmKaldesignal.h"
#include "exercises/frmOrdQso.h"
#include "exercises/QsoText.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

// A main window that plays at once and remembers what it was asked to play.
struct Player {
    struct Play {
        QString text;
        int wpm;
    };
    std::vector<Play> plays;
    int stops = 0;
    ItemPlayer item()
    {
        return {.play = [this](const QString &t, int w) { plays.push_back({t, w}); return true; },
                .stop = [this] { ++stops; }};
    }
};

void typeAndEnter(SpeedDrillPanel &drill, const QString &text)
{
    QTRY_VERIFY(drill.txtAfskrift->isEnabled() && !drill.txtAfskrift->isReadOnly());
    QTest::keyClicks(drill.txtAfskrift, text);
    QTest::keyClick(drill.txtAfskrift, Qt::Key_Return);
}

} // namespace

class DrillWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void callRun_data();
    void callRun();
    void qsoHandOver();
};

// A run of three calls: what is played at which speed, the points and the report, the
// history row and the best ten; a history path that is a folder keeps the result on
// screen and says it was not saved.
void DrillWindowsTest::callRun_data()
{
    QTest::addColumn<QStringList>("typed");         // "=" is an exact copy
    QTest::addColumn<bool>("replayFirst");
    QTest::addColumn<bool>("historyWritable");
    QTest::addColumn<QList<int>>("speeds");
    QTest::addColumn<int>("exact");

    QTest::newRow("exact, miss, exact") << QStringList{"=", "Q", "="} << false << true
                                        << QList<int>{20, 21, 20} << 2;
    QTest::newRow("replay halves the first") << QStringList{"=", "=", "="} << true << true
                                             << QList<int>{20, 20, 21, 22} << 3;
    QTest::newRow("history cannot be written") << QStringList{"=", "=", "="} << false << false
                                               << QList<int>{20, 21, 22} << 3;
}

void DrillWindowsTest::callRun()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, replayFirst);
    QFETCH(bool, historyWritable);
    QFETCH(QList<int>, speeds);
    QFETCH(int, exact);

    QTemporaryDir dir;
    const QString history = dir.filePath(QStringLiteral("kald.csv"));
    if (!historyWritable)
        QVERIFY(QDir().mkpath(history));
    Player player;
    frmKaldesignal window(player.item(), 20, history, nullptr);
    SpeedDrillPanel &drill = *window.drill;
    drill.newRandom = [] { return practice::seededUniform(11); };
    drill.cboAntal->addItem(QStringLiteral("3"), 3);
    drill.cboAntal->setCurrentIndex(drill.cboAntal->count() - 1);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(drill.cmdStart, Qt::Key_Space);
    QVERIFY(drill.isRunning());
    if (replayFirst) {
        QTest::keyClick(&window, Qt::Key_F6);
        QTest::keyClick(&window, Qt::Key_F6);   // once only
        QVERIFY(!drill.cmdIgen->isEnabled());
    }
    int expectedPoints = 0;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QTRY_VERIFY(!drill.txtAfskrift->isReadOnly());
        const QString call = player.plays.back().text;
        const int wpm = player.plays.back().wpm;
        const QString copy = typed[i] == u"=" ? call.toLower() : typed[i];
        const bool replayed = replayFirst && i == 0;
        expectedPoints += drill::points(drill::itemLength(call), wpm,
                                        drill::mistakes(call, copy.toUpper()), replayed);
        typeAndEnter(drill, copy);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY(!drill.isRunning());
    QList<int> played;
    for (const Player::Play &p : player.plays)
        played << p.wpm;
    QCOMPARE(played, speeds);
    QVERIFY(drill.txtResultat->toPlainText().contains(QStringLiteral("%1 point").arg(expectedPoints)));
    QVERIFY(drill.txtResultat->toPlainText().contains(QStringLiteral("%1 af 3 rigtige").arg(exact)));
    QCOMPARE(drill.txtResultat->toPlainText().contains(QStringLiteral("kunne ikke gemmes")),
             !historyWritable);
    QCOMPARE(drill.tblBedste->rowCount(), 1);
    QCOMPARE(drill.tblBedste->item(0, 0)->text(), QString::number(expectedPoints));

    // Every character of every copy went into the statistics beside the history.
    const auto events = stats::CharacterStats(stats::CharacterStats::pathBeside(history)).read().events;
    int characters = 0;
    for (const Player::Play &p : player.plays)
        characters += drill::itemLength(p.text);
    if (replayFirst)
        characters -= drill::itemLength(player.plays.front().text);   // the same call twice
    QCOMPARE(int(events.size()), characters);

    const drill::DrillHistory::Contents saved = drill::DrillHistory(history).read();
    QCOMPARE(saved.readable, historyWritable);
    if (historyWritable) {
        QCOMPARE(saved.runs.size(), size_t(1));
        QCOMPARE(saved.runs[0].points, expectedPoints);
        QCOMPARE(saved.runs[0].source, QStringLiteral("kald"));
        QCOMPARE(saved.runs[0].count, 3);
        QCOMPARE(saved.runs[0].exact, exact);
    }
}

void DrillWindowsTest::qsoHandOver()
{
    QTemporaryDir dir;
    Player player;
    frmOrdQso window(player.item(), 20, dir.filePath(QStringLiteral("ord.csv")), nullptr);
    window.newRandom = [] { return practice::seededUniform(5); };
    window.cboSprog->setCurrentIndex(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(!window.generatedText());
    QTest::keyClick(window.cmdQso, Qt::Key_Space);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(window.generatedText());
    QCOMPARE(*window.generatedText(),
             qso::generate(qso::Language::English, qso::Length::Medium, practice::seededUniform(5)));
    QVERIFY(player.plays.empty());
}

QTEST_MAIN(DrillWindowsTest)
#include "tst_drillwindows.moc"
