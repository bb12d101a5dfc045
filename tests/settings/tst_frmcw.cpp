// The CW settings dialog on a simulated sound device and a store in a temporary folder.

#include "program/ProgramInfo.h"
#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "settings/SettingsStore.h"
#include "settings/frmCW.h"
#include "support/ModalDriver.h"
#include "support/SoundSamples.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using soundtest::soundSettings;

namespace {

// Counts the device opens, i.e. the sound rebuilds.
class CountingDevice : public SimulatedSoundDevice {
public:
    bool open(int bufferBytes) override
    {
        ++opens;
        return SimulatedSoundDevice::open(bufferBytes);
    }
    int opens = 0;
};

// A record with these sound settings and texts of its own in every text key.
Settings record(Settings s)
{
    s.gsN = QStringLiteral("ABC");
    s.gsT = QStringLiteral("VLF");
    for (size_t i = 0; i < s.gsTekst.size(); ++i)
        s.gsTekst[i] = QStringLiteral("tekst %1").arg(i + 1);
    return s;
}

// One dialog over one engine, with a store file that does not exist yet.
struct Rig {
    Settings settings;
    CountingDevice *device;
    Morse morse;
    QWidget owner;
    QString storePath;
    std::unique_ptr<frmCW> dialog;

    Rig(const Settings &s, const QString &path, bool withBuffer = true)
        : settings(s), device(new CountingDevice),
          morse(settings, std::unique_ptr<SoundDevice>(device)), storePath(path)
    {
        if (withBuffer)
            morse.LavLyd();
        device->opens = 0;
        owner.setGeometry(100, 100, 640, 480);
        owner.show();
        dialog = std::make_unique<frmCW>(
            morse, [this] { return settings::openStoreAt(storePath); }, &owner);
        dialog->show();
    }

    template <typename T> T *child(const char *name) const
    {
        T *w = dialog->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString text(const char *box) const { return child<QLineEdit>(box)->text(); }
    void spin(const char *control, int clicks)
    {
        auto *c = child<SpinButtons>(control);
        for (int i = 0; i < std::abs(clicks); ++i)
            QTest::keyClick(c, clicks > 0 ? Qt::Key_Up : Qt::Key_Down);
    }
    void clickOK() { QTest::mouseClick(child<QPushButton>("cmdOK"), Qt::LeftButton); }
};

} // namespace

class FrmCWTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void realSpeedShown_data();
    void realSpeedShown();
    void realSpeedGuards_data();
    void realSpeedGuards();
    void spinningRecomputes();
    void spinBounds_data();
    void spinBounds();
    void outOfRangeValuesShownClamped();
    void okOnlySpacingChanged();
    void okOnlyVolumeChanged();
    void okWithoutBufferDoesNotOpenDevice();
    void okNothingChangedWritesAllKeys();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void okRebuildFails();
    void okSaveFails();
    void valueBoxesReadOnly();

private:
    QString freshStorePath() { return m_dir.filePath(QStringLiteral("store%1.ini").arg(++m_stores)); }
    QTemporaryDir m_dir;
    int m_stores = 0;
};

void FrmCWTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void FrmCWTest::realSpeedShown_data()
{
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("farnsworth");
    QTest::addColumn<QString>("cpm");
    QTest::addColumn<QString>("realWpm");
    QTest::newRow("20 wpm, no spacing") << 20 << 0 << "100" << "20";
    QTest::newRow("20 wpm, spacing 5") << 20 << 5 << "67" << "13";
    QTest::newRow("7 wpm, spacing 10: half rounds up") << 7 << 10 << "18" << "3";
    QTest::newRow("12 wpm, spacing 10") << 12 << 10 << "30" << "6";
    QTest::newRow("12 wpm, spacing 8") << 12 << 8 << "33" << "6";
    QTest::newRow("60 wpm, spacing 20") << 60 << 20 << "100" << "20";
    QTest::newRow("5 wpm, spacing 20") << 5 << 20 << "8" << "1";
    QTest::newRow("5 wpm, no spacing") << 5 << 0 << "25" << "5";
    QTest::newRow("60 wpm, no spacing") << 60 << 0 << "300" << "60";
}

void FrmCWTest::realSpeedShown()
{
    QFETCH(int, wpm);
    QFETCH(int, farnsworth);
    QFETCH(QString, cpm);
    QFETCH(QString, realWpm);
    Rig rig(record(soundSettings(wpm, 800, 5000, farnsworth)), freshStorePath());
    QCOMPARE(rig.text("txtReelCPM"), cpm);
    QCOMPARE(rig.text("txtReelWPM"), realWpm);
}

void FrmCWTest::realSpeedGuards_data()
{
    QTest::addColumn<QString>("wpm");
    QTest::addColumn<QString>("farnsworth");
    QTest::addColumn<int>("cpm");   // -1: nothing to show
    QTest::addColumn<int>("realWpm");
    QTest::newRow("speed 0 would divide 0 by 0") << "0" << "0" << -1 << -1;
    QTest::newRow("spacing -10 makes B zero") << "5" << "-10" << -1 << -1;
    QTest::newRow("spacing -11 makes B negative") << "5" << "-11" << -1 << -1;
    QTest::newRow("50 x W overflows 16 bits") << "700" << "0" << -1 << -1;
    QTest::newRow("C x F overflows 16 bits") << "60" << "200" << -1 << -1;
    QTest::newRow("empty speed") << "" << "0" << -1 << -1;
    QTest::newRow("spacing no number") << "20" << "x" << -1 << -1;
    QTest::newRow("negative spacing that still works") << "20" << "-5" << 200 << 40;
    QTest::newRow("3 wpm below the dialog's range") << "3" << "0" << 15 << 3;
}

void FrmCWTest::realSpeedGuards()
{
    QFETCH(QString, wpm);
    QFETCH(QString, farnsworth);
    QFETCH(int, cpm);
    QFETCH(int, realWpm);
    const std::optional<settings::RealSpeed> speed = settings::realSpeed(wpm, farnsworth);
    QCOMPARE(speed.has_value(), cpm >= 0);
    if (speed) {
        QCOMPARE(speed->cpm, cpm);
        QCOMPARE(speed->wpm, realWpm);
    }
}

void FrmCWTest::spinningRecomputes()
{
    Rig rig(record(soundSettings(20, 800, 5000, 0)), freshStorePath());
    rig.spin("UpDownFarnsworth", 5);
    QCOMPARE(rig.text("txtFarnsworth"), QStringLiteral("5"));
    QCOMPARE(rig.text("txtReelCPM"), QStringLiteral("67"));
    QCOMPARE(rig.text("txtReelWPM"), QStringLiteral("13"));
    rig.spin("UpDownWpm", -8);
    QCOMPARE(rig.text("txtWPM"), QStringLiteral("12"));
    QCOMPARE(rig.text("txtReelCPM"), QStringLiteral("40"));
    // Tone and volume do not touch the real speed.
    rig.spin("UpDown2", 3);
    QCOMPARE(rig.text("txtReelCPM"), QStringLiteral("40"));
    // The arrow keys step the value while its box has the focus, as the dialog
    // opens with the focus in the speed box.
    QTest::keyClick(rig.child<QLineEdit>("txtWPM"), Qt::Key_Up);
    QCOMPARE(rig.text("txtWPM"), QStringLiteral("13"));
    QCOMPARE(rig.text("txtReelCPM"), QStringLiteral("43"));
    QTest::keyClick(rig.child<QLineEdit>("txtTone"), Qt::Key_Down);
    QCOMPARE(rig.text("txtTone"), QStringLiteral("850"));
}

void FrmCWTest::spinBounds_data()
{
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("farnsworth");
    QTest::addColumn<int>("tone");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QStringList>("shown");   // the box after each click
    QTest::addColumn<int>("changes");         // change events reported

    QTest::newRow("speed stops at 5") << 6 << 0 << 800 << "UpDownWpm" << "txtWPM" << -3
                                      << QStringList{"5", "5", "5"} << 1;
    QTest::newRow("speed stops at 60") << 59 << 0 << 800 << "UpDownWpm" << "txtWPM" << 3
                                       << QStringList{"60", "60", "60"} << 1;
    QTest::newRow("spacing stops at 0") << 20 << 1 << 800 << "UpDownFarnsworth"
                                        << "txtFarnsworth" << -2 << QStringList{"0", "0"} << 1;
    QTest::newRow("spacing stops at 20") << 20 << 19 << 800 << "UpDownFarnsworth"
                                         << "txtFarnsworth" << 2 << QStringList{"20", "20"} << 1;
    QTest::newRow("tone steps by 25") << 20 << 0 << 800 << "UpDown2" << "txtTone" << 3
                                      << QStringList{"825", "850", "875"} << 3;
    QTest::newRow("tone stops at 300") << 20 << 0 << 325 << "UpDown2" << "txtTone" << -2
                                       << QStringList{"300", "300"} << 1;
    QTest::newRow("tone stops at 1500") << 20 << 0 << 1475 << "UpDown2" << "txtTone" << 2
                                        << QStringList{"1500", "1500"} << 1;
    QTest::newRow("tone off the grid clamps at 1500") << 20 << 0 << 1490 << "UpDown2"
                                                      << "txtTone" << 1 << QStringList{"1500"} << 1;
}

void FrmCWTest::spinBounds()
{
    QFETCH(int, wpm);
    QFETCH(int, farnsworth);
    QFETCH(int, tone);
    QFETCH(QString, control);
    QFETCH(QString, box);
    QFETCH(int, clicks);
    QFETCH(QStringList, shown);
    QFETCH(int, changes);

    Rig rig(record(soundSettings(wpm, tone, 5000, farnsworth)), freshStorePath());
    auto *spin = rig.child<SpinButtons>(qPrintable(control));
    QSignalSpy spy(spin, &SpinButtons::valueChanged);
    // Mouse clicks on the arrows: they must behave as the keys do.
    auto *arrow = spin->findChild<QToolButton *>(clicks > 0 ? QStringLiteral("up")
                                                            : QStringLiteral("down"));
    QVERIFY(arrow);
    for (int i = 0; i < std::abs(clicks); ++i) {
        QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(rig.text(qPrintable(box)), shown.at(i));
    }
    // A click at a bound neither wraps nor reports a change.
    QCOMPARE(int(spy.count()), changes);
    QVERIFY(rig.settings == record(soundSettings(wpm, tone, 5000, farnsworth)));
}

void FrmCWTest::outOfRangeValuesShownClamped()
{
    // Values only an edited store can hold; they stay in the record until OK.
    Settings odd = record(soundSettings(3, 2000, 20000, -4));
    Rig rig(odd, freshStorePath());
    QCOMPARE(rig.text("txtWPM"), QStringLiteral("5"));
    QCOMPARE(rig.text("txtFarnsworth"), QStringLiteral("0"));
    QCOMPARE(rig.text("txtTone"), QStringLiteral("1500"));
    QCOMPARE(rig.child<QScrollBar>("HScroll1")->value(), 10000);
    QCOMPARE(rig.text("txtReelCPM"), QStringLiteral("25"));
    QVERIFY(rig.settings == odd);

    rig.clickOK();
    QCOMPARE(rig.settings.giWPM, qint16(5));
    QCOMPARE(rig.settings.giFarnsworth, qint16(0));
    QCOMPARE(rig.settings.giTone, qint16(1500));
    QCOMPARE(rig.settings.glVolume, 10000);
}

void FrmCWTest::okOnlySpacingChanged()
{
    Rig rig(record(soundSettings(20, 800, 5000, 0)), freshStorePath());
    QVERIFY(rig.morse.hasBuffer());
    rig.spin("UpDownFarnsworth", 4);
    rig.clickOK();
    QCOMPARE(rig.dialog->result(), int(QDialog::Accepted));
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(rig.settings.giFarnsworth, qint16(4));
    QCOMPARE(rig.device->opens, 0);
    auto store = settings::openStoreAt(rig.storePath);
    QCOMPARE(store->value(QStringLiteral("CW/Farnsworth")).value_or(QString()), QStringLiteral("4"));
    QCOMPARE(store->value(QStringLiteral("CW/WPM")).value_or(QString()), QStringLiteral("20"));
}

void FrmCWTest::okOnlyVolumeChanged()
{
    Rig rig(record(soundSettings(20, 800, 5000, 0)), freshStorePath());
    const auto peakOf = [&] {
        return *std::max_element(rig.morse.sine().begin(), rig.morse.sine().end());
    };
    const std::int16_t before = peakOf();
    rig.child<QScrollBar>("HScroll1")->setValue(2500);
    rig.clickOK();
    QCOMPARE(rig.settings.glVolume, 2500);
    QCOMPARE(rig.settings.giWPM, qint16(20));
    QCOMPARE(rig.settings.giTone, qint16(800));
    QCOMPARE(rig.device->opens, 1);
    QVERIFY(rig.morse.hasBuffer());
    // The rebuilt tone peaks at about half the old amplitude (the recurrence
    // drifts by a fraction of a per cent).
    QVERIFY(std::abs(peakOf() - before / 2) <= before / 100);
    auto store = settings::openStoreAt(rig.storePath);
    QCOMPARE(store->value(QStringLiteral("CW/Volume")).value_or(QString()), QStringLiteral("2500"));
}

void FrmCWTest::okWithoutBufferDoesNotOpenDevice()
{
    Rig rig(record(soundSettings(20, 800, 5000, 0)), freshStorePath(), false);
    QVERIFY(!rig.morse.hasBuffer());
    rig.spin("UpDownWpm", 5);
    rig.clickOK();
    QCOMPARE(rig.settings.giWPM, qint16(25));
    QCOMPARE(rig.device->opens, 0);
    QVERIFY(QFile::exists(rig.storePath));
}

void FrmCWTest::okNothingChangedWritesAllKeys()
{
    const Settings s = record(soundSettings(20, 650, 7000, 3));
    Rig rig(s, freshStorePath());
    QVERIFY(!QFile::exists(rig.storePath));
    QTest::keyClick(rig.child<QLineEdit>("txtWPM"), Qt::Key_Return);   // Enter presses OK
    QCOMPARE(rig.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(rig.device->opens, 0);
    QVERIFY(rig.settings == s);

    auto store = settings::openStoreAt(rig.storePath);
    QStringList expected{"WPM", "Tone", "Volume", "Farnsworth", "N", "T"};
    for (int i = 1; i <= 8; ++i)
        expected << QStringLiteral("Tekst%1").arg(i);
    QStringList keys = store->childKeys(QStringLiteral("CW"));
    keys.sort();
    expected.sort();
    QCOMPARE(keys, expected);
    QCOMPARE(store->value(QStringLiteral("CW/Tone")).value_or(QString()), QStringLiteral("650"));
    QCOMPARE(store->value(QStringLiteral("CW/Tekst8")).value_or(QString()), QStringLiteral("tekst 8"));
}

void FrmCWTest::cancelChangesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Annuller button") << "button";
    QTest::newRow("Escape key") << "escape";
    QTest::newRow("close box") << "close";
}

void FrmCWTest::cancelChangesNothing()
{
    QFETCH(QString, how);
    const Settings s = record(soundSettings(20, 800, 5000, 0));
    Rig rig(s, freshStorePath());
    rig.spin("UpDownWpm", 7);
    rig.spin("UpDownFarnsworth", 3);
    rig.spin("UpDown2", -4);
    rig.child<QScrollBar>("HScroll1")->setValue(123);
    if (how == "button")
        QTest::mouseClick(rig.child<QPushButton>("cmdAnnuller"), Qt::LeftButton);
    else if (how == "escape")
        QTest::keyClick(rig.child<SpinButtons>("UpDown2"), Qt::Key_Escape);
    else
        rig.dialog->close();
    QCOMPARE(rig.dialog->result(), int(QDialog::Rejected));
    QVERIFY(!rig.dialog->isVisible());
    QVERIFY(rig.settings == s);
    QCOMPARE(rig.device->opens, 0);
    QVERIFY(!QFile::exists(rig.storePath));
}

void FrmCWTest::okRebuildFails()
{
    Rig rig(record(soundSettings(20, 800, 5000, 0)), freshStorePath());
    rig.device->setOpenFails(true);
    rig.spin("UpDownWpm", 1);
    ModalDriver catcher(ModalDriver::AnswerEveryMessage);
    rig.clickOK();
    QCOMPARE(catcher.messages, QStringList{QStringLiteral("Lydkort findes ikke.")});
    QCOMPARE(rig.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(rig.settings.giWPM, qint16(21));
    QVERIFY(!rig.morse.hasBuffer());
    auto store = settings::openStoreAt(rig.storePath);
    QCOMPARE(store->value(QStringLiteral("CW/WPM")).value_or(QString()), QStringLiteral("21"));
}

void FrmCWTest::okSaveFails()
{
    // A store whose folder would lie below a regular file cannot be written.
    const QString file = m_dir.filePath(QStringLiteral("plainfile"));
    QVERIFY(testfiles::writeFile(file, "x"));
    Rig rig(record(soundSettings(20, 800, 5000, 0)), file + QStringLiteral("/sub/store.ini"));
    rig.spin("UpDownFarnsworth", 2);
    ModalDriver catcher(ModalDriver::AnswerEveryMessage);
    rig.clickOK();
    QCOMPARE(catcher.messages, QStringList{QStringLiteral("Indstillingerne kunne ikke gemmes.")});
    QCOMPARE(rig.dialog->result(), int(QDialog::Accepted));
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(rig.settings.giFarnsworth, qint16(2));   // in use for this run
}

void FrmCWTest::valueBoxesReadOnly()
{
    // The values change by the arrows and the slider only; typing goes nowhere.
    Rig rig(record(soundSettings(20, 800, 5000, 0)), freshStorePath());
    for (const char *box : {"txtWPM", "txtFarnsworth", "txtTone", "txtReelWPM", "txtReelCPM"}) {
        auto *edit = rig.child<QLineEdit>(box);
        const QString before = edit->text();
        QTest::keyClicks(edit, QStringLiteral("7x"));
        QVERIFY2(edit->isReadOnly() && edit->text() == before, box);
    }
}

QTEST_MAIN(FrmCWTest)
#include "tst_frmcw.moc"
