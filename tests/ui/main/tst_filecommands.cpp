// The file commands on real files: the line and byte conventions, the dialogs, and
// every failure leaving text, file name, status panel and the old file intact.
// Failures are made real (mounts, a path below a file, an unprivileged user):
// the tests run as root, who may read and write past any permission bits.

#include "support/CiSkip.h"
#include "support/FileDialogs.h"
#include "support/ModalDriver.h"
#include "support/NativeNames.h"
#include "support/RootTools.h"
#include "support/TestFiles.h"

#include "main/FileCommands.h"
#include "main/TextBox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace testfiles;

namespace {

const char *const kChildEnv = "TST_FILECOMMANDS_UNREADABLE";

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void readLines_data();
    void readLines();
    void writeText_data();
    void writeText();
    void openAndSaveAddsOneLine();
    void everyByteRoundTrips();
    void encodingKept_data();
    void encodingKept();
    void namesNotUtf8_data();
    void namesNotUtf8();
    void saveAsExtension_data();
    void saveAsExtension();
    void loadFails_data();
    void loadFails();
    void loadUnreadable();
    void saveFails_data();
    void saveFails();
    void unencodableAsked();
    void dialogs();
    void saveAsFailureKeepsName();

private:
    void expectUnchanged(const QString &what);

    QTemporaryDir *m_dir = nullptr;
    QWidget *m_owner = nullptr;
    TextBox *m_box = nullptr;
    QLabel *m_status = nullptr;
    FileCommands *m_files = nullptr;
    roottools::TmpfsMounts m_mounts;
};

void FileCommandsTest::init()
{
    m_dir = new QTemporaryDir;
    m_owner = new QWidget;
    m_box = new TextBox(m_owner);
    m_status = new QLabel(m_owner);
    m_files = new FileCommands(*m_owner, *m_box, *m_status);
    // A state the failures must leave alone.
    const QString previous = m_dir->filePath(QStringLiteral("previous.txt"));
    QVERIFY(writeFile(previous, "old\r\n"));
    QVERIFY(m_files->load(previous));
    m_box->setText(QStringLiteral("typed text"));
}

void FileCommandsTest::cleanup()
{
    m_mounts.clear();
    delete m_owner;
    delete m_dir;
}

void FileCommandsTest::expectUnchanged(const QString &what)
{
    QVERIFY2(m_box->Text() == QStringLiteral("typed text"), qPrintable(what));
    QCOMPARE(m_files->fileName(), m_dir->filePath(QStringLiteral("previous.txt")));
    QCOMPARE(m_status->text(), QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("previous.txt"))));
}

void FileCommandsTest::readLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("CR LF, no final end") << QByteArray("AB\r\nCD") << QStringLiteral("AB\r\nCD\r\n");
    QTest::newRow("CR LF, final end") << QByteArray("AB\r\nCD\r\n") << QStringLiteral("AB\r\nCD\r\n");
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("one empty line") << QByteArray("\r\n") << QStringLiteral("\r\n");
    QTest::newRow("lone LFs stay in the line") << QByteArray("A\nB\n") << QStringLiteral("A\nB\n\r\n");
    QTest::newRow("lone CR ends a line") << QByteArray("A\rB") << QStringLiteral("A\r\nB\r\n");
    QTest::newRow("CR CR LF") << QByteArray("A\r\r\nB") << QStringLiteral("A\r\n\r\nB\r\n");
    QTest::newRow("LF after CR LF") << QByteArray("A\r\n\nB") << QStringLiteral("A\r\n\nB\r\n");
}

void FileCommandsTest::readLines()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir->filePath(QStringLiteral("in.txt"));
    QVERIFY(writeFile(path, bytes));
    QVERIFY(m_files->load(path));
    QTEST(m_box->Text(), "text");
    QCOMPARE(m_box->SelStart(), 0);
    QCOMPARE(m_files->fileName(), path);
    QCOMPARE(m_status->text(), QDir::toNativeSeparators(path));
}

void FileCommandsTest::writeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("AB") << QStringLiteral("AB") << QByteArray("AB\r\n");
    QTest::newRow("empty") << QString() << QByteArray("\r\n");
    QTest::newRow("lone LF kept") << QStringLiteral("A\nB") << QByteArray("A\nB\r\n");
    QTest::newRow("Danish letters") << QStringLiteral("æøåÆØÅ€") << QByteArray("\xE6\xF8\xE5\xC6\xD8\xC5\x80\r\n");
}

void FileCommandsTest::writeText()
{
    QFETCH(QString, text);
    const QString path = m_dir->filePath(QStringLiteral("out.txt"));
    QVERIFY(writeFile(path, "a much longer old content that must go\r\n"));
    m_box->setText(text);
    QVERIFY(m_files->saveTo(path));
    QTEST(readAll(path), "bytes");
}

void FileCommandsTest::openAndSaveAddsOneLine()
{
    const QString path = m_dir->filePath(QStringLiteral("cycle.txt"));
    QVERIFY(writeFile(path, "AB\r\nCD\r\n"));
    QVERIFY(m_files->load(path));
    m_files->save();      // a known file: no dialog
    QCOMPARE(readAll(path), QByteArray("AB\r\nCD\r\n\r\n"));
    QVERIFY(m_files->load(path));
    m_files->save();
    QCOMPARE(readAll(path), QByteArray("AB\r\nCD\r\n\r\n\r\n"));
}

void FileCommandsTest::everyByteRoundTrips()
{
    // Every byte but CR (which ends a line): 0x80-0xFF included, the five bytes
    // Windows-1252 leaves undefined too.
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r')
            bytes += char(b);
    }
    const QString in = m_dir->filePath(QStringLiteral("bytes.txt"));
    const QString out = m_dir->filePath(QStringLiteral("bytes-out.txt"));
    QVERIFY(writeFile(in, bytes));
    QVERIFY(m_files->load(in));
    QCOMPARE(m_box->Text().size(), bytes.size() + 2);
    QCOMPARE(m_box->Text().at(0x7F), QChar(0x20AC));    // byte 0x80: the euro sign
    QCOMPARE(m_box->Text().at(0x80), QChar(0x81));      // undefined: the control character
    QVERIFY(m_files->saveTo(out));
    // The line read got CR LF in the box, and saving adds one more.
    QCOMPARE(readAll(out), bytes + "\r\n\r\n");
}

void FileCommandsTest::encodingKept_data()
{
    // A file read and saved unchanged gets back every byte it had, in its own
    // encoding, and the one CR LF every save adds; a character added after loading
    // is written in that encoding too.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");          // in the box, before the added character
    QTest::addColumn<QByteArray>("added");      // "Ω" as the file's encoding writes it; empty: asked, '?'
    const QString danish = QStringLiteral("rød grød med fløde æ Å\r\n");
    QTest::newRow("Windows-1252") << QByteArray("r\xf8" "d gr\xf8" "d med fl\xf8" "de \xe6 \xc5\r\n") << danish
                                  << QByteArray();
    QTest::newRow("UTF-8") << danish.toUtf8() << danish << QByteArray("\xce\xa9");
    QTest::newRow("UTF-8 with a byte order mark") << "\xef\xbb\xbf" + danish.toUtf8() << danish
                                                  << QByteArray("\xce\xa9");
    QTest::newRow("plain ASCII") << QByteArray("CQ DE OZ1ABC\r\n") << QStringLiteral("CQ DE OZ1ABC\r\n")
                                 << QByteArray();
    QTest::newRow("byte order mark and an empty line") << QByteArray("\xef\xbb\xbf\r\n") << QStringLiteral("\r\n")
                                           << QByteArray("\xce\xa9");
    QTest::newRow("not UTF-8 after a byte order mark")
        << QByteArray("\xef\xbb\xbf\xe6\r\n") << QStringLiteral("ï»¿æ\r\n") << QByteArray();
    QTest::newRow("UTF-8 lead byte cut off at the end")
        << QByteArray("\xc3\xa6\xc3") << QStringLiteral("Ã¦Ã\r\n") << QByteArray();
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << QStringLiteral("í\u00A0€\r\n")
                                       << QByteArray();
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("À¯\r\n") << QByteArray();
}

void FileCommandsTest::encodingKept()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QByteArray, added);
    const QString path = m_dir->filePath(QStringLiteral("kept.txt"));
    QVERIFY(writeFile(path, bytes));
    QVERIFY(m_files->load(path));
    QCOMPARE(m_box->Text(), text);
    m_files->save();
    QCOMPARE(readAll(path), bytes + (bytes.endsWith("\r\n") ? "\r\n" : "\r\n\r\n"));

    QVERIFY(m_files->load(path));
    m_box->setText(m_box->Text() + QStringLiteral("Ω"));
    ModalDriver driver;
    if (added.isEmpty())
        driver.thenMessage(QMessageBox::Ok);    // asked before '?' is written
    m_files->save();
    QCOMPARE(driver.messages.size(), added.isEmpty() ? 1 : 0);
    QVERIFY(readAll(path).endsWith((added.isEmpty() ? QByteArray("?") : added) + "\r\n"));

    // "&Ny" starts a Windows-1252 text again.
    m_files->newText();
    m_box->setText(QStringLiteral("æ"));
    QVERIFY(m_files->saveTo(path));
    QCOMPARE(readAll(path), QByteArray("\xe6\r\n"));
}

void FileCommandsTest::namesNotUtf8_data()
{
    // Folder "dir" holds the names in bytes; the path is what a file dialog makes of
    // them, U+FFFD for every byte that is not UTF-8.
    QTest::addColumn<QByteArrayList>("names");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("usable");
    const QString twin = QStringLiteral("\uFFFDble.txt");
    QTest::newRow("not UTF-8") << QByteArrayList{"\xe6" "ble.txt"} << twin << false;
    QTest::newRow("not UTF-8 beside its decoded twin")
        << QByteArrayList{"\xe6" "ble.txt", "\xef\xbf\xbd" "ble.txt"} << twin << false;
    QTest::newRow("U+FFFD that is really in the name") << QByteArrayList{"\xef\xbf\xbd" "ble.txt"} << twin << true;
    QTest::newRow("folder not UTF-8") << QByteArrayList{"\xe6"} << QStringLiteral("\uFFFD/ny.txt") << false;
    QTest::newRow("new name beside one that is not UTF-8")
        << QByteArrayList{"\xe6" "ble.txt"} << QStringLiteral("\uFFFDbler.txt") << true;
}

void FileCommandsTest::namesNotUtf8()
{
    QFETCH(QByteArrayList, names);
    QFETCH(QString, path);
    QFETCH(bool, usable);
    const QString dir = m_dir->filePath(QStringLiteral("dir"));
    QVERIFY(QDir().mkpath(dir));
    for (const QByteArray &name : names) {
        const QByteArray native = nativenames::join(dir, name);
        QVERIFY(name.endsWith(".txt") ? nativenames::writeFile(native, "OLD\r\n") : ::mkdir(native, 0755) == 0);
    }
    const QString full = dir + u'/' + path;
    ModalDriver driver;
    driver.thenMessage();
    QCOMPARE(m_files->saveTo(full), usable);
    QCOMPARE(driver.messages.size(), usable ? 0 : 1);
    if (usable) {
        QVERIFY(m_files->load(full));
        QCOMPARE(m_box->Text(), QStringLiteral("typed text\r\n"));
    } else {
        QVERIFY2(driver.messages[0].contains(QStringLiteral("ikke er UTF-8")), qPrintable(driver.messages[0]));
        driver.thenMessage();
        QVERIFY(!m_files->load(full));
        QCOMPARE(driver.messages.size(), 2);
        QVERIFY(driver.messages[1].startsWith(QStringLiteral("Filen kunne ikke åbnes.")));
        expectUnchanged(path);
    }
    // The files under the other names keep what they had.
    for (const QByteArray &name : names) {
        if (name.endsWith(".txt") && (!usable || QFile::decodeName(name) != path))
            QCOMPARE(nativenames::readAll(nativenames::join(dir, name)), QByteArray("OLD\r\n"));
    }
}

void FileCommandsTest::saveAsExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("saved");
    const QString text = QStringLiteral("Tekstfiler(*.txt)");
    const QString all = QStringLiteral("Alle filer(*.*)");
    QTest::newRow("no extension, text filter") << "noter" << text << "noter.txt";
    QTest::newRow("own extension kept") << "noter.md" << text << "noter.md";
    QTest::newRow(".txt not doubled") << "noter.txt" << text << "noter.txt";
    QTest::newRow("all files: as typed") << "noter" << all << "noter";
    QTest::newRow("extension onto an existing file, asked") << "gammel" << text << "gammel.txt";
}

void FileCommandsTest::saveAsExtension()
{
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(QString, saved);
    const QString existing = m_dir->filePath(QStringLiteral("gammel.txt"));
    QVERIFY(writeFile(existing, "OLD\r\n"));
    m_box->setText(QStringLiteral("NYT"));
    ModalDriver driver;
    driver.then(answerFileDialog(m_dir->filePath(typed), filter));
    driver.thenMessage(QMessageBox::Yes);
    m_files->saveAs();
    QCOMPARE(m_files->fileName(), m_dir->filePath(saved));
    QCOMPARE(readAll(m_dir->filePath(saved)), QByteArray("NYT\r\n"));
    // Only a file that was there is asked about.
    QCOMPARE(driver.messages.size(), saved == QLatin1String("gammel.txt") ? 1 : 0);
    if (saved != typed)
        QVERIFY(!QFile::exists(m_dir->filePath(typed)));
}

void FileCommandsTest::loadFails_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing file") << QStringLiteral("missing.txt");
    QTest::newRow("directory") << QStringLiteral(".");
    QTest::newRow("below a regular file") << QStringLiteral("previous.txt/x.txt");
    QTest::newRow("read error") << QStringLiteral("/proc/self/mem");
}

void FileCommandsTest::loadFails()
{
    QFETCH(QString, path);
    const QString full = QDir(m_dir->path()).filePath(path);
    ModalDriver driver;
    driver.thenMessage();
    QVERIFY(!m_files->load(full));
    QCOMPARE(driver.messages.size(), 1);
    QVERIFY(driver.messages[0].startsWith(QStringLiteral("Filen kunne ikke åbnes.\n\n")));
    QVERIFY(driver.messages[0].contains(QDir::toNativeSeparators(full)));
    QCOMPARE(driver.icons.value(0), QMessageBox::Critical);
    expectUnchanged(path);
}

void FileCommandsTest::loadUnreadable()
{
    const QByteArray childPath = qgetenv(kChildEnv);
    if (!childPath.isEmpty()) {
        // The unprivileged child: the file exists and cannot be read.
        const QString path = QString::fromLocal8Bit(childPath);
        ModalDriver driver;
        driver.thenMessage();
        QVERIFY(!m_files->load(path));
        QCOMPARE(driver.messages.size(), 1);
        expectUnchanged(path);
        return;
    }
    const QString dir = m_dir->filePath(QStringLiteral("shared"));
    QVERIFY(QDir().mkpath(dir));
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                             | QFile::ExeGroup | QFile::ExeOther);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                   | QFile::ReadOther | QFile::ExeOther);
    const QString path = dir + QStringLiteral("/secret.txt");
    QVERIFY(writeFile(path, "SECRET\r\n"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (!roottools::isRoot()) {
        QFile::setPermissions(path, QFileDevice::Permissions());
        ModalDriver driver;
        driver.thenMessage();
        QVERIFY(!m_files->load(path));
        expectUnchanged(path);
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        SKIP_UNLESS_CI("setpriv is needed to run as an unprivileged user");
    const QString child = roottools::runAsNobody(kChildEnv, path, QStringLiteral("loadUnreadable"), 30000);
    QVERIFY2(child.isEmpty(), qPrintable(child));
}

void FileCommandsTest::saveFails_data()
{
    // "Gem" onto a file that cannot take the text: one message naming the file, and
    // text, file name and the old file as they were.
    QTest::addColumn<QString>("what");
    QTest::newRow("folder below a regular file") << "below file";
    QTest::newRow("full disk") << "full";
    QTest::newRow("read-only mount") << "readonly";
    QTest::newRow("file replaced by a directory") << "directory";
    QTest::newRow("its folder deleted") << "folder";
}

void FileCommandsTest::saveFails()
{
    QFETCH(QString, what);
    const QString folder = m_dir->filePath(QStringLiteral("folder"));
    QString path = folder + QStringLiteral("/kept.txt");
    QString known = m_dir->filePath(QStringLiteral("previous.txt"));
    QString text = QStringLiteral("typed text");
    if (what == QLatin1String("below file")) {
        path = m_dir->filePath(QStringLiteral("previous.txt/new.txt"));
    } else {
        if (what == QLatin1String("full") || what == QLatin1String("readonly")) {
            if (!m_mounts.mount(folder, QStringLiteral("size=64k")))
                SKIP_UNLESS_CI("mounting a tmpfs needs root");
        } else {
            QVERIFY(QDir().mkpath(folder));
        }
        QVERIFY(writeFile(path, "KEEP\r\n"));
        QVERIFY(m_files->load(path));
        known = path;
        text = what == QLatin1String("full") ? QString(200000, u'E') : QStringLiteral("NEW TEXT");
        m_box->setText(text);
    }
    if (what == QLatin1String("readonly"))
        QVERIFY(roottools::TmpfsMounts::remountReadOnly(folder));
    if (what == QLatin1String("directory")) {
        QFile::remove(path);
        QVERIFY(QDir().mkpath(path));
    }
    if (what == QLatin1String("folder"))
        QVERIFY(QDir(folder).removeRecursively());

    ModalDriver driver;
    driver.thenMessage();
    if (what == QLatin1String("below file"))
        QVERIFY(!m_files->saveTo(path));
    else
        m_files->save();      // a known file: no dialog
    QCOMPARE(driver.messages.size(), 1);
    QVERIFY2(driver.messages[0].startsWith(QStringLiteral("Filen kunne ikke gemmes.\n\n")),
             qPrintable(driver.messages[0]));
    QVERIFY(driver.messages[0].contains(QDir::toNativeSeparators(path)));
    QCOMPARE(m_box->Text(), text);
    QCOMPARE(m_files->fileName(), known);
    QCOMPARE(m_status->text(), QDir::toNativeSeparators(known));
    if (what == QLatin1String("below file"))
        QCOMPARE(readAll(known), QByteArray("old\r\n"));
    if (what == QLatin1String("full") || what == QLatin1String("readonly")) {
        QCOMPARE(readAll(path), QByteArray("KEEP\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("kept.txt")});
    }
    if (what == QLatin1String("directory"))
        QVERIFY(QFileInfo(path).isDir());
}

void FileCommandsTest::unencodableAsked()
{
    const QString path = m_dir->filePath(QStringLiteral("lossy.txt"));
    QVERIFY(writeFile(path, "OLD\r\n"));
    m_box->setText(QStringLiteral("Ω A"));
    ModalDriver driver;
    driver.thenMessage(QMessageBox::Cancel);
    QVERIFY(!m_files->saveTo(path));
    QCOMPARE(readAll(path), QByteArray("OLD\r\n"));
    driver.thenMessage(QMessageBox::Ok);
    QVERIFY(m_files->saveTo(path));
    QCOMPARE(readAll(path), QByteArray("? A\r\n"));
    QCOMPARE(driver.messages.size(), 2);
}

void FileCommandsTest::dialogs()
{
    const QString path = m_dir->filePath(QStringLiteral("chosen.txt"));
    QVERIFY(writeFile(path, "HEJ\r\n"));
    ModalDriver driver;
    FileDialogSeen seen;
    driver.then(answerFileDialog(path, QString(), &seen));
    m_files->open();
    QCOMPARE(seen.title, QStringLiteral("Åbn"));
    QCOMPARE(seen.filters, (QStringList{QStringLiteral("Tekstfiler(*.txt)"), QStringLiteral("Alle filer(*.*)")}));
    QCOMPARE(m_box->Text(), QStringLiteral("HEJ\r\n"));
    QCOMPARE(m_status->text(), QDir::toNativeSeparators(path));

    // "&Ny": empty text and no file; the panel keeps the file last opened; "&Gem"
    // now asks for a name, and the existing file's replacement is confirmed.
    m_files->newText();
    QCOMPARE(m_box->Text(), QString());
    QCOMPARE(m_files->fileName(), QString());
    QCOMPARE(m_status->text(), QDir::toNativeSeparators(path));
    m_box->setText(QStringLiteral("NYT"));
    driver.then(answerFileDialog(path, QString(), &seen));
    driver.thenMessage(QMessageBox::Yes);
    m_files->save();
    QCOMPARE(seen.title, QStringLiteral("Gem som"));
    QCOMPARE(driver.messages.size(), 1);     // the overwrite question
    QCOMPARE(readAll(path), QByteArray("NYT\r\n"));
    QCOMPARE(m_files->fileName(), path);

    // Cancel in the open dialog changes nothing.
    driver.then([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
    m_files->open();
    QCOMPARE(m_box->Text(), QStringLiteral("NYT"));
    QCOMPARE(m_files->fileName(), path);
}

void FileCommandsTest::saveAsFailureKeepsName()
{
    ModalDriver driver;
    driver.then(answerFileDialog(m_dir->filePath(QStringLiteral("previous.txt/sub.txt"))));
    driver.thenMessage();
    m_files->saveAs();
    QVERIFY(driver.done());
    QCOMPARE(driver.messages.size(), 1);
    QVERIFY(driver.messages[0].startsWith(QStringLiteral("Filen kunne ikke gemmes.")));
    expectUnchanged(QStringLiteral("save as"));
}

QTEST_MAIN(FileCommandsTest)
#include "tst_filecommands.moc"
