// The settings store: defaults, conversions, bad values, round trips, failures.

#include "support/TestFiles.h"

#include "settings/SettingsStore.h"
#include "main/WindowSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace settings;

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

private:
    QString storePath(const QString &name) const { return m_dir.filePath(name); }
    // Every data row gets a file of its own.
    QString rowStorePath() const
    {
        return m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + "-"
                              + QString::fromLatin1(QTest::currentDataTag()) + ".ini");
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

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
