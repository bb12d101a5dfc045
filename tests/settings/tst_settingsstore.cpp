// The settings store: defaults, conversions, bad values, round trips, failures.

#include "support/TestFiles.h"

#include "settings/SettingsStore.h"
#include "main/WindowSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace settings;

Q_DECLARE_METATYPE(Settings)
Q_DECLARE_METATYPE(WindowSettings)

namespace {

// A store in which every key differs from its default.
const std::pair<const char *, const char *> kGoodStore[] = {
    {"CW/WPM", "25"},        {"CW/Tone", "650"},      {"CW/Volume", "5000"},   {"CW/Farnsworth", "3"},
    {"CW/N", "002"},         {"CW/T", "579"},         {"CW/Tekst1", "T1"},     {"CW/Tekst2", "T2"},
    {"CW/Tekst3", "T3"},     {"CW/Tekst4", "T4"},     {"CW/Tekst5", "T5"},     {"CW/Tekst6", "T6"},
    {"CW/Tekst7", "T7"},     {"CW/Tekst8", "T8"},
    {"Settings/MainLeft", "1500"},  {"Settings/MainTop", "1200"},  {"Settings/MainWidth", "7000"},
    {"Settings/MainHeight", "6000"}, {"Settings/Skjul", "True"},   {"Settings/FontName", "Courier New"},
    {"Settings/FontBold", "True"},  {"Settings/FontItalic", "True"}, {"Settings/FontSize", "12"},
};

// The INI text of the good store with key's value replaced (a null value: the key
// left out).
QByteArray storeWith(const QString &key = {}, const QString &value = {})
{
    QByteArray ini;
    QString section;
    for (const auto &[name, good] : kGoodStore) {
        const QString full = QString::fromLatin1(name);
        if (full.section(u'/', 0, 0) != section) {
            section = full.section(u'/', 0, 0);
            ini += '[' + section.toUtf8() + "]\n";
        }
        if (full == key && value.isNull())
            continue;
        ini += full.section(u'/', 1).toUtf8() + '=' + (full == key ? value.toUtf8() : QByteArray(good)) + '\n';
    }
    return ini;
}

// The records the good store loads as.
Settings goodCw()
{
    Settings s;
    s.giWPM = 25;
    s.giTone = 650;
    s.glVolume = 5000;
    s.giFarnsworth = 3;
    s.gsN = QStringLiteral("002");
    s.gsT = QStringLiteral("579");
    for (size_t i = 0; i < s.gsTekst.size(); ++i)
        s.gsTekst[i] = QStringLiteral("T%1").arg(i + 1);
    return s;
}

WindowSettings goodWindow()
{
    return {1500, 1200, 7000, 6000, true, QStringLiteral("Courier New"), true, true, 12};
}

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void firstRunDefaults();
    void conversions_data();
    void conversions();
    void badValueGetsDefaultOnly_data();
    void badValueGetsDefaultOnly();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void savesEveryKeyAsText();
    void unwritableStoreReportsFailure_data();
    void unwritableStoreReportsFailure();
    void windowSettings_data();
    void windowSettings();
    void minimisedKeepsGeometry();
    void everyKeyRoundTrips_data();
    void everyKeyRoundTrips();
    void savesOnlyThisRunsChanges_data();
    void savesOnlyThisRunsChanges();
    void sectionOfItsOwn_data();
    void sectionOfItsOwn();
    void sizeLimit_data();
    void sizeLimit();

private:
    QString storePath(const QString &name) const { return m_dir.filePath(name); }
    // Every data row gets a file of its own.
    QString rowStorePath() const
    {
        return m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + "-"
                              + QString::fromLatin1(QTest::currentDataTag()).replace(u'/', u'-') + ".ini");
    }
    void writeRaw(const QString &path, const QByteArray &ini) { QVERIFY(testfiles::writeFile(path, ini)); }
    QTemporaryDir m_dir;
};

void SettingsStoreTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QCOMPARE(QLocale::system().decimalPoint(), QStringLiteral(","));
}

void SettingsStoreTest::firstRunDefaults()
{
    auto store = openStoreAt(storePath("empty.ini"));
    Settings s;
    HentIndstillinger(*store, s);
    QCOMPARE(s.giWPM, 20);
    QCOMPARE(s.giTone, 800);
    QCOMPARE(s.glVolume, 10000);
    QCOMPARE(s.giFarnsworth, 0);
    QCOMPARE(s.gsN, QStringLiteral("001"));
    QCOMPARE(s.gsT, QStringLiteral("599"));
    const std::array<QString, 8> texts = {"CQ TEST DE #R #R TEST K", "CL?", "#R", "#C UR #T #N BK",
                                          "", "", "", ""};
    QCOMPARE(s.gsTekst, texts);

    const WindowSettings w = loadWindowSettings(*store);
    QCOMPARE(w.MainLeft, 1000.f);
    QCOMPARE(w.MainTop, 1000.f);
    QCOMPARE(w.MainWidth, 6500.f);
    QCOMPARE(w.MainHeight, 6500.f);
    QCOMPARE(w.Skjul, false);
    QCOMPARE(w.FontName, QStringLiteral("Fixedsys"));
    QCOMPARE(w.FontBold, false);
    QCOMPARE(w.FontItalic, false);
    QCOMPARE(w.FontSize, 9.f);
    QVERIFY(!QFile::exists(storePath("empty.ini")));
}

void SettingsStoreTest::conversions_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("loaded");
    QTest::newRow("half rounds to even down") << "WPM" << "20,5" << 20;
    QTest::newRow("half rounds to even up") << "WPM" << "21,5" << 22;
    QTest::newRow("fraction rounds") << "Tone" << "812,7" << 813;
    QTest::newRow("blanks around") << "Tone" << " 900 " << 900;
    QTest::newRow("wpm 0 raised") << "WPM" << "0" << 3;
    QTest::newRow("wpm negative raised") << "WPM" << "-7" << 3;
    QTest::newRow("wpm high lowered") << "WPM" << "5000" << 2116;
    QTest::newRow("wpm outside 16 bits") << "WPM" << "70000" << 20;
    QTest::newRow("volume above 16 bits") << "Volume" << "40000" << 32767;
    QTest::newRow("volume negative") << "Volume" << "-5" << 0;
    QTest::newRow("volume outside 32 bits") << "Volume" << "99999999999" << 10000;
    QTest::newRow("farnsworth above 20") << "Farnsworth" << "35" << 20;
    QTest::newRow("farnsworth negative kept") << "Farnsworth" << "-3" << -3;
    QTest::newRow("not a number") << "Tone" << "høj" << 800;
    QTest::newRow("empty value") << "WPM" << "" << 20;
}

void SettingsStoreTest::conversions()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(int, loaded);
    const QString path = rowStorePath();
    QFile::remove(path);
    writeRaw(path, "[CW]\n" + key.toUtf8() + "=" + stored.toUtf8() + "\n");
    auto store = openStoreAt(path);
    Settings s;
    HentIndstillinger(*store, s);
    const int actual = key == "WPM" ? s.giWPM : key == "Tone" ? s.giTone
                     : key == "Volume" ? s.glVolume : s.giFarnsworth;
    QCOMPARE(actual, loaded);
}

void SettingsStoreTest::badValueGetsDefaultOnly_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("garbage");
    QTest::newRow("WPM letters") << "WPM" << QByteArray("fast");
    QTest::newRow("Tone too big") << "Tone" << QByteArray("1e9");
    QTest::newRow("Volume binary") << "Volume" << QByteArray("\x01\x02\xff");
    QTest::newRow("Farnsworth inf") << "Farnsworth" << QByteArray("inf");
    QTest::newRow("Tone variant") << "Tone" << QByteArray("@Variant(\\0\\0\\0\\x7f)");
}

void SettingsStoreTest::badValueGetsDefaultOnly()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, garbage);
    QByteArray ini = "[CW]\nWPM=30\nTone=650\nVolume=5000\nFarnsworth=4\nN=002\nT=579\n"
                     "Tekst1=a\nTekst8=h\n";
    ini.replace(key.toUtf8() + "=", key.toUtf8() + "=" + garbage + "\nX" + key.toUtf8() + "=");
    const QString path = rowStorePath();
    QFile::remove(path);
    writeRaw(path, ini);
    auto store = openStoreAt(path);
    Settings s;
    HentIndstillinger(*store, s);
    QCOMPARE(s.giWPM, key == "WPM" ? 20 : 30);
    QCOMPARE(s.giTone, key == "Tone" ? 800 : 650);
    QCOMPARE(s.glVolume, key == "Volume" ? 10000 : 5000);
    QCOMPARE(s.giFarnsworth, key == "Farnsworth" ? 0 : 4);
    // The keys after the bad one still load: nothing is lost at the next save.
    QCOMPARE(s.gsN, QStringLiteral("002"));
    QCOMPARE(s.gsT, QStringLiteral("579"));
    QCOMPARE(s.gsTekst[0], QStringLiteral("a"));
    QCOMPARE(s.gsTekst[7], QStringLiteral("h"));
}

void SettingsStoreTest::textsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("commas") << "CQ, CQ, DE OZ1ABC";
    QTest::newRow("quotes") << "\"QRZ?\" 'K'";
    QTest::newRow("leading and trailing blanks") << "  599 ";
    QTest::newRow("danish letters") << "Æble Øl Åen æøå";
    QTest::newRow("ini specials") << "a=b;c#d[e]\\f";
    QTest::newRow("line break") << "LINE1\r\nLINE2";
    QTest::newRow("only blank") << " ";
}

void SettingsStoreTest::textsRoundTrip()
{
    QFETCH(QString, text);
    const QString path = rowStorePath();
    QFile::remove(path);
    Settings s;
    {
        auto store = openStoreAt(path);
        HentIndstillinger(*store, s);
    }
    s.gsN = text;
    s.gsTekst[4] = text;
    for (int cycle = 0; cycle < 3; ++cycle) {
        auto store = openStoreAt(path);
        QVERIFY(GemIndstillinger(*store, s));
        Settings back;
        auto again = openStoreAt(path);
        HentIndstillinger(*again, back);
        QCOMPARE(back.gsN, text);
        QCOMPARE(back.gsTekst[4], text);
        QCOMPARE(back.gsT, s.gsT);
        s = back;
    }
}

void SettingsStoreTest::savesEveryKeyAsText()
{
    const QString path = storePath("all.ini");
    QFile::remove(path);
    Settings s;
    auto store = openStoreAt(path);
    HentIndstillinger(*store, s);
    s.giFarnsworth = -3;
    QVERIFY(GemIndstillinger(*store, s));
    const QByteArray ini = testfiles::readAll(path);
    for (const char *line : {"WPM=20\n", "Tone=800\n", "Volume=10000\n", "Farnsworth=-3\n",
                             "N=001\n", "T=599\n", "Tekst2=CL?\n", "Tekst3=#R\n",
                             "Tekst5=\n", "Tekst6=\n", "Tekst7=\n", "Tekst8=\n"})
        QVERIFY2(ini.contains(line), line);
    QVERIFY(ini.contains("[CW]"));
    QVERIFY(!ini.contains("@Variant"));
}

void SettingsStoreTest::unwritableStoreReportsFailure_data()
{
    // Stores no one can write, whoever runs the test (root ignores permission bits).
    QTest::addColumn<QString>("store");
    QTest::newRow("folder below a regular file") << "plainfile/sub/store.ini";
    QTest::newRow("store is a directory") << "adir.ini";
}

void SettingsStoreTest::unwritableStoreReportsFailure()
{
    QFETCH(QString, store);
    writeRaw(storePath("plainfile"), "x");
    QVERIFY(QDir(m_dir.path()).mkpath("adir.ini"));
    auto s1 = openStoreAt(storePath(store));
    Settings s;
    HentIndstillinger(*s1, s);
    QCOMPARE(s.giWPM, 20);
    QVERIFY(!GemIndstillinger(*s1, s));
    auto s2 = openStoreAt(storePath(store));
    QVERIFY(!saveWindowSettings(*s2, WindowSettings(), true));
}

void SettingsStoreTest::windowSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<float>("left");
    QTest::addColumn<bool>("skjul");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<float>("size");
    QTest::newRow("stored forms") << QByteArray("MainLeft=1234\nSkjul=True\nFontBold=False\nFontSize=9,75\n")
                                  << 1234.f << true << false << 9.75f;
    QTest::newRow("any case, numbers") << QByteArray("MainLeft=-300,5\nSkjul=tRUE\nFontBold=1\nFontSize=12\n")
                                       << -300.5f << true << true << 12.f;
    QTest::newRow("zero is false") << QByteArray("Skjul=0\nFontBold=-1\n") << 1000.f << false << true << 9.f;
    QTest::newRow("malformed gets defaults") << QByteArray("MainLeft=left\nSkjul=yes\nFontBold=\nFontSize=1e99\n")
                                             << 1000.f << false << false << 9.f;
}

void SettingsStoreTest::windowSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(float, left);
    QFETCH(bool, skjul);
    QFETCH(bool, bold);
    QFETCH(float, size);
    const QString path = rowStorePath();
    QFile::remove(path);
    writeRaw(path, "[Settings]\n" + ini);
    auto store = openStoreAt(path);
    WindowSettings w = loadWindowSettings(*store);
    QCOMPARE(w.MainLeft, left);
    QCOMPARE(w.Skjul, skjul);
    QCOMPARE(w.FontBold, bold);
    QCOMPARE(w.FontSize, size);

    // What is saved reads back the same, in the stored text forms.
    QVERIFY(saveWindowSettings(*store, w, true));
    auto again = openStoreAt(path);
    const WindowSettings back = loadWindowSettings(*again);
    QCOMPARE(back.MainLeft, w.MainLeft);
    QCOMPARE(back.FontSize, w.FontSize);
    QCOMPARE(back.Skjul, w.Skjul);
    const QByteArray raw = testfiles::readAll(path);
    QVERIFY(raw.contains(skjul ? "Skjul=True" : "Skjul=False"));
    QVERIFY(!raw.contains("e+"));
    QVERIFY(!raw.contains("=true") && !raw.contains("=false"));
}

void SettingsStoreTest::minimisedKeepsGeometry()
{
    const QString path = storePath("minimised.ini");
    QFile::remove(path);
    auto store = openStoreAt(path);
    WindowSettings w;
    w.MainLeft = 1500;
    w.MainWidth = 7200.5f;
    QVERIFY(saveWindowSettings(*store, w, true));
    w.MainLeft = 99;
    w.FontName = QStringLiteral("Liberation Mono");
    w.Skjul = true;
    QVERIFY(saveWindowSettings(*store, w, false));
    auto again = openStoreAt(path);
    const WindowSettings back = loadWindowSettings(*again);
    QCOMPARE(back.MainLeft, 1500.f);
    QCOMPARE(back.MainWidth, 7200.5f);
    QCOMPARE(back.FontName, QStringLiteral("Liberation Mono"));
    QCOMPARE(back.Skjul, true);
}

void SettingsStoreTest::everyKeyRoundTrips_data()
{
    // Each key once, with another value than the good store's: it must load into its
    // own member and no other, and be written back under its own name.
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<Settings>("cw");
    QTest::addColumn<WindowSettings>("window");
    const auto cw = [](auto change) { Settings s = goodCw(); change(s); return s; };
    const auto win = [](auto change) { WindowSettings w = goodWindow(); change(w); return w; };
    const auto row = [](const char *key, const char *stored, const Settings &s, const WindowSettings &w) {
        QTest::newRow(key) << QString::fromLatin1(key) << QString::fromUtf8(stored) << s << w;
    };
    const WindowSettings w0 = goodWindow();
    const Settings s0 = goodCw();
    row("CW/WPM", "31", cw([](Settings &s) { s.giWPM = 31; }), w0);
    row("CW/Tone", "725", cw([](Settings &s) { s.giTone = 725; }), w0);
    row("CW/Volume", "7777", cw([](Settings &s) { s.glVolume = 7777; }), w0);
    row("CW/Farnsworth", "-4", cw([](Settings &s) { s.giFarnsworth = -4; }), w0);
    row("CW/N", "117", cw([](Settings &s) { s.gsN = QStringLiteral("117"); }), w0);
    row("CW/T", "RST 5NN", cw([](Settings &s) { s.gsT = QStringLiteral("RST 5NN"); }), w0);
    for (int i = 0; i < 8; ++i) {
        const QByteArray key = "CW/Tekst" + QByteArray::number(i + 1);
        QTest::newRow(key.constData()) << QString::fromLatin1(key) << QStringLiteral("ÆØÅ %1").arg(i)
                                       << cw([i](Settings &s) { s.gsTekst[size_t(i)] = QStringLiteral("ÆØÅ %1").arg(i); })
                                       << w0;
    }
    row("Settings/MainLeft", "-250,5", s0, win([](WindowSettings &w) { w.MainLeft = -250.5f; }));
    row("Settings/MainTop", "333", s0, win([](WindowSettings &w) { w.MainTop = 333; }));
    row("Settings/MainWidth", "8001", s0, win([](WindowSettings &w) { w.MainWidth = 8001; }));
    row("Settings/MainHeight", "5002", s0, win([](WindowSettings &w) { w.MainHeight = 5002; }));
    row("Settings/Skjul", "False", s0, win([](WindowSettings &w) { w.Skjul = false; }));
    row("Settings/FontName", "DejaVu Sans Mono", s0, win([](WindowSettings &w) { w.FontName = QStringLiteral("DejaVu Sans Mono"); }));
    row("Settings/FontBold", "False", s0, win([](WindowSettings &w) { w.FontBold = false; }));
    row("Settings/FontItalic", "False", s0, win([](WindowSettings &w) { w.FontItalic = false; }));
    row("Settings/FontSize", "10,5", s0, win([](WindowSettings &w) { w.FontSize = 10.5f; }));
}

void SettingsStoreTest::everyKeyRoundTrips()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(Settings, cw);
    QFETCH(WindowSettings, window);
    const QString path = rowStorePath();
    const QByteArray ini = storeWith(key, stored);
    writeRaw(path, ini);
    const StoreOpener run = storeOpenerAt(path);
    Settings s;
    HentIndstillinger(*run(), s);
    const WindowSettings w = loadWindowSettings(*run());
    QCOMPARE(s, cw);
    QVERIFY(w == window);

    // Saved unchanged: not a byte changes.
    QVERIFY(GemIndstillinger(*run(), s));
    QVERIFY(saveWindowSettings(*run(), w, true));
    QCOMPARE(testfiles::readAll(path), ini);
    QVERIFY(!QFile::exists(path + ".bak"));

    // Saved into an empty store: every key written under its own name, read back the same.
    const QString copy = path + ".copy";
    const StoreOpener other = storeOpenerAt(copy);
    QVERIFY(GemIndstillinger(*other(), s));
    QVERIFY(saveWindowSettings(*other(), w, true));
    QCOMPARE(storeOpenerAt(copy)()->storedText(key), std::optional<QString>(stored));
    Settings back;
    HentIndstillinger(*storeOpenerAt(copy)(), back);
    QCOMPARE(back, cw);
    QVERIFY(loadWindowSettings(*storeOpenerAt(copy)()) == window);
}

void SettingsStoreTest::savesOnlyThisRunsChanges_data()
{
    // key: the key in question (its value null when absent at the start); other: what
    // another writer saves while this run is open ("file": an editor, "run": a second
    // window on the same store; empty: nobody); mine: the value this run gives the
    // key (empty: it leaves it alone); expected: the key's text after this run's save.
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("otherWay");
    QTest::addColumn<QString>("other");
    QTest::addColumn<QString>("mine");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("backup");
    const QString fs = QStringLiteral("Settings/FontSize");
    const QString wpm = QStringLiteral("CW/WPM");
    QTest::newRow("another writer's font size kept") << fs << "12" << "file" << "14" << "" << "14" << false;
    QTest::newRow("another window's font size kept") << fs << "12" << "run" << "14" << "" << "14" << false;
    QTest::newRow("first run: another window's font size kept") << fs << QString() << "run" << "14" << "" << "14" << false;
    QTest::newRow("another writer's speed kept") << wpm << "25" << "file" << "30" << "" << "30" << false;
    QTest::newRow("another window's speed kept") << wpm << "25" << "run" << "30" << "" << "30" << false;
    QTest::newRow("own font size over another's") << fs << "12" << "file" << "14" << "16" << "16" << false;
    QTest::newRow("own speed over another window's") << wpm << "25" << "run" << "30" << "40" << "40" << false;
    QTest::newRow("own change back to the default") << fs << "12" << "" << "" << "9" << "9" << false;
    QTest::newRow("missing key created") << fs << QString() << "" << "" << "" << "9" << false;
    QTest::newRow("malformed value replaced") << fs << "huge" << "" << "" << "" << "9" << true;
    QTest::newRow("malformed value mended by another writer") << fs << "huge" << "file" << "14" << "" << "14" << false;
    QTest::newRow("bounded speed replaced") << wpm << "5000" << "" << "" << "" << "2116" << true;
    QTest::newRow("malformed speed mended by another window") << wpm << "fast" << "run" << "30" << "" << "30" << true;
}

void SettingsStoreTest::savesOnlyThisRunsChanges()
{
    QFETCH(QString, key);
    QFETCH(QString, before);
    QFETCH(QString, otherWay);
    QFETCH(QString, other);
    QFETCH(QString, mine);
    QFETCH(QString, expected);
    QFETCH(bool, backup);
    const QString path = rowStorePath();
    QFile::remove(path);
    QFile::remove(path + ".bak");
    writeRaw(path, storeWith(key, before));
    const bool cwKey = key.startsWith(QLatin1String("CW/"));
    const auto set = [&](Settings &s, WindowSettings &w, const QString &text) {
        if (cwKey)
            s.giWPM = qint16(text.toInt());
        else
            w.FontSize = text.toFloat();
    };
    const auto save = [&](Store &store, const Settings &s, const WindowSettings &w) {
        return cwKey ? GemIndstillinger(store, s) : saveWindowSettings(store, w, true);
    };

    const StoreOpener run = storeOpenerAt(path);
    Settings s;
    HentIndstillinger(*run(), s);
    WindowSettings w = loadWindowSettings(*run());

    if (otherWay == QLatin1String("file")) {
        writeRaw(path, storeWith(key, other));
    } else if (otherWay == QLatin1String("run")) {
        const StoreOpener second = storeOpenerAt(path);
        Settings s2;
        HentIndstillinger(*second(), s2);
        WindowSettings w2 = loadWindowSettings(*second());
        set(s2, w2, other);
        QVERIFY(save(*second(), s2, w2));
    }
    if (!mine.isEmpty())
        set(s, w, mine);
    QVERIFY(save(*run(), s, w));

    const auto after = openStoreAt(path);
    QCOMPARE(after->storedText(key), std::optional<QString>(expected));
    QCOMPARE(QFile::exists(path + ".bak"), backup);
    // Every other key is as the good store has it.
    for (const auto &[name, good] : kGoodStore) {
        if (QString::fromLatin1(name) != key)
            QCOMPARE(after->storedText(QString::fromLatin1(name)), std::optional<QString>(QString::fromUtf8(good)));
    }
}

void SettingsStoreTest::sectionOfItsOwn_data()
{
    // A feature's section read with readOr and written with setValue: the same rules
    // as the tables' (another writer's change kept, a value that fell back rewritten
    // after the store was copied). A null other: nobody else writes.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("other");
    QTest::addColumn<int>("mine");       // 0: the value read
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("backup");
    QTest::newRow("another writer's level kept") << "3" << "5" << 0 << "5" << false;
    QTest::newRow("own level written") << "3" << "5" << 7 << "7" << false;
    QTest::newRow("missing level created") << QString() << QString() << 0 << "1" << false;
    QTest::newRow("malformed level replaced") << "high" << QString() << 0 << "1" << true;
}

void SettingsStoreTest::sectionOfItsOwn()
{
    QFETCH(QString, before);
    QFETCH(QString, other);
    QFETCH(int, mine);
    QFETCH(QString, expected);
    QFETCH(bool, backup);
    const QString path = rowStorePath();
    const auto withLevel = [](const QString &level) {
        return storeWith() + (level.isNull() ? QByteArray() : "[Extra]\nLevel=" + level.toUtf8() + '\n');
    };
    writeRaw(path, withLevel(before));
    const StoreOpener run = storeOpenerAt(path);
    const int level = readOr<int>(*run(), QStringLiteral("Extra"), QStringLiteral("Level"), 1,
                                  [](const QString &t) { return std::optional<int>(toInt16(t)); });
    if (!other.isNull())
        writeRaw(path, withLevel(other));
    const auto store = run();
    store->setValue(QStringLiteral("Extra/Level"), QString::number(mine ? mine : level));
    QVERIFY(store->sync());
    QCOMPARE(openStoreAt(path)->storedText(QStringLiteral("Extra/Level")), std::optional<QString>(expected));
    QCOMPARE(QFile::exists(path + ".bak"), backup);
}

void SettingsStoreTest::sizeLimit_data()
{
    // size: the store's size before the save; wpm: the speed saved (one digit more
    // makes the store a byte larger).
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("wpm");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("loaded");
    const qint64 max = Store::kMaxBytes;
    QTest::newRow("16 MiB, same size") << max << 30 << true << 30;
    QTest::newRow("16 MiB, one byte more") << max << 300 << false << 25;
    QTest::newRow("a byte under, grows to 16 MiB") << max - 1 << 300 << true << 300;
    QTest::newRow("larger than 16 MiB: not read, not written") << max + 1 << 30 << false << 20;
}

void SettingsStoreTest::sizeLimit()
{
    QFETCH(qint64, size);
    QFETCH(int, wpm);
    QFETCH(bool, saved);
    QFETCH(int, loaded);
    const QString path = rowStorePath();
    // Every key there, so that the save adds none.
    QByteArray ini = storeWith() + "; ";
    ini += QByteArray(size - ini.size() - 1, 'x') + '\n';
    QCOMPARE(ini.size(), size);
    writeRaw(path, ini);
    const StoreOpener run = storeOpenerAt(path);
    Settings s;
    HentIndstillinger(*run(), s);
    s.giWPM = qint16(wpm);
    QCOMPARE(GemIndstillinger(*run(), s), saved);
    if (!saved)
        QVERIFY(testfiles::readAll(path) == ini);
    // Whatever was saved, the next start reads it.
    Settings next;
    HentIndstillinger(*storeOpenerAt(path)(), next);
    QCOMPARE(int(next.giWPM), loaded);
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
