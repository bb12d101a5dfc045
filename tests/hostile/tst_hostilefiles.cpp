// Hostile files in the main window: binary, empty, huge, undefined Windows-1252
// bytes, megabyte lines, special files, paths that vanish after the dialog, and
// save targets that are no regular file. Nothing may hang or be lost: a refused
// open leaves text, file name and status panel alone, a failed save the old file.

#include "support/CiSkip.h"
#include "support/FileDialogs.h"
#include "support/MainWindow.h"
#include "support/ModalDriver.h"
#include "support/RootTools.h"
#include "support/TestFiles.h"

#include "FileProblem.h"
#include "engine/FileTarget.h"
#include "engine/constants.h"
#include "exercises/ReceiveHistory.h"
#include "main/AudioExport.h"
#include "main/FileCommands.h"
#include "main/TextBox.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#endif

using namespace testfiles;

namespace {

constexpr qint64 kLimit = FileCommands::kMaxFileBytes;

QByteArray randomBytes(quint32 seed, int size)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

// Lines of length - 2 letters and CR LF, size bytes in all.
QByteArray lines(qint64 size, qint64 length)
{
    QByteArray line = QByteArray(length - 2, 'E') + "\r\n";
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() < size)
        bytes += line.left(size - bytes.size());
    return bytes;
}

} // namespace

class HostileFilesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openHostile_data();
    void openHostile();
    void openSpecial_data();
    void openSpecial();
    void vanishesAfterDialog_data();
    void vanishesAfterDialog();
    void saveThroughSymlink();
    void hostileTarget_data();
    void hostileTarget();
    void fullDisk_data();
    void fullDisk();
    void fifoWithoutReader_data();
    void fifoWithoutReader();

private:
    // The state every refused command must leave alone.
    void expectUnchanged();
    // fullDisk's steps: the old file(s) of a write path in dir, returning the
    // target; and the write itself, returning the failure's words (empty: written).
    QString prepareOld(const QString &path, const QString &dir);
    QString writeThrough(const QString &path, const QString &dir, const QString &target);
    // telvok-cw-send with arguments: its exit status and standard error; started:
    // only started, in that process.
    int runTool(const QStringList &arguments, QString *err, QProcess *started = nullptr);

    std::unique_ptr<receive::ReceiveHistory> m_history;

    std::unique_ptr<TestMainWindow> m_main;
    QTemporaryDir *m_dir = nullptr;
    frmMain *m_window = nullptr;
    std::unique_ptr<ModalDriver> m_watch;
    QString m_previous;
    roottools::TmpfsMounts m_mounts;
};

void HostileFilesTest::init()
{
    m_main = std::make_unique<TestMainWindow>();
    m_dir = &m_main->dir;
    QVERIFY(m_dir->isValid());
    m_window = m_main->window.get();
    m_watch = std::make_unique<ModalDriver>(ModalDriver::AnswerEveryMessage);
    m_previous = m_dir->filePath(QStringLiteral("previous.txt"));
    QVERIFY(writeFile(m_previous, "OLD\r\n"));
    QVERIFY(m_window->fileCommands().load(m_previous));
    m_window->Text1()->setText(QStringLiteral("TYPED TEXT"));
}

void HostileFilesTest::cleanup()
{
    m_history.reset();
    m_watch.reset();
    m_mounts.clear();
    m_main.reset();
}

void HostileFilesTest::expectUnchanged()
{
    QCOMPARE(m_window->Text1()->Text(), QStringLiteral("TYPED TEXT"));
    QCOMPARE(m_window->fileCommands().fileName(), m_previous);
    QCOMPARE(m_window->statusPanel()->text(), QDir::toNativeSeparators(m_previous));
}

void HostileFilesTest::openHostile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("sparseSize");     // > 0: a sparse file of that size instead
    QTest::addColumn<bool>("loads");

    QTest::newRow("0 bytes") << QByteArray() << qint64(0) << true;
    QTest::newRow("binary") << randomBytes(1, 1 << 16) << qint64(0) << true;
    QTest::newRow("only NUL bytes") << QByteArray(4096, '\0') << qint64(0) << true;
    QTest::newRow("the five undefined bytes") << QByteArray("\x81\x8d\x8f\x90\x9d") << qint64(0) << true;
    QTest::newRow("one line of 1 MB") << QByteArray(1 << 20, 'E') << qint64(0) << true;
    QTest::newRow("4 lines of 1 MB, at the limit") << lines(kLimit, 1 << 20) << qint64(0) << true;
    QTest::newRow("words of 2000 letters, at the limit") << lines(kLimit, 2000) << qint64(0) << true;
    QTest::newRow("short lines, at the limit") << lines(kLimit, 60) << qint64(0) << true;
    QTest::newRow("one byte above the limit") << lines(kLimit + 1, 60) << qint64(0) << false;
    QTest::newRow("100 MB") << QByteArray() << qint64(100) * 1024 * 1024 << false;
}

void HostileFilesTest::openHostile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, sparseSize);
    QFETCH(bool, loads);
    const QString path = m_dir->filePath(QStringLiteral("hostile.txt"));
    if (sparseSize > 0) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(sparseSize));
    } else {
        QVERIFY(writeFile(path, bytes));
    }
    frmMain &w = *m_window;
    const bool loaded = w.fileCommands().load(path);
    QCOMPARE(loaded, loads);
    if (!loads) {
        QCOMPARE(m_watch->messages.size(), 1);
        QVERIFY(m_watch->messages[0].startsWith(QStringLiteral("Filen kunne ikke åbnes.\n\n")));
        QVERIFY(m_watch->messages[0].contains(QDir::toNativeSeparators(path)));
        QVERIFY2(m_watch->messages[0].contains(QStringLiteral("MB")), qPrintable(m_watch->messages[0]));
        expectUnchanged();
        return;
    }
    QVERIFY2(m_watch->messages.isEmpty(), qPrintable(m_watch->messages.join(QLatin1String(" | "))));
    const QString text = textfile::textFromBytes(bytes);
    QCOMPARE(w.Text1()->Text(), text);
    QCOMPARE(w.statusPanel()->text(), QDir::toNativeSeparators(path));

    // Sending it: a few halves, then stop; the text comes back whole.
    w.cmdTX_Click();
    deviceOf(w).advance(4 * morse::kHalfSamples);
    w.cmdStop_Click();
    QVERIFY(!w.isSending());
    QCOMPARE(w.Text1()->Text().size(), text.size());

    // "&Gem" writes the text back, plus the one CR LF every save adds.
    w.Text1()->setText(text);
    w.menuItem(QStringLiteral("mnuFilerGem"))->trigger();
    QVERIFY2(m_watch->messages.isEmpty(), qPrintable(m_watch->messages.join(QLatin1String(" | "))));
    QCOMPARE(readAll(path), textfile::bytesFromText(text));
    if (!bytes.contains('\r') && !bytes.isEmpty())
        QCOMPARE(readAll(path), bytes + "\r\n\r\n");
}

void HostileFilesTest::openSpecial_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("directory") << "directory";
#ifdef Q_OS_UNIX
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("endless device") << "/dev/zero";
    QTest::newRow("proc file without size") << "/proc/self/maps";
#endif
}

void HostileFilesTest::openSpecial()
{
    QFETCH(QString, kind);
    QString path = kind;
    std::thread writer;
    if (kind == QLatin1String("directory")) {
        path = m_dir->filePath(QStringLiteral("folder.txt"));
        QVERIFY(QDir().mkpath(path));
    }
#ifdef Q_OS_UNIX
    if (kind == QLatin1String("fifo")) {
        path = m_dir->filePath(QStringLiteral("pipe.txt"));
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        // Frees a reader blocked in open() after 3 s, so the fault fails the test
        // instead of hanging it: the open would then succeed with an empty text.
        writer = std::thread([p = QFile::encodeName(path)] {
            std::this_thread::sleep_for(std::chrono::seconds(3));
            const int fd = ::open(p.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
    }
#endif
    const bool loaded = m_window->fileCommands().load(path);
    if (writer.joinable())
        writer.join();
    if (kind == QLatin1String("/proc/self/maps")) {
        // A regular file that reports no size: read up to the limit like any other.
        QVERIFY(loaded);
        QVERIFY(m_window->Text1()->Text().size() > 0);
        return;
    }
    QVERIFY(!loaded);
    QCOMPARE(m_watch->messages.size(), 1);
    QVERIFY(m_watch->messages[0].startsWith(QStringLiteral("Filen kunne ikke åbnes.\n\n")));
    QVERIFY(m_watch->messages[0].contains(QDir::toNativeSeparators(path)));
    expectUnchanged();
}

void HostileFilesTest::vanishesAfterDialog_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("deleted") << "deleted";
    QTest::newRow("replaced by a directory") << "directory";
    QTest::newRow("its folder deleted") << "folder";
}

void HostileFilesTest::vanishesAfterDialog()
{
    QFETCH(QString, what);
    const QString folder = m_dir->filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/chosen.txt");
    QVERIFY(writeFile(path, "CHOSEN\r\n"));
    ModalDriver driver;
    driver.then([&](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        QVERIFY(d);
        // Gone after the dialog accepted the name, before the command reads it.
        connect(d, &QFileDialog::fileSelected, d, [&] {
            QFile::remove(path);
            if (what == QLatin1String("directory"))
                QDir().mkpath(path);
            if (what == QLatin1String("folder"))
                QDir(folder).removeRecursively();
        });
        typeIntoFileDialog(d, path);
    });
    m_window->menuItem(QStringLiteral("mnuFilerÅbn"))->trigger();
    QVERIFY(driver.done());
    QVERIFY(QTest::qWaitFor([&] { return !m_watch->messages.isEmpty(); }, 2000));
    QCOMPARE(m_watch->messages.size(), 1);
    QVERIFY(m_watch->messages[0].startsWith(QStringLiteral("Filen kunne ikke åbnes.\n\n")));
    QVERIFY(m_watch->messages[0].contains(QDir::toNativeSeparators(path)));
    expectUnchanged();
}

void HostileFilesTest::saveThroughSymlink()
{
    // Saving a file opened through a link updates the file it points to; the link
    // stays a link.
    const QString target = m_dir->filePath(QStringLiteral("target.txt"));
    const QString link = m_dir->filePath(QStringLiteral("link.txt"));
    QVERIFY(writeFile(target, "OLD\r\n"));
    if (!QFile::link(target, link))
        SKIP_UNLESS_CI("this file system has no symbolic links");
    QVERIFY(m_window->fileCommands().load(link));
    m_window->Text1()->setText(QStringLiteral("NEW"));
    m_window->menuItem(QStringLiteral("mnuFilerGem"))->trigger();
    QVERIFY(m_watch->messages.isEmpty());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readAll(target), QByteArray("NEW\r\n"));
}

void HostileFilesTest::hostileTarget_data()
{
    // What "Gem som", "Gem lyd som..." and "telvok-cw-send -o" write onto: the
    // words each gives on failure (empty: it succeeds).
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("saveWords");
    QTest::addColumn<QString>("toolWords");
    QTest::newRow("copy of /dev/full") << "full" << "Disken er fuld." << "disken er fuld.";
    QTest::newRow("copy of /dev/null") << "null" << QString() << QString();
    QTest::newRow("FIFO with a reader") << "fifo" << QString() << QString();
    QTest::newRow("block device") << "block"
                                  << "Det er hverken en almindelig fil, en enhed eller en FIFO."
                                  << "det er hverken en almindelig fil";
    QTest::newRow("symbolic link loop") << "loop" << "Symbolske links peger i ring." << "peger i ring.";
    QTest::newRow("name too long") << "long" << "Navnet er for langt." << "navnet er for langt.";
    QTest::newRow("folder missing") << "nofolder" << "Mappen findes ikke." << "mappen findes ikke.";
    QTest::newRow("read-only mount") << "readonly" << "Filsystemet er skrivebeskyttet."
                                     << "filsystemet er skrivebeskyttet.";
    QTest::newRow("file in /proc") << "proc" << "Systemet svarer" << "filen eller mappen findes ikke.";
}

void HostileFilesTest::hostileTarget()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, target);
    QFETCH(QString, saveWords);
    QFETCH(QString, toolWords);
    QString path = m_dir->filePath(QStringLiteral("target"));
    const QByteArray node = QFile::encodeName(path);
    const bool device = target == QLatin1String("full") || target == QLatin1String("null")
                        || target == QLatin1String("block");
    if (device || target == QLatin1String("readonly")) {
        if (!roottools::isRoot())
            SKIP_UNLESS_CI("device nodes and mounts need root");
    }
    if (target == QLatin1String("full"))
        QCOMPARE(::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    else if (target == QLatin1String("null"))
        QCOMPARE(::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    else if (target == QLatin1String("block"))   // a loop device number no device has
        QCOMPARE(::mknod(node.constData(), S_IFBLK | 0600, makedev(7, 250)), 0);
    else if (target == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(node.constData(), 0600), 0);
    else if (target == QLatin1String("loop"))
        QVERIFY(QFile::link(path + QStringLiteral("2"), path) && QFile::link(path, path + QStringLiteral("2")));
    else if (target == QLatin1String("long"))
        path = m_dir->filePath(QString(300, u'n'));
    else if (target == QLatin1String("nofolder"))
        path = m_dir->filePath(QStringLiteral("ingen/target"));
    else if (target == QLatin1String("proc"))
        path = QStringLiteral("/proc/version");
    else if (target == QLatin1String("readonly")) {
        const QString folder = m_dir->filePath(QStringLiteral("ro"));
        QVERIFY(m_mounts.mount(folder, QStringLiteral("size=64k")));
        path = folder + QStringLiteral("/target");
        QVERIFY(writeFile(path, "KEEP"));
        QVERIFY(roottools::TmpfsMounts::remountReadOnly(folder));
    }
    const auto type = [](const QString &p) {
        struct stat st {};
        return ::lstat(QFile::encodeName(p).constData(), &st) == 0 ? st.st_mode & S_IFMT : mode_t(0);
    };
    const mode_t typeBefore = type(path);
    // A FIFO's reader, for the save and then for the tool.
    QByteArray fromFifo;
    std::thread reader;
    const auto startReader = [&] {
        fromFifo.clear();
        reader = std::thread([&fromFifo, path] {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                fromFifo = f.readAll();
        });
    };

    // "Gem som": the typed text, or the message and nothing changed.
    if (target == QLatin1String("fifo"))
        startReader();
    const bool saved = m_window->fileCommands().saveTo(path);
    if (reader.joinable())
        reader.join();
    QCOMPARE(saved, saveWords.isEmpty());
    if (saved) {
        QVERIFY(m_watch->messages.isEmpty());
        if (target == QLatin1String("fifo"))
            QCOMPARE(fromFifo, QByteArray("TYPED TEXT\r\n"));
    } else {
        QCOMPARE(m_watch->messages.size(), 1);
        QVERIFY2(m_watch->messages[0].startsWith(QStringLiteral("Filen kunne ikke gemmes.\n\n")),
                 qPrintable(m_watch->messages[0]));
        QVERIFY2(m_watch->messages[0].contains(saveWords), qPrintable(m_watch->messages[0]));
    }
    QCOMPARE(type(path), typeBefore);

    // "Gem lyd som...": the same words under its own headline.
    if (target != QLatin1String("fifo")) {
        m_watch->messages.clear();
        AudioExport exporter(*m_window);
        const FileResult exported = exporter.exportTo(path, QStringLiteral("PARIS"), Settings());
        QCOMPARE(exported.ok(), saveWords.isEmpty());
        if (!exported.ok()) {
            QCOMPARE(m_watch->messages.size(), 1);
            QVERIFY2(m_watch->messages[0].startsWith(QStringLiteral("Lydfilen kunne ikke gemmes.\n\n"))
                         && m_watch->messages[0].contains(saveWords),
                     qPrintable(m_watch->messages[0]));
        }
        QCOMPARE(type(path), typeBefore);
    }

    // telvok-cw-send -o: exit 2 with the words, or the same WAV as into a regular file.
    const QString in = m_dir->filePath(QStringLiteral("in.txt"));
    QVERIFY(writeFile(in, "PARIS"));
    const auto runToolOn = [&](const QString &out, QString *err) {
        return runTool({QStringLiteral("-o"), out, in}, err);
    };
    QString err;
    if (target == QLatin1String("fifo"))
        startReader();
    const int status = runToolOn(path, &err);
    if (reader.joinable())
        reader.join();
    QCOMPARE(status, toolWords.isEmpty() ? 0 : 2);
    QVERIFY2(err.contains(toolWords), qPrintable(err));
    QVERIFY2(toolWords.isEmpty() || !err.contains(QLatin1String("er disken fuld?")), qPrintable(err));
    QCOMPARE(type(path), typeBefore);
    if (target == QLatin1String("fifo")) {
        const QString regular = m_dir->filePath(QStringLiteral("regular.wav"));
        QCOMPARE(runToolOn(regular, &err), 0);
        QCOMPARE(fromFifo.size(), QFileInfo(regular).size());
        QVERIFY(fromFifo == readAll(regular));
    }
    if (target == QLatin1String("readonly"))
        QCOMPARE(readAll(path), QByteArray("KEEP"));
    const QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::System | QDir::Hidden);
    QVERIFY2(std::none_of(left.begin(), left.end(), [](const QString &n) { return n.contains(u'.') && n.startsWith(QLatin1String("target")); }),
             qPrintable(left.join(u' ')));
#else
    QSKIP("device nodes and FIFOs are Unix");
#endif
}

namespace {

constexpr qint64 kPage = 4096;   // bytes; tmpfs gives out whole pages

qint64 pagesOf(qint64 bytes)
{
    return (bytes + kPage - 1) / kPage;
}

#ifdef Q_OS_UNIX
qint64 freePages(const QString &dir)
{
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(dir).constData(), &st) != 0)
        return -1;
    return qint64(st.f_bavail) * qint64(st.f_frsize) / kPage;
}

// Fills the file system of dir until exactly pages pages are free.
bool leaveFree(const QString &dir, qint64 pages)
{
    QFile filler(dir + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray page(int(kPage), 'f');
    for (qint64 n = freePages(dir) - pages; n > 0; --n) {
        if (filler.write(page) != kPage)
            return false;
    }
    filler.close();
    return freePages(dir) == pages;
}
#endif

receive::Attempt attempt(int minute, const QString &characters)
{
    receive::Attempt a;
    a.when = QDateTime(QDate(2026, 12, 9), QTime(20, minute));
    a.wpm = 20;
    a.sent = 50;
    a.correct = 48;
    a.accuracy = 96;
    a.characters = characters;
    return a;
}

const QString kSoundText = QStringLiteral("PARIS");
const QString kSavedText = QString(10000, u'E');   // 10002 bytes: three pages

} // namespace

int HostileFilesTest::runTool(const QStringList &arguments, QString *err, QProcess *started)
{
    QProcess own;
    QProcess &p = started ? *started : own;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("TELVOK_CW_SEND"), arguments);
    if (started)
        return 0;
    if (!p.waitForFinished(30000))
        p.kill();
    *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString HostileFilesTest::prepareOld(const QString &path, const QString &dir)
{
    QDir().mkpath(dir);
    if (path.startsWith(QLatin1String("history"))) {
        // Rows up to 20 bytes before the end of the third page: an appended row
        // needs a fourth, of which it gets only what the third has left.
        const QString target = dir + QStringLiteral("/modtagetraening.csv");
        QByteArray bytes = receive::ReceiveHistory::header().toUtf8() + '\n';
        for (int i = 0; bytes.size() < 2 * kPage; ++i)
            bytes += receive::ReceiveHistory::row(attempt(i % 60, QStringLiteral("ABC")));
        const qint64 rest = 3 * kPage - 20 - bytes.size() - receive::ReceiveHistory::row(attempt(0, {})).size();
        bytes += receive::ReceiveHistory::row(attempt(0, QString(int(rest), u'A')));
        if (!writeFile(target, bytes))
            return QString();
        m_history = std::make_unique<receive::ReceiveHistory>(target);
        // The rewrite replaces the row this run wrote (made while there is room).
        if (path == QLatin1String("history rewrite") && !m_history->append(attempt(1, QStringLiteral("E"))))
            return QString();
        return target;
    }
    if (path == QLatin1String("settings")) {
        // A section of another program's, kept by every save: three pages.
        const QString target = dir + QStringLiteral("/store.ini");
        return writeFile(target, "[Andet]\r\nNote=" + QByteArray(10000, 'x') + "\r\n") ? target : QString();
    }
    const QString extension = path.startsWith(QLatin1String("tool "))
                                  ? path.mid(5)
                                  : path == QLatin1String("Gem lyd som") ? QStringLiteral("ogg")
                                                                         : QStringLiteral("txt");
    const QString target = dir + QStringLiteral("/k.") + extension;
    if (!writeFile(target, "OLD\r\n"))
        return QString();
    if (path == QLatin1String("Gem") && !m_window->fileCommands().load(target))
        return QString();
    return target;
}

QString HostileFilesTest::writeThrough(const QString &path, const QString &dir, const QString &target)
{
    if (path.startsWith(QLatin1String("tool "))) {
        const QString in = m_dir->filePath(QStringLiteral("in.txt"));
        writeFile(in, kSoundText.toLatin1());
        QString err;
        const int status = runTool({QStringLiteral("-o"), target, in}, &err);
        return status == 0 ? QString() : QStringLiteral("exit %1: %2").arg(status).arg(err);
    }
    if (path == QLatin1String("history append") || path == QLatin1String("history rewrite")) {
        const receive::Attempt a = attempt(2, QStringLiteral("PARIS"));
        const FileResult result = path == QLatin1String("history append") ? m_history->append(a)
                                                                          : m_history->replaceLast(a);
        return FileProblem::reason(result);
    }
    ModalDriver driver;
    if (path == QLatin1String("settings")) {
        std::unique_ptr<frmMain> w = startMainWindow(target);
        w->move(w->pos() + QPoint(17, 9));
        driver.thenMessage();
        w->close();
        return driver.messages.join(u'|');
    }
    m_window->Text1()->setText(path == QLatin1String("Gem lyd som") ? kSoundText : kSavedText);
    // "Gem som"'s dialog asks whether to replace the file before it closes, so
    // the dialog may be the active window again after that answer: what comes
    // later is answered by a watcher started with the answer.
    std::unique_ptr<ModalDriver> later;
    if (path != QLatin1String("Gem")) {
        driver.then(answerFileDialog(target));
        driver.then([&later](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            box->button(QMessageBox::Yes)->click();
            later = std::make_unique<ModalDriver>(ModalDriver::AnswerEveryMessage);
        });
    } else {
        driver.thenMessage();
    }
    const char *item = path == QLatin1String("Gem")       ? "mnuFilerGem"
                       : path == QLatin1String("Gem som") ? "mnuFilerGemSom"
                                                          : "mnuFilerGemLyd";
    m_window->menuItem(QString::fromLatin1(item))->trigger();
    Q_UNUSED(dir);
    return (later ? later->messages : driver.messages).join(u'|');
}

void HostileFilesTest::fullDisk_data()
{
    // Every way the program writes a file, with no room, one page too few and
    // room enough for what it writes: a failure names the full disk and leaves the
    // old file byte for byte; with room the whole file is written.
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("free");   // pages: -1 none, 0 one too few, 1 enough
    QTest::addColumn<QString>("words");
    const QStringList paths = {QStringLiteral("tool wav"), QStringLiteral("tool flac"),
                               QStringLiteral("tool ogg"), QStringLiteral("tool mp3"),
                               QStringLiteral("Gem"),      QStringLiteral("Gem som"),
                               QStringLiteral("Gem lyd som"), QStringLiteral("settings"),
                               QStringLiteral("history rewrite"), QStringLiteral("history append")};
    for (const QString &path : paths) {
        const QString words = path.startsWith(QLatin1String("tool")) ? QStringLiteral("disken er fuld.")
                              : path == QLatin1String("settings")
                                  ? QStringLiteral("Indstillingerne kunne ikke gemmes.\n\nDisken er fuld.")
                                  : QStringLiteral("Disken er fuld.");
        QTest::addRow("%s, no room", qPrintable(path)) << path << -1 << words;
        // An appended row needs one page more: one too few is none.
        if (path != QLatin1String("history append"))
            QTest::addRow("%s, one page short", qPrintable(path)) << path << 0 << words;
        QTest::addRow("%s, room", qPrintable(path)) << path << 1 << QString();
    }
}

void HostileFilesTest::fullDisk()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, path);
    QFETCH(int, free);
    QFETCH(QString, words);
    m_watch.reset();   // the steps below answer every dialog themselves

    // The same write where there is room tells how many pages it takes.
    const QString reference = m_dir->filePath(QStringLiteral("reference"));
    const QString refTarget = prepareOld(path, reference);
    QVERIFY(!refTarget.isEmpty());
    const qint64 oldSize = QFileInfo(refTarget).size();
    const QString refWords = writeThrough(path, reference, refTarget);
    QVERIFY2(refWords.isEmpty(), qPrintable(refWords));
    const qint64 newSize = QFileInfo(refTarget).size();
    qint64 needed = path == QLatin1String("history append") ? pagesOf(newSize) - pagesOf(oldSize)
                                                             : pagesOf(newSize);
    if (path == QLatin1String("settings"))
        ++needed;   // the lock file beside the store
    QVERIFY2(needed >= (path == QLatin1String("history append") ? 1 : 2), qPrintable(QString::number(needed)));

    const QString full = m_dir->filePath(QStringLiteral("full"));
    if (!m_mounts.mount(full, QStringLiteral("size=1m")))
        SKIP_UNLESS_CI("mounting a tmpfs needs root");
    const QString target = prepareOld(path, full);
    QVERIFY(!target.isEmpty());
    const QByteArray old = readAll(target);
    QVERIFY(leaveFree(full, free < 0 ? 0 : free == 0 ? needed - 1 : needed + 1));

    const QString said = writeThrough(path, full, target);
    if (words.isEmpty()) {
        QVERIFY2(said.isEmpty(), qPrintable(said));
        QCOMPARE(QFileInfo(target).size(), newSize);
        QVERIFY(readAll(target) != old);
    } else {
        QVERIFY2(said.contains(words), qPrintable(said));
        QCOMPARE(readAll(target), old);
    }
    // No temporary file left beside the target.
    const QString name = QFileInfo(target).fileName();
    const QStringList left = QDir(full).entryList(QDir::Files | QDir::Hidden | QDir::System);
    QVERIFY2(std::none_of(left.begin(), left.end(),
                          [&](const QString &n) { return n.startsWith(name + u'.') && n != name + QStringLiteral(".lock"); }),
             qPrintable(left.join(u' ')));
#else
    QSKIP("tmpfs is Linux");
#endif
}

void HostileFilesTest::fifoWithoutReader_data()
{
    // A FIFO no program reads from, chosen as the target: the window refuses it
    // after a short wait or lets the user cancel, the tool waits until a signal.
    QTest::addColumn<QString>("path");
    QTest::newRow("Gem som") << "Gem som";
    QTest::newRow("Gem lyd som, cancelled") << "Gem lyd som";
    QTest::newRow("tool, interrupted") << "tool";
    // A reader that stops after a few bytes: a failure, not SIGPIPE ending the program.
    QTest::newRow("Gem lyd som, the reader leaves") << "reader leaves";
}

void HostileFilesTest::fifoWithoutReader()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, path);
    const QString fifo = m_dir->filePath(QStringLiteral("pipe.wav"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    m_window->Text1()->setText(QStringLiteral("PARIS"));
    QElapsedTimer clock;
    clock.start();
    if (path == QLatin1String("Gem som")) {
        QVERIFY(!m_window->fileCommands().saveTo(fifo));
        QCOMPARE(m_watch->messages.size(), 1);
        QVERIFY2(m_watch->messages[0].contains(QStringLiteral("Intet program læser fra denne FIFO.")),
                 qPrintable(m_watch->messages[0]));
        QVERIFY(clock.elapsed() < FileTarget::kFifoReaderWaitMs + 2000);
    } else if (path == QLatin1String("Gem lyd som")) {
        m_watch.reset();
        ModalDriver driver;
        QString label;
        driver.then(answerFileDialog(fifo));
        driver.thenMessage(QMessageBox::Yes);   // "findes allerede": it does
        driver.then([&](QWidget *w) {
            auto *progress = qobject_cast<QProgressDialog *>(w);
            QVERIFY(progress);
            label = progress->findChild<QLabel *>()->text();
            progress->findChild<QPushButton *>()->click();
        });
        m_window->menuItem(QStringLiteral("mnuFilerGemLyd"))->trigger();
        QVERIFY(driver.done());
        QCOMPARE(driver.messages.size(), 1);   // only the question; Annuller says nothing more
        QVERIFY2(label.startsWith(QStringLiteral("Venter på")), qPrintable(label));
        QVERIFY(clock.elapsed() < 10000);
    } else if (path == QLatin1String("reader leaves")) {
        std::thread reader([p = QFile::encodeName(fifo)] {
            const int fd = ::open(p.constData(), O_RDONLY);
            char head[10];
            if (fd >= 0 && ::read(fd, head, sizeof head) > 0)
                ::close(fd);
        });
        AudioExport exporter(*m_window);
        const FileResult result = exporter.exportTo(fifo, QStringLiteral("PARIS ").repeated(20), Settings());
        reader.join();
        QCOMPARE(result.file, FileError::NoReader);
        QCOMPARE(m_watch->messages.size(), 1);
        QVERIFY2(m_watch->messages[0].contains(QStringLiteral("Intet program læser fra denne FIFO.")),
                 qPrintable(m_watch->messages[0]));
    } else {
        QProcess tool;
        QString err;
        runTool({QStringLiteral("-o"), fifo, QStringLiteral("-")}, &err, &tool);
        QVERIFY(tool.waitForStarted());
        tool.write("PARIS");
        tool.closeWriteChannel();
        QVERIFY(!tool.waitForFinished(500));   // waits for a reader, as a shell's > does
        tool.terminate();
        QVERIFY(tool.waitForFinished(3000));
        QCOMPARE(tool.exitCode(), 128 + SIGTERM);
    }
    QVERIFY(QFileInfo(fifo).exists());
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
#else
    QSKIP("FIFOs are Unix");
#endif
}

QTEST_MAIN(HostileFilesTest)
#include "tst_hostilefiles.moc"
