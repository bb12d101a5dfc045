// The sending practice window over a simulated sidetone stream: keys and mouse buttons
// on the key area (told apart by their native codes, auto-repeat ignored, released on
// focus loss), every mode decoded and scored, the attempt ended by 3 s of silence, the
// history row written (or the failure said), and the mode kept in the settings store.

#include "support/ModalDriver.h"
#include "support/SoundSamples.h"
#include "support/TestFiles.h"
#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSidetoneStream.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "exercises/frmSendetraening.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTest>

namespace {

constexpr int kWpm = 20;
constexpr int kBlock = 441;   // samples the stream pulls at a time (10 ms)

// Sends a lever key or mouse button to the key area. Lever codes: L left Ctrl, R
// right Ctrl, [ and ], M and N the left and right mouse buttons.
void lever(KeyArea *area, QChar code, bool down, bool repeat)
{
    if (code == u'M' || code == u'N') {
        const Qt::MouseButton b = code == u'M' ? Qt::LeftButton : Qt::RightButton;
        if (down)
            QTest::mousePress(area, b);
        else
            QTest::mouseRelease(area, b);
        return;
    }
    const quint32 scan = code == u'L' ? 37 : code == u'R' ? 105 : code == u'[' ? 34 : 35;
    const quint32 symbol = code == u'L' ? 0xffe3 : code == u'R' ? 0xffe4 : code == u'[' ? 0x5b : 0x5d;
    const int key = code == u'L' || code == u'R' ? Qt::Key_Control : code == u'[' ? Qt::Key_BracketLeft : Qt::Key_BracketRight;
    QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier, scan, symbol, 0,
                QString(), repeat);
    QCoreApplication::sendEvent(area, &e);
}

} // namespace

class FrmSendetraeningTest : public QObject {
    Q_OBJECT
private slots:
    void attempts_data();
    void attempts();
    void serverLostWhileKeying();
};

void FrmSendetraeningTest::attempts_data()
{
    QTest::addColumn<int>("mode");          // index of "Tilstand"
    QTest::addColumn<bool>("swapped");
    QTest::addColumn<QString>("text");
    // "<code><+|-|*><dots>": press, release, or an auto-repeated press/release pair of a
    // lever at a time in dot lengths; "F<dots>": the focus leaves the key area;
    // "S<dots>": Stop.
    QTest::addColumn<QString>("keying");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<int>("correct");
    QTest::addColumn<bool>("historyWritable");

    QTest::newRow("iambic B with the Ctrl keys") << 2 << false << "ET" << "L+0 L-0.5 R+5 R-5.5" << "ET" << 2 << true;
    QTest::newRow("swapped levers") << 2 << true << "TE" << "L+0 L-0.5 R+7 R-7.5" << "TE" << 2 << true;
    QTest::newRow("straight key on [ and ], a word gap")
        << 0 << false << "E T" << "[+0 [-1 ]+8 ]-11" << "E T" << 2 << true;
    QTest::newRow("straight key: auto-repeat ignored, focus loss lets go")
        << 0 << false << "E" << "L+0 L*0.5 F1 L-9" << "E" << 1 << true;
    QTest::newRow("mouse buttons, single dot, a wrong character")
        << 4 << false << "AN" << "M+0 M-0.3 N+1 N-3.5 N+8 N-10.5" << "AT" << 1 << true;
    QTest::newRow("free keying, no text") << 3 << false << "" << "L+0 L-0.5 L+4 L-4.5" << "EE" << 0 << true;
    QTest::newRow("history cannot be written: said, result kept")
        << 1 << false << "E" << "L+0 L-0.5" << "E" << 1 << false;
    QTest::newRow("Stop just after the last mark: it counts")
        << 0 << false << "I" << "[+0 [-1 [+2 [-2.5 S2.6" << "I" << 1 << true;
}

void FrmSendetraeningTest::attempts()
{
    QFETCH(int, mode);
    QFETCH(bool, swapped);
    QFETCH(QString, text);
    QFETCH(QString, keying);
    QFETCH(QString, decoded);
    QFETCH(int, correct);
    QFETCH(bool, historyWritable);

    QTemporaryDir dir;
    const QString storePath = dir.filePath(QStringLiteral("store.ini"));
    const QString historyPath = historyWritable ? dir.filePath(QStringLiteral("sendetraening.csv"))
                                                : dir.filePath(QStringLiteral("file/sendetraening.csv"));
    if (!historyWritable)
        QVERIFY(testfiles::writeFile(dir.filePath(QStringLiteral("file")), "not a folder"));
    Settings settings = soundtest::soundSettings(kWpm);
    auto device = std::make_unique<SimulatedSoundDevice>();
    SimulatedSoundDevice *simulated = device.get();
    Morse morse(settings, std::move(device));
    const settings::StoreOpener opener = [storePath] { return settings::openStoreAt(storePath); };

    ModalDriver boxes(ModalDriver::AnswerEveryMessage);
    {
        frmSendetraening window(morse, text, opener, historyPath, nullptr);
        SimulatedSidetoneStream *stream = simulated->lastSidetone();
        QVERIFY(stream && stream->isRunning());
        QCOMPARE(window.cboTilstand->currentIndex(), 2);   // Iambisk B unless stored otherwise
        window.cboTilstand->setCurrentIndex(mode);
        window.chkByt->setChecked(swapped);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(window.cmdStart, Qt::Key_Space);
        QVERIFY(window.isRunning());
        QVERIFY(!window.cmdStart->isEnabled() && window.cmdStop->isEnabled());

        const qint64 dot = Morse::dotLength(kWpm);
        const qint64 origin = [&] { stream->advance(kBlock); window.poll(); return qint64(stream->played().size()); }();
        for (const QString &step : keying.split(u' ')) {
            const bool focus = step[0] == u'F';
            const bool stop = step[0] == u'S';
            const qint64 at = origin + qint64(step.mid(focus || stop ? 1 : 2).toDouble() * double(dot));
            while (qint64(stream->played().size()) < at) {
                stream->advance(std::min<qint64>(kBlock, at - qint64(stream->played().size())));
                window.poll();
            }
            if (stop) {
                QTest::keyClick(window.cmdStop, Qt::Key_Space);
            } else if (focus) {
                window.keyNøgle->clearFocus();
                QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
                QCoreApplication::sendEvent(window.keyNøgle, &out);
            } else if (step[1] == u'*') {
                lever(window.keyNøgle, step[0], false, true);
                lever(window.keyNøgle, step[0], true, true);
            } else {
                lever(window.keyNøgle, step[0], step[1] == u'+', false);
            }
        }
        // 3 s without keying end the attempt by themselves.
        for (int i = 0; i < 600 && window.isRunning(); ++i) {
            stream->advance(kBlock);
            window.poll();
        }
        QVERIFY(!window.isRunning());
        QCOMPARE(window.decodedText(), decoded);
        QCOMPARE(window.score().has_value(), !text.isEmpty());
        if (window.score())
            QCOMPARE(window.score()->correct, correct);
        QVERIFY(window.cmdStart->isEnabled());
        QCOMPARE(boxes.messages.size(), historyWritable ? 0 : 1);
        QCOMPARE(window.txtResultat->toPlainText().contains(QStringLiteral("Håndskrift: ")), window.fist().valid);
        QVERIFY(window.fist().valid);
    }

    // One row in the history, and the mode kept for the next window.
    const QByteArray csv = testfiles::readAll(historyPath);
    QCOMPARE(csv.count('\n'), historyWritable ? 2 : 0);
    frmSendetraening again(morse, text, opener, historyPath, nullptr);
    QCOMPARE(again.cboTilstand->currentIndex(), mode);
    QCOMPARE(again.chkByt->isChecked(), swapped);
}

// The sound server goes away during an attempt: the attempt ends with the program's
// message, and keying goes on without sound, on the wall clock.
void FrmSendetraeningTest::serverLostWhileKeying()
{
    QTemporaryDir dir;
    Settings settings = soundtest::soundSettings(kWpm);
    auto device = std::make_unique<SimulatedSoundDevice>();
    SimulatedSoundDevice *simulated = device.get();
    Morse morse(settings, std::move(device));
    frmSendetraening window(morse, QStringLiteral("T"), {}, dir.filePath(QStringLiteral("h.csv")), nullptr);
    ModalDriver boxes(ModalDriver::AnswerEveryMessage);
    const QStringList &messages = boxes.messages;
    window.cboTilstand->setCurrentIndex(0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(window.cmdStart, Qt::Key_Space);
    SimulatedSidetoneStream *stream = simulated->lastSidetone();
    stream->advance(kBlock);
    lever(window.keyNøgle, u'L', true, false);
    stream->advance(300 * kBlock);   // 3 s of sound before the loss
    window.poll();
    stream->failNow();   // the window lets go of the stream
    QTRY_COMPARE(messages, QStringList{QStringLiteral("Lydkort findes ikke.")});
    QVERIFY(!window.isRunning());
    QCOMPARE(window.lblForsinkelse->text(), QStringLiteral("Forsinkelse: ingen lyd"));

    lever(window.keyNøgle, u'L', false, false);
    QTest::keyClick(window.cmdStart, Qt::Key_Space);
    QVERIFY(window.isRunning());
    lever(window.keyNøgle, u'L', true, false);
    QTest::qWait(250);   // a dash at 20 WPM (180 ms) give or take the timers
    lever(window.keyNøgle, u'L', false, false);
    QTRY_COMPARE(window.decodedText(), QStringLiteral("T"));
}

QTEST_MAIN(FrmSendetraeningTest)
#include "tst_frmsendetraening.moc"
