// "Gem lyd som..." from the main window's menu: the dialog's names and filters, the
// file it writes, and Cancel and a full disk leaving the old file as it was.

#include "support/CiSkip.h"
#include "support/FileDialogs.h"
#include "support/MainWindow.h"
#include "support/ModalDriver.h"
#include "support/NativeNames.h"
#include "support/RootTools.h"
#include "support/TestFiles.h"

#include "main/AudioExport.h"
#include "main/FileCommands.h"
#include "main/TextBox.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

using namespace testfiles;

namespace {

// The major format libsndfile reads the file as; 0 when it cannot.
int soundFormatOf(const QString &path)
{
    SF_INFO info = {};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return 0;
    sf_close(f);
    return info.format & SF_FORMAT_TYPEMASK;
}

} // namespace

class AudioExportTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void saveThroughDialog_data();
    void saveThroughDialog();
    void cancelAndFullDisk();
    void nameNotUtf8();

private:
    void saveAs(ModalDriver &driver);

    std::unique_ptr<TestMainWindow> m_main;
    QTemporaryDir *m_dir = nullptr;
    frmMain *m_window = nullptr;
    QString m_textFile;
    roottools::TmpfsMounts m_mounts;
};

void AudioExportTest::init()
{
    m_main = std::make_unique<TestMainWindow>();
    m_dir = &m_main->dir;
    m_window = m_main->window.get();
    // A text file is open: the export must leave its name and the status panel alone.
    m_textFile = m_dir->filePath(QStringLiteral("lektion.txt"));
    QVERIFY(writeFile(m_textFile, "PARIS\r\n"));
    QVERIFY(m_window->fileCommands().load(m_textFile));
}

void AudioExportTest::cleanup()
{
    m_mounts.clear();
    m_main.reset();
}

void AudioExportTest::saveAs(ModalDriver &driver)
{
    m_window->menuItem(QStringLiteral("mnuFilerGemLyd"))->trigger();
    QVERIFY(driver.done());
    QCOMPARE(m_window->fileCommands().fileName(), m_textFile);
    QCOMPARE(m_window->statusPanel()->text(), QDir::toNativeSeparators(m_textFile));
}

void AudioExportTest::saveThroughDialog_data()
{
    QTest::addColumn<QString>("filter");     // empty: as preselected
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("exists");        // an old file there, replaced after asking

    QTest::newRow("suggested name, MP3 first")
        << QString() << QString() << "lektion.mp3" << int(SF_FORMAT_MPEG) << false;
    QTest::newRow("suggested name, other filter")
        << "FLAC-lyd (*.flac)" << QString() << "lektion.flac" << int(SF_FORMAT_FLAC) << false;
    QTest::newRow("filter's extension appended")
        << "Ogg Vorbis-lyd (*.ogg)" << "lyd" << "lyd.ogg" << int(SF_FORMAT_OGG) << false;
    QTest::newRow("typed extension wins, any case")
        << "MP3-lyd (*.mp3)" << "lyd.WAV" << "lyd.WAV" << int(SF_FORMAT_WAV) << false;
    QTest::newRow("other extension kept, filter's appended")
        << "FLAC-lyd (*.flac)" << "lyd.txt" << "lyd.txt.flac" << int(SF_FORMAT_FLAC) << false;
    QTest::newRow("existing file replaced")
        << "WAV-lyd (*.wav)" << "gammel" << "gammel.wav" << int(SF_FORMAT_WAV) << true;
}

void AudioExportTest::saveThroughDialog()
{
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(int, format);
    QFETCH(bool, exists);
    const QString path = m_dir->filePath(written);
    if (exists)
        QVERIFY(writeFile(path, "old"));
    m_window->Text1()->setText(QStringLiteral("cq de oz1abc"));

    ModalDriver driver;
    FileDialogSeen seen;
    driver.then(answerFileDialog(typed, filter, &seen));
    if (exists)
        driver.thenMessage(QMessageBox::Yes);
    saveAs(driver);
    QCOMPARE(seen.title, QStringLiteral("Gem lyd som"));
    QCOMPARE(seen.filters, (QStringList{QStringLiteral("MP3-lyd (*.mp3)"), QStringLiteral("Ogg Vorbis-lyd (*.ogg)"),
                                   QStringLiteral("FLAC-lyd (*.flac)"), QStringLiteral("WAV-lyd (*.wav)")}));
    QCOMPARE(driver.messages.size(), exists ? 1 : 0);
    QCOMPARE(soundFormatOf(path), format);

    // The next dialog offers the filter chosen last; Cancel writes nothing.
    QString offered;
    driver.then([&](QWidget *w) {
        offered = qobject_cast<QFileDialog *>(w)->selectedNameFilter();
        static_cast<QDialog *>(w)->reject();
    });
    const QStringList before = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    saveAs(driver);
    QCOMPARE(offered, filter.isEmpty() ? seen.filters.value(0) : filter);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), before);
}

void AudioExportTest::nameNotUtf8()
{
    // The dialog shows "\xe6lyd.wav" as U+FFFD "lyd.wav": writing under that text
    // would make a second file, or replace one really named so.
    const QByteArray native = nativenames::join(m_dir->path(), "\xe6" "lyd.wav");
    QVERIFY(nativenames::writeFile(native, "old"));
    m_window->Text1()->setText(QStringLiteral("cq de oz1abc"));
    ModalDriver driver;
    driver.then(answerFileDialog(m_dir->filePath(QStringLiteral("\uFFFDlyd.wav"))));
    driver.thenMessage();
    driver.then([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });   // asked again
    saveAs(driver);
    QCOMPARE(driver.messages.size(), 1);
    QVERIFY2(driver.messages[0].contains(QStringLiteral("ikke er UTF-8")), qPrintable(driver.messages[0]));
    QCOMPARE(nativenames::readAll(native), QByteArray("old"));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("\uFFFDlyd.wav"))));
}

void AudioExportTest::cancelAndFullDisk()
{
    // About 16 minutes of sound: MP3 takes seconds, so the progress dialog shows.
    m_window->Text1()->setText(QStringLiteral("PARIS ").repeated(330));
    const QString path = m_dir->filePath(QStringLiteral("gammel.mp3"));
    QVERIFY(writeFile(path, "old"));
    const QStringList before = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    ModalDriver driver;
    QString label;
    QString cancelText;
    driver.then(answerFileDialog(path));
    driver.thenMessage(QMessageBox::Yes);
    driver.then([&](QWidget *w) {
        auto *progress = qobject_cast<QProgressDialog *>(w);
        QVERIFY(progress);
        label = progress->findChild<QLabel *>()->text();
        QPushButton *cancel = progress->findChild<QPushButton *>();
        cancelText = cancel->text();
        cancel->click();
    });
    saveAs(driver);
    QCOMPARE(cancelText, QStringLiteral("Annuller"));
    QVERIFY2(label.startsWith(QLatin1String("Gemmer lyden: ")) && label.endsWith(QLatin1String(" af 16:30")),
             qPrintable(label));
    QCOMPARE(driver.messages.size(), 1);   // only the question; Cancel says nothing more
    QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), before);

    const QString full = m_dir->filePath(QStringLiteral("fuld"));
    if (!m_mounts.mount(full, QStringLiteral("size=64k")))
        SKIP_UNLESS_CI("mounting a tmpfs needs root");
    // A minute of WAV (5 MB) fails in its first write, long before progress shows.
    const QString kept = full + QStringLiteral("/gammel.wav");
    QVERIFY(writeFile(kept, "old"));
    m_window->Text1()->setText(QStringLiteral("PARIS ").repeated(20));
    driver.then(answerFileDialog(kept));
    driver.thenMessage(QMessageBox::Yes);
    driver.thenMessage();
    saveAs(driver);
    QCOMPARE(driver.messages.size(), 3);
    QVERIFY2(driver.messages.last().contains(QLatin1String("Lydfilen kunne ikke gemmes."))
                 && driver.messages.last().contains(QLatin1String("Disken er fuld.")),
             qPrintable(driver.messages.last()));
    QCOMPARE(readAll(kept), QByteArray("old"));
    QCOMPARE(QDir(full).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("gammel.wav")}));
}

QTEST_MAIN(AudioExportTest)
#include "tst_audioexport.moc"
