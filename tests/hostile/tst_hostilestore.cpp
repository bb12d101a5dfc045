// The main window started on a hostile settings store: every key fuzzed, broken INI
// syntax, a store that is a directory or cannot be read. The window must come up
// silently with defaults for the bad keys only, build the sound, and lose nothing
// of the store when it closes.

#include "support/CiSkip.h"
#include "support/RootTools.h"
#include "support/MainWindow.h"
#include "support/ModalDriver.h"
#include "support/TestFiles.h"

#include "engine/constants.h"
#include "main/TextBox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace testfiles;

namespace {

const char *const kChildEnv = "TST_HOSTILESTORE_UNREADABLE";

// A store in which every key differs from its default, one key per line.
struct Key {
    const char *section;
    const char *name;
    const char *good;
};
const Key kKeys[] = {
    {"CW", "WPM", "25"},          {"CW", "Tone", "650"},        {"CW", "Volume", "5000"},
    {"CW", "Farnsworth", "3"},    {"CW", "N", "002"},           {"CW", "T", "579"},
    {"CW", "Tekst1", "TEXT 1"},   {"CW", "Tekst2", "TEXT 2"},   {"CW", "Tekst3", "TEXT 3"},
    {"CW", "Tekst4", "TEXT 4"},   {"CW", "Tekst5", "TEXT 5"},   {"CW", "Tekst6", "TEXT 6"},
    {"CW", "Tekst7", "TEXT 7"},   {"CW", "Tekst8", "TEXT 8"},
    {"Settings", "MainLeft", "1500"},   {"Settings", "MainTop", "1200"},
    {"Settings", "MainWidth", "7000"},  {"Settings", "MainHeight", "6000"},
    {"Settings", "Skjul", "True"},      {"Settings", "FontName", "Courier New"},
    {"Settings", "FontBold", "True"},   {"Settings", "FontItalic", "True"},
    {"Settings", "FontSize", "12"},
};

// The INI text of the good store, with badKey's line holding bad instead.
QByteArray storeText(const QString &badKey, const QByteArray &bad)
{
    QByteArray ini;
    QByteArray section;
    for (const Key &k : kKeys) {
        if (section != k.section) {
            section = k.section;
            ini += '[' + section + "]\n";
        }
        const bool isBad = badKey == QLatin1String(k.section) + QLatin1Char('/') + QLatin1String(k.name);
        ini += QByteArray(k.name) + '=' + (isBad ? bad : QByteArray(k.good)) + '\n';
    }
    return ini;
}

QByteArray randomBytes(quint32 seed, int size, bool lineBreaks)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &c : bytes) {
        c = char(random.bounded(256));
        // In the INI syntax a quote and a backslash may carry a value on into the
        // next line, and so spoil the next key as well; whole-file rows have them.
        if (!lineBreaks && (c == '\n' || c == '\r' || c == '"' || c == '\\'))
            c = ' ';
    }
    return bytes;
}

Settings defaultRecord()
{
    QTemporaryDir empty;
    auto store = settings::openStoreAt(empty.filePath(QStringLiteral("none.ini")));
    Settings s;
    settings::HentIndstillinger(*store, s);
    return s;
}

// Every key of the records as the store writes it ("CW/WPM" -> "25"), the CW keys
// from s, the window keys from w: records compared key by key.
QMap<QString, QString> storedForm(const Settings &s, const WindowSettings &w)
{
    QTemporaryDir dir;
    auto store = settings::openStoreAt(dir.filePath(QStringLiteral("record.ini")));
    settings::GemIndstillinger(*store, s);
    settings::saveWindowSettings(*store, w, true);
    QMap<QString, QString> out;
    for (const Key &k : kKeys) {
        const QString key = QLatin1String(k.section) + QLatin1Char('/') + QLatin1String(k.name);
        out[key] = store->value(key).value_or(QStringLiteral("<missing>"));
    }
    return out;
}

} // namespace

class HostileStoreTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void fuzzedKey_data();
    void fuzzedKey();
    void brokenSyntax_data();
    void brokenSyntax();
    void unwritableStore_data();
    void unwritableStore();
    void unreadableStore();
    void quitKeepsStore_data();
    void quitKeepsStore();
    void quitKeepsOthersChanges_data();
    void quitKeepsOthersChanges();

private:
    // Starts the window on the store at path (m_window); false, with what it said,
    // when start-up showed a message.
    bool startsSilently(const QString &path);
    // The window must be usable: sound built, the engine's ranges kept, on screen.
    void expectUsable(frmMain &w);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<ModalDriver> m_watch;
};

void HostileStoreTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_watch = std::make_unique<ModalDriver>(ModalDriver::AnswerEveryMessage);
}

void HostileStoreTest::cleanup()
{
    m_window.reset();
    m_watch.reset();
    m_dir.reset();
}

bool HostileStoreTest::startsSilently(const QString &path)
{
    m_watch->messages.clear();
    m_window.reset();
    m_window = startMainWindow(path);
    QTest::qWait(30);       // a box opened by start-up is seen and answered
    const QStringList startUp = m_watch->messages;
    m_watch->messages.clear();
    if (!startUp.isEmpty())
        qWarning("start-up said: %s", qPrintable(startUp.join(QLatin1String(" | "))));
    return startUp.isEmpty();
}

void HostileStoreTest::expectUsable(frmMain &w)
{
    QVERIFY(w.isVisible());
    QVERIFY2(w.morse().hasBuffer(), "the sound was not built");
    const Settings &s = w.morse().settings();
    QVERIFY(s.giWPM >= morse::kMinWpm && s.giWPM <= morse::kMaxWpm);
    QVERIFY(s.glVolume >= 0 && s.glVolume <= morse::kMaxVolume);
    QVERIFY(s.giFarnsworth <= morse::kMaxFarnsworth);
    const QRect screen = w.screen()->availableGeometry();
    QVERIFY2(screen.intersects(w.frameGeometry()),
             qPrintable(QStringLiteral("window off screen at %1,%2 %3x%4")
                            .arg(w.frameGeometry().x()).arg(w.frameGeometry().y())
                            .arg(w.frameGeometry().width()).arg(w.frameGeometry().height())));
    QVERIFY(w.width() <= screen.width() && w.height() <= screen.height());
    const double points = w.Text1()->font().pointSizeF();
    QVERIFY2(points > 0 && points <= 1000, qPrintable(QString::number(points)));

    // A short send runs to its end on the simulated device.
    w.Text1()->setText(QStringLiteral("e"));
    w.cmdTX_Click();
    QVERIFY(w.isSending());
    deviceOf(w).runUntilStopped(qint64(60) * morse::kSampleRate);
    QVERIFY(!w.isSending());
}

void HostileStoreTest::fuzzedKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("isText");    // a text key takes any value as it is

    const std::vector<std::pair<const char *, QByteArray>> values = {
        {"random bytes", randomBytes(7, 64, false)},
        {"random bytes with NUL", QByteArray("12\0" "34", 5) + randomBytes(11, 16, false)},
        {"huge exponent", "1e308"},
        {"beyond double", "1e400"},
        {"huge integer", "123456789012345678901234567890"},
        {"beyond single", "-3.5e38"},
        {"single max", "3.4e38"},
        {"empty", ""},
        {"blanks", "   "},
        {"nan", "nan"},
        {"inf", "-inf"},
        {"variant", "@Variant(\\0\\0\\0\\x7f\\0\\0)"},
        {"byte array", "@ByteArray(\\xff\\xfe)"},
        {"rect", "@Rect(1 2 3 4)"},
        {"list", "1,2,3"},
        {"one megabyte", QByteArray(1 << 20, '9')},
    };
    for (const Key &k : kKeys) {
        const QString key = QLatin1String(k.section) + QLatin1Char('/') + QLatin1String(k.name);
        const bool isText = QByteArray(k.section) == "CW" ? QByteArray(k.name).size() <= 1
                                                               || QByteArray(k.name).startsWith("Tekst")
                                                         : QByteArray(k.name) == "FontName";
        for (const auto &[name, value] : values)
            QTest::addRow("%s %s", qPrintable(key), name) << key << value << isText;
    }
}

void HostileStoreTest::fuzzedKey()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, value);
    QFETCH(bool, isText);
    const QString path = m_dir->filePath(QStringLiteral("store.ini"));
    QVERIFY(writeFile(path, storeText(key, value)));
    QVERIFY(startsSilently(path));
    frmMain &w = *m_window;
    const Settings loaded = w.morse().settings();
    expectUsable(w);
    w.close();
    QVERIFY2(m_watch->messages.isEmpty(), qPrintable(m_watch->messages.join(QLatin1String(" | "))));

    // Every other key keeps its stored value, in the record and in what the closing
    // save left; the bad one gets its default unless it is a text (or a number given
    // for a Boolean: 0 is False, anything else True).
    auto store = settings::openStoreAt(path);
    const WindowSettings saved = settings::loadWindowSettings(*store);
    const QMap<QString, QString> now = storedForm(loaded, saved);
    const QMap<QString, QString> defaults = storedForm(defaultRecord(), WindowSettings());
    const QString name = key.section(QLatin1Char('/'), 1);
    bool number = false;
    QLocale::c().toDouble(QString::fromLatin1(value).trimmed(), &number);
    const bool boolean = name == QLatin1String("Skjul") || name.startsWith(QLatin1String("FontB"))
                         || name.startsWith(QLatin1String("FontI"));
    for (const Key &k : kKeys) {
        const QString n = QLatin1String(k.section) + QLatin1Char('/') + QLatin1String(k.name);
        if (n != key)
            QCOMPARE(now[n], QLatin1String(k.good));
        else if (!isText && value != "1,2,3" && !(boolean && number))
            QCOMPARE(now[n], defaults[n]);
    }
    // The CW section comes back exactly as it was loaded.
    Settings again;
    settings::HentIndstillinger(*store, again);
    QVERIFY2(again == loaded, "the CW section changed when the window closed");
}

// A literal with its NUL bytes, all of it but the terminating one.
template <size_t N>
QByteArray withNuls(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

void HostileStoreTest::brokenSyntax_data()
{
    QTest::addColumn<QByteArray>("ini");
    const std::pair<const char *, QByteArray> stores[] = {
        {"empty file", QByteArray()},
        {"section not closed", "[CW\nWPM=25\nTone=700\n"},
        {"keys before any section", "WPM=0\nVolume=99999\n[Settings]\nFontSize=12\n"},
        {"only equals signs", "=\n==\n[CW]\n=5\n= =\n"},
        {"empty section name", "[]\nWPM=5\n[CW]\n[]\n"},
        {"keys without values", "[CW]\nWPM\nTone\n[Settings]\nMainLeft\nFontSize\n"},
        {"UTF-16 with BOM", withNuls("\xff\xfe[\0C\0W\0]\0\n\0W\0P\0M\0=\0" "5\0")},
        {"UTF-8 BOM", "\xef\xbb\xbf[CW]\nWPM=30\n"},
        {"repeated sections and keys", "[CW]\nWPM=25\n[CW]\nWPM=30\nWPM=0\n"},
        {"backslash at the end", "[CW]\nTekst1=abc\\"},
        {"line continued into EOF", "[CW]\nTekst1=abc\\\n"},
        {"quote never closed", "[CW]\nTekst1=\"abc\nWPM=\"25\n"},
        {"CR line ends", "[CW]\rWPM=25\rTone=700\r"},
        {"percent escapes", "[CW]\n%57%50%4D=5\n%ZZ=1\n[%C3%28]\nx=1\n"},
        {"slashes in names", "[CW/WPM]\nx=1\n[CW]\nWPM/x=5\n/=/\n"},
        {"NUL bytes", withNuls("[CW]\nWPM=2\0" "5\n\0\0\0[Settings\0]\nFontSize=\0\n")},
        {"random bytes", randomBytes(3, 1 << 16, true)},
        {"random bytes after a good store", storeText(QString(), {}) + randomBytes(5, 4096, true)},
        {"huge section name", QByteArray("[" + QByteArray(1 << 20, 'A') + "]\nWPM=5\n")},
        {"huge key name", QByteArray("[CW]\n" + QByteArray(1 << 20, 'W') + "=5\n")},
        {"deep variant", QByteArray("[CW]\nWPM=@Variant(" + QByteArray(4096, '\\') + ")\n")},
        {"every value hostile", QByteArray(
                                    "[CW]\nWPM=-32768\nTone=-32768\nVolume=-2147483648\nFarnsworth=-32768\n"
                                    "[Settings]\nMainLeft=-3.4e38\nMainTop=3.4e38\nMainWidth=-1\nMainHeight=0\n"
                                    "FontSize=-5\nFontName=\nSkjul=1e-300\n")},
        {"largest values", QByteArray(
                               "[CW]\nWPM=32767\nTone=32767\nVolume=2147483647\nFarnsworth=32767\n"
                               "[Settings]\nMainLeft=2147483647\nMainTop=2147483647\nMainWidth=3.4e38\nMainHeight=3.4e38\n"
                               "FontSize=3.4e38\n")},
    };
    for (const auto &[name, ini] : stores)
        QTest::newRow(name) << ini;
}

void HostileStoreTest::brokenSyntax()
{
    QFETCH(QByteArray, ini);
    const QString path = m_dir->filePath(QStringLiteral("store.ini"));
    QVERIFY(writeFile(path, ini));
    QVERIFY(startsSilently(path));
    frmMain &w = *m_window;
    expectUsable(w);
    w.close();
    QVERIFY2(m_watch->messages.isEmpty(), qPrintable(m_watch->messages.join(QLatin1String(" | "))));
    // What the window saved starts the next run just the same.
    QVERIFY(startsSilently(path));
    expectUsable(*m_window);
}

void HostileStoreTest::unwritableStore_data()
{
    // A store the closing save cannot write: start-up stays silent (with the defaults
    // where nothing could be read), the quit fails within the lock's wait and says
    // so, and what was there stays.
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("defaults");
    QTest::newRow("store is a directory") << "directory" << true;
    QTest::newRow("store below a regular file") << "below file" << true;
    QTest::newRow("malformed store on a read-only mount") << "read-only" << false;
    QTest::newRow("store of 16 MiB the quit would make larger") << "16 MiB" << false;
    QTest::newRow("full disk") << "full disk" << false;
#ifdef Q_OS_UNIX
    QTest::newRow("store is a FIFO") << "fifo" << true;
    QTest::newRow("stale lock is a directory") << "lock" << false;
#endif
}

void HostileStoreTest::unwritableStore()
{
    QFETCH(QString, what);
    QFETCH(bool, defaults);
    QString path = m_dir->filePath(QStringLiteral("store.ini"));
    const QString file = m_dir->filePath(QStringLiteral("file"));
    QByteArray stored = storeText(QString(), {});
    roottools::TmpfsMounts mounts;
    if (what == QLatin1String("directory")) {
        QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
    } else if (what == QLatin1String("below file")) {
        QVERIFY(writeFile(file, "KEEP"));
        path = file + QStringLiteral("/store.ini");
    } else if (what == QLatin1String("read-only")) {
        // Reading already flagged the file; the failed rewrite is reported all the same.
        const QString dir = m_dir->filePath(QStringLiteral("ro"));
        if (!mounts.mount(dir, QStringLiteral("size=1m")))
            SKIP_UNLESS_CI("mounting a tmpfs needs root");
        path = dir + QStringLiteral("/store.ini");
        stored = "\xef\xbb\xbf[CW]\nWPM=30\n\x01\xff=x\n";
        QVERIFY(writeFile(path, stored));
        QVERIFY(roottools::TmpfsMounts::remountReadOnly(dir));
    } else if (what == QLatin1String("16 MiB")) {
        // Without its font size: the quit adds that key, a store the next start
        // could not read.
        stored = storeText(QString(), {}).replace("FontSize=12\n", "") + "; ";
        stored += QByteArray(settings::Store::kMaxBytes - stored.size() - 1, 'x') + '\n';
        QVERIFY(writeFile(path, stored));
    } else if (what == QLatin1String("full disk")) {
        const QString dir = m_dir->filePath(QStringLiteral("full"));
        if (!mounts.mount(dir, QStringLiteral("size=64k")))
            SKIP_UNLESS_CI("mounting a tmpfs needs root");
        path = dir + QStringLiteral("/store.ini");
        stored = storeText(QString(), {}).replace("FontSize=12\n", "");
        QVERIFY(writeFile(path, stored));
        // Full but for one page, which the lock file takes: the new store cannot be written.
        const QString spare = dir + QStringLiteral("/spare");
        QVERIFY(writeFile(spare, QByteArray(4096, 's')));
        QFile filler(dir + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        for (qint64 chunk = 4096; chunk > 0; chunk /= 2) {
            while (filler.write(QByteArray(chunk, '\0')) == chunk) {
            }
        }
        filler.close();
        QVERIFY(QFile::remove(spare));
    } else if (what == QLatin1String("lock")) {
        QVERIFY(writeFile(path, stored));
        QVERIFY(QDir().mkpath(path + QStringLiteral(".lock/inside")));
    }
#ifdef Q_OS_UNIX
    if (what == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    QElapsedTimer clock;
    clock.start();
    QVERIFY(startsSilently(path));
    frmMain &w = *m_window;
    if (defaults)
        QVERIFY(w.morse().settings() == defaultRecord());
    expectUsable(w);
    w.close();
    QVERIFY2(clock.elapsed() < 30000, "the window hung on its store");
    // Said once, with the reason where the write itself failed (a full disk).
    QCOMPARE(m_watch->messages.size(), 1);
    QVERIFY2(m_watch->messages[0].startsWith(QStringLiteral("Indstillingerne kunne ikke gemmes.")),
             qPrintable(m_watch->messages[0]));
    if (what == QLatin1String("directory"))
        QVERIFY(QFileInfo(path + QStringLiteral("/inside")).isDir());
    else if (what == QLatin1String("below file"))
        QCOMPARE(readAll(file), QByteArray("KEEP"));
    else if (what == QLatin1String("fifo"))
        QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
    else
        QCOMPARE(readAll(path), stored);
}

void HostileStoreTest::unreadableStore()
{
    const QByteArray childPath = qgetenv(kChildEnv);
    if (!childPath.isEmpty()) {
        // The unprivileged child: the store exists, may be written, cannot be read.
        const QString path = QString::fromLocal8Bit(childPath);
        QVERIFY(startsSilently(path));
        frmMain &w = *m_window;
        QVERIFY(w.morse().settings() == defaultRecord());
        expectUsable(w);
        w.close();
        return;
    }
    if (!roottools::isRoot())
        SKIP_UNLESS_CI("an unreadable store needs root, to hand it to another user");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        SKIP_UNLESS_CI("setpriv is needed to run as an unprivileged user");
    const QString dir = m_dir->filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(dir));
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                             | QFile::ExeGroup | QFile::ExeOther);
    const QString path = dir + QStringLiteral("/store.ini");
    const QByteArray stored = storeText(QString(), {});
    QVERIFY(writeFile(path, stored));
    // Directory and store belong to the child's user; the store is write-only.
    QCOMPARE(QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534:65534"), dir}), 0);
    QFile::setPermissions(path, QFile::WriteOwner);
    const QString child = roottools::runAsNobody(kChildEnv, path, QStringLiteral("unreadableStore"), 60000);
    QVERIFY2(child.isEmpty(), qPrintable(child));
    // The closing save of a store it could not read must not have replaced it.
    QCOMPARE(readAll(path), stored);
}

// The lines of an INI text that are not keys of section "Settings".
QList<QByteArray> withoutWindowKeys(const QByteArray &ini)
{
    QList<QByteArray> kept;
    bool inSettings = false;
    for (const QByteArray &line : ini.split('\n')) {
        if (line.startsWith('['))
            inSettings = line.trimmed() == "[Settings]";
        else if (inSettings && line.contains('='))
            continue;
        kept << line;
    }
    while (!kept.isEmpty() && kept.back().isEmpty())
        kept.removeLast();
    return kept;
}

void HostileStoreTest::quitKeepsStore_data()
{
    // ini: the store before start; key, loaded: a text key and what it must load as;
    // backup: whether the store is copied to .bak before the quit writes it.
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<bool>("backup");
    const QByteArray window = "[Settings]\nMainLeft=1500\nFontName=Courier New\n";
    QTest::newRow("Windows-1252 text") << "[CW]\nTekst5=R\xc6KKE \xd8 \xc5\nTekst6=X\n" + window
                                       << QStringLiteral("Tekst5") << QStringLiteral("RÆKKE Ø Å") << true;
    QTest::newRow("semicolon") << "[CW]\nTekst6=CQ; DE OZ1ABC\n" + window << QStringLiteral("Tekst6")
                               << QStringLiteral("CQ; DE OZ1ABC") << false;
    QTest::newRow("unclosed quote") << "[CW]\nTekst7=\"CQ DE\nTekst8=OZ1ABC\nWPM=25\n" + window
                                    << QStringLiteral("Tekst8") << QStringLiteral("OZ1ABC") << false;
    QTest::newRow("unclosed quote itself") << "[CW]\nTekst7=\"CQ DE\nTekst8=OZ1ABC\n" + window
                                           << QStringLiteral("Tekst7") << QStringLiteral("\"CQ DE") << false;
    QTest::newRow("comma without blank") << "[CW]\nTekst1=CQ,CQ DE OZ\n" + window << QStringLiteral("Tekst1")
                                         << QStringLiteral("CQ,CQ DE OZ") << false;
    QTest::newRow("written form") << "[CW]\nTekst2=\"A, B\\\\C \\\"D\\\"\"\n" + window << QStringLiteral("Tekst2")
                                  << QStringLiteral("A, B\\C \"D\"") << false;
    QTest::newRow("comments, other sections, CR LF")
        << QByteArray("; mine\r\n[Other]\r\nx = 1\r\n[CW]\r\nTekst3=#R\r\n[Settings]\r\nSkjul=True\r\n")
        << QStringLiteral("Tekst3") << QStringLiteral("#R") << false;
    QTest::newRow("bad number falls back") << "[CW]\nWPM=fast\nTekst4=K\n" + window << QStringLiteral("Tekst4")
                                           << QStringLiteral("K") << true;
    QTest::newRow("bad window value") << QByteArray("[CW]\nTekst4=K\n[Settings]\nMainLeft=left\n") << QStringLiteral("Tekst4")
                                      << QStringLiteral("K") << true;
}

void HostileStoreTest::quitKeepsStore()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, key);
    QFETCH(QString, loaded);
    QFETCH(bool, backup);
    const QString path = m_dir->filePath(QStringLiteral("store.ini"));
    QVERIFY(writeFile(path, ini));
    QVERIFY(startsSilently(path));
    frmMain &w = *m_window;
    QCOMPARE(w.morse().settings().gsTekst[size_t(key.mid(5).toInt() - 1)], loaded);
    w.close();
    QVERIFY2(m_watch->messages.isEmpty(), qPrintable(m_watch->messages.join(QLatin1String(" | "))));

    // Only the window's keys were written; every other byte is as it was.
    const QByteArray afterQuit = readAll(path);
    QCOMPARE(withoutWindowKeys(afterQuit), withoutWindowKeys(ini));
    QCOMPARE(readAll(path + QStringLiteral(".bak")), backup ? ini : QByteArray("<unreadable>"));

    // A save of section "CW" writes the texts back as they were read.
    auto store = settings::openStoreAt(path);
    Settings s;
    settings::HentIndstillinger(*store, s);
    QVERIFY(settings::GemIndstillinger(*store, s));
    const QByteArray afterSave = readAll(path);
    for (const QByteArray &line : ini.split('\n')) {
        if (line.startsWith("Tekst"))
            QVERIFY2(afterSave.contains(line + '\n'), line.constData());
    }
    Settings again;
    settings::HentIndstillinger(*settings::openStoreAt(path), again);
    QVERIFY(again == s);
}

void HostileStoreTest::quitKeepsOthersChanges_data()
{
    // What another writer saves while the window is open stays when it closes having
    // changed nothing: an editor rewriting the store, or a second window on it.
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("other");
    QTest::addColumn<bool>("secondWindow");
    QTest::newRow("editor: font size") << "Settings/FontSize" << QByteArray("14") << false;
    QTest::newRow("editor: font name") << "Settings/FontName" << QByteArray("DejaVu Sans") << false;
    QTest::newRow("editor: hide option") << "Settings/Skjul" << QByteArray("False") << false;
    QTest::newRow("editor: speed") << "CW/WPM" << QByteArray("33") << false;
    QTest::newRow("second window: hide option") << "Settings/Skjul" << QByteArray("False") << true;
}

void HostileStoreTest::quitKeepsOthersChanges()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, other);
    QFETCH(bool, secondWindow);
    const QString path = m_dir->filePath(QStringLiteral("store.ini"));
    QVERIFY(writeFile(path, storeText(QString(), {})));
    QVERIFY(startsSilently(path));
    if (secondWindow) {
        // Another run of the program on the same store: a session of its own.
        frmMain second(std::make_unique<SimulatedSoundDevice>(), settings::storeOpenerAt(path));
        second.Form_Load();
        second.menuItem(QStringLiteral("mnuIndstillingerSkjul"))->trigger();
        QVERIFY(!second.hidesText());
        second.close();
    } else {
        QVERIFY(writeFile(path, storeText(key, other)));
    }
    m_window->close();
    QVERIFY2(m_watch->messages.isEmpty(), qPrintable(m_watch->messages.join(QLatin1String(" | "))));
    QCOMPARE(settings::openStoreAt(path)->storedText(key), std::optional<QString>(QString::fromUtf8(other)));
}

QTEST_MAIN(HostileStoreTest)
#include "tst_hostilestore.moc"
