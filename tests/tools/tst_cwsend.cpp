// The built telvok-cw-send, run as a process: options and exit codes, input
// decoding, and WAV files compared with the engine's own rendering.

#include "program/ProgramInfo.h"
#include "engine/Cp1252.h"
#include "engine/BandConditions.h"
#include "engine/Morse.h"
#include "engine/constants.h"
#include "support/SoundSamples.h"
#include "support/NativeNames.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include "support/CiSkip.h"

#include <QTest>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

Q_DECLARE_METATYPE(Settings)
Q_DECLARE_METATYPE(band::Conditions)

namespace {

struct Run {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QString err;
};

QString toolPath()
{
    return qEnvironmentVariable("TELVOK_CW_SEND");
}

// A process with its own settings store under configHome.
void prepare(QProcess &p, const QString &configHome, const QStringList &extraEnv = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    for (const QString &entry : extraEnv)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    p.setProcessEnvironment(env);
}

Run runTool(const QString &configHome, const QStringList &args, const QByteArray &input = {},
            const QStringList &extraEnv = {})
{
    QProcess p;
    prepare(p, configHome, extraEnv);
    p.start(toolPath(), args);
    Run r;
    if (!p.waitForStarted(10000))
        return r;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        p.kill();
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

quint32 u32(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 u16(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// Checks the 44-byte PCM header and returns the samples after it.
QByteArray wavData(const QByteArray &file)
{
    if (file.size() < 44) {
        qWarning("WAV file of %lld bytes", qlonglong(file.size()));
        return {};
    }
    const bool headerOk = file.left(4) == "RIFF" && u32(file, 4) == quint32(file.size() - 8)
        && file.mid(8, 8) == "WAVEfmt " && u32(file, 16) == 16 && u16(file, 20) == 1
        && u16(file, 22) == 1 && u32(file, 24) == 44100 && u32(file, 28) == 88200
        && u16(file, 32) == 2 && u16(file, 34) == 16 && file.mid(36, 4) == "data"
        && u32(file, 40) == quint32(file.size() - 44);
    if (!headerOk) {
        qWarning("bad WAV header: %s", file.left(44).toHex().constData());
        return {};
    }
    return file.mid(44);
}

// Index of the first non-zero sample at or after from, or -1.
qsizetype firstSound(const QByteArray &pcm, qsizetype from)
{
    for (qsizetype i = from; 2 * i + 1 < pcm.size(); ++i) {
        if (pcm[2 * i] != 0 || pcm[2 * i + 1] != 0)
            return i;
    }
    return -1;
}

QByteArray allBytes()
{
    QByteArray b(256, '\0');
    for (int i = 0; i < 256; ++i)
        b[i] = char(i);
    return b;
}

} // namespace

using testfiles::readAll;

class CwSendTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void rejectsBadArguments_data();
    void rejectsBadArguments();
    void helpAndVersion();
    void wavMatchesEngine_data();
    void wavMatchesEngine();
    void readsStandardInput_data();
    void readsStandardInput();
    void lineBreaksKept_data();
    void lineBreaksKept();
    void fromShell_data();
    void fromShell();
    void interruptedWhileReadingLeavesNoFile();
    void ctrlCStopsSound();
    void noSoundDevice();
    void conditionsInWav_data();
    void conditionsInWav();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString config() const { return path(QStringLiteral("config")); }
};

void CwSendTest::initTestCase()
{
    QVERIFY2(QFileInfo(toolPath()).isExecutable(), qPrintable(toolPath()));
}

void CwSendTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(config()));
}

void CwSendTest::rejectsBadArguments_data()
{
    // {in}: an existing text file, {out}: the WAV path (already holding an old file),
    // {long}: a text too long for a WAV file, {dir}: the working folder.
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, const QStringList &args, const QString &message) {
        QTest::newRow(name) << args << message;
    };
    const QString in = QStringLiteral("{in}");
    const QString o = QStringLiteral("-o");
    const QString out = QStringLiteral("{out}");
    row("unknown option", {o, out, QStringLiteral("--speed"), QStringLiteral("20"), in},
        QStringLiteral("ukendt tilvalg: --speed"));
    row("unknown short option", {QStringLiteral("-x"), o, out, in}, QStringLiteral("ukendt tilvalg: -x"));
    row("missing value at the end", {o, out, in, QStringLiteral("--wpm")},
        QStringLiteral("tilvalget --wpm mangler en værdi"));
    row("missing output name", {in, o}, QStringLiteral("tilvalget -o mangler en værdi"));
    row("empty output name", {in, QStringLiteral("--output=")}, QStringLiteral("mangler et filnavn"));
    row("text as number", {o, out, QStringLiteral("--tone"), QStringLiteral("høj"), in},
        QStringLiteral("\"høj\" til --tone er ikke et helt tal"));
    row("fraction", {o, out, QStringLiteral("--wpm=20.5"), in}, QStringLiteral("ikke et helt tal"));
    row("empty value", {o, out, QStringLiteral("--volume="), in}, QStringLiteral("ikke et helt tal"));
    row("beyond 64 bits", {o, out, QStringLiteral("--wpm"), QStringLiteral("99999999999999999999"), in},
        QStringLiteral("ikke et helt tal"));
    row("wpm 2", {o, out, QStringLiteral("--wpm"), QStringLiteral("2"), in},
        QStringLiteral("--wpm skal være mellem 3 og 2116"));
    row("wpm 2117", {o, out, QStringLiteral("--wpm"), QStringLiteral("2117"), in},
        QStringLiteral("--wpm skal være mellem 3 og 2116"));
    row("farnsworth 21", {o, out, QStringLiteral("--farnsworth"), QStringLiteral("21"), in},
        QStringLiteral("--farnsworth skal være mellem -1 og 20"));
    // One dot length after a character is the gap inside one: "EE" would sound as "I".
    row("farnsworth -2", {o, out, QStringLiteral("--farnsworth"), QStringLiteral("-2"), in},
        QStringLiteral("--farnsworth skal være mellem -1 og 20, ikke -2."));
    row("farnsworth below 16 bits", {o, out, QStringLiteral("--farnsworth=-32769"), in},
        QStringLiteral("--farnsworth skal være mellem -1 og 20"));
    row("tone 0", {o, out, QStringLiteral("--tone"), QStringLiteral("0"), in},
        QStringLiteral("--tone skal være mellem 1 og 22049"));
    row("tone above 16 bits", {o, out, QStringLiteral("--tone"), QStringLiteral("32768"), in},
        QStringLiteral("--tone skal være mellem 1 og 22049"));
    row("tone that aliases", {o, out, QStringLiteral("--tone=22050"), in},
        QStringLiteral("--tone skal være mellem 1 og 22049, ikke 22050"));
    row("single-dash long option", {QStringLiteral("-wpm"), QStringLiteral("20"), o, out, in},
        QStringLiteral("ukendt tilvalg: -wpm\n"));
    row("empty input name", {o, out, QString()}, QStringLiteral("filnavnet er tomt"));
    row("volume -1", {o, out, QStringLiteral("--volume"), QStringLiteral("-1"), in},
        QStringLiteral("--volume skal være mellem 0 og 32767"));
    row("volume 32768", {o, out, QStringLiteral("--volume"), QStringLiteral("32768"), in},
        QStringLiteral("--volume skal være mellem 0 og 32767"));
    row("value given to a flag", {QStringLiteral("--help=ja")}, QStringLiteral("tager ingen værdi"));
    row("two input files", {o, out, in, in}, QStringLiteral("kun angives én fil"));
    row("input missing", {o, out, QStringLiteral("{dir}/ingen.txt")}, QStringLiteral("findes ikke"));
    row("input is a folder", {o, out, QStringLiteral("{dir}")}, QStringLiteral("er en mappe"));
    row("nothing in the input can be sent", {o, out, QStringLiteral("{none}")},
        QStringLiteral("intet i teksten kan sendes; disse tegn findes ikke i morsealfabetet: \"#\", \"ł\", "
                       "U+0007, \"<XY>\"."));
    row("output folder missing", {o, QStringLiteral("{dir}/ingen/ud.wav"), in},
        QStringLiteral("mappen findes ikke"));
    row("output is a folder", {o, QStringLiteral("{dir}"), in}, QStringLiteral("det er en mappe"));
    row("snr below -15", {o, out, QStringLiteral("--snr=-16"), in}, QStringLiteral("--snr skal være et tal fra -15"));
    row("snr as text", {o, out, QStringLiteral("--snr"), QStringLiteral("lav"), in}, QStringLiteral("ikke \"lav\""));
    row("filter not offered", {o, out, QStringLiteral("--filter"), QStringLiteral("300"), in},
        QStringLiteral("--filter skal være 250, 500, 1000 eller 2400"));
    row("unknown fading", {o, out, QStringLiteral("--qsb"), QStringLiteral("wobble"), in},
        QStringLiteral("--qsb skal være slow, fast eller flutter"));
    row("fading deeper than 1", {o, out, QStringLiteral("--qsb=fast:1.5"), in}, QStringLiteral("--qsb skal være"));
    row("four stations", {o, out, QStringLiteral("--qrm"), QStringLiteral("4"), in},
        QStringLiteral("--qrm skal være et helt tal fra 0 til 3"));
    row("unknown static", {o, out, QStringLiteral("--qrn=loud"), in}, QStringLiteral("--qrn skal være light eller heavy"));
    row("negative seed", {o, out, QStringLiteral("--seed=-1"), in}, QStringLiteral("--seed skal være"));
    row("ramp 0 ms", {o, out, QStringLiteral("--ramp"), QStringLiteral("0"), in},
        QStringLiteral("--ramp skal være et helt tal fra 1 til 10 ms"));
    row("ramp 11 ms", {o, out, QStringLiteral("--ramp=11"), in}, QStringLiteral("ikke \"11\""));
    // 6000 zeros at 3 WPM: 132 000 dot lengths of 35 280 bytes, more than 4 GB.
    row("sound too long for WAV", {o, out, QStringLiteral("--wpm"), QStringLiteral("3"), QStringLiteral("{long}")},
        QStringLiteral("for lang til en WAV-fil"));
}

void CwSendTest::rejectsBadArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const QByteArray old("an older file that must survive");
    QVERIFY(testfiles::writeFile(path(QStringLiteral("in.txt")), "PARIS"));
    QVERIFY(testfiles::writeFile(path(QStringLiteral("long.txt")), QByteArray(6000, '0')));
    QVERIFY(testfiles::writeFile(path(QStringLiteral("out.wav")), old));
    QVERIFY(testfiles::writeFile(path(QStringLiteral("none.txt")), "#\xc5\x82 #\r\n\x07<xy>"));
    for (QString &a : args) {
        a.replace(QLatin1String("{none}"), path(QStringLiteral("none.txt")));
        a.replace(QLatin1String("{long}"), path(QStringLiteral("long.txt")));
        a.replace(QLatin1String("{in}"), path(QStringLiteral("in.txt")));
        a.replace(QLatin1String("{out}"), path(QStringLiteral("out.wav")));
        a.replace(QLatin1String("{dir}"), m_dir->path());
    }

    const Run r = runTool(config(), args);
    QCOMPARE(r.crashed, false);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY2(r.err.startsWith(QLatin1String("telvok-cw-send: ")), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    // Nothing written, nothing left behind, the old file intact.
    const QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList({QStringLiteral("in.txt"), QStringLiteral("long.txt"),
                                QStringLiteral("none.txt"), QStringLiteral("out.wav")}));
    QCOMPARE(readAll(path(QStringLiteral("out.wav"))), old);
}

void CwSendTest::helpAndVersion()
{
    const Run help = runTool(config(), {QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    for (const char *option : {"--wpm", "--farnsworth", "--tone", "--volume", "--output", "130", "--snr",
                               "--filter", "--qsb", "--qrm", "--qrn", "--seed", "--ramp"})
        QVERIFY2(help.out.contains(option), option);
    QVERIFY(help.err.isEmpty());

    const Run version = runTool(config(), {QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QVERIFY(QString::fromUtf8(version.out).contains(program::versionText()));
}

void CwSendTest::wavMatchesEngine_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("store");         // "[CW]" section of the user's store
    QTest::addColumn<Settings>("sound");           // what the engine must have used
    QTest::addColumn<QString>("typed");            // the text read (null: input as Windows-1252)
    QTest::addColumn<QString>("warning");          // on standard error (empty: nothing there)

    QTest::newRow("defaults of an empty store")
        << QByteArray("PARIS") << QStringList() << QByteArray() << soundtest::soundSettings(20, 800, 10000, 0) << QString() << QString();
    QTest::newRow("all four options")
        << QByteArray("cq de oz1abc k") << QStringList({"--wpm", "35", "--farnsworth=3", "--tone", "600",
                                                        "--volume", "20000"})
        << QByteArray() << soundtest::soundSettings(35, 600, 20000, 3) << QString() << QString();
    QTest::newRow("values from the store")
        << QByteArray("E") << QStringList() << QByteArray("WPM=12\nFarnsworth=5\nTone=1000\nVolume=5000\n")
        << soundtest::soundSettings(12, 1000, 5000, 5) << QString() << QString();
    QTest::newRow("option beats the store")
        << QByteArray("TEST") << QStringList({"--wpm", "25"})
        << QByteArray("WPM=12\nFarnsworth=2\n") << soundtest::soundSettings(25, 800, 10000, 2) << QString() << QString();
    QTest::newRow("store clamped as on load")
        << QByteArray("73") << QStringList() << QByteArray("WPM=1\nFarnsworth=35\nVolume=99999\n")
        << soundtest::soundSettings(3, 800, 32767, 20) << QString() << QString();
    QTest::newRow("negative farnsworth")
        << QByteArray("SOS SOS") << QStringList({"--farnsworth", "-1"}) << QByteArray()
        << soundtest::soundSettings(20, 800, 10000, -1) << QString() << QString();
    QTest::newRow("fastest speed")
        << QByteArray("HELLO WORLD") << QStringList({"--wpm", "2116"}) << QByteArray()
        << soundtest::soundSettings(2116, 800, 10000, 0) << QString() << QString();
    QTest::newRow("prosigns and lower-case Danish letters")
        << QByteArray("<ka> r\xe6kke \xf8 \xe5 <ar>") << QStringList() << QByteArray()
        << soundtest::soundSettings(20, 800, 10000, 0) << QString() << QString();
    Settings soft = soundtest::soundSettings(20, 800, 10000, 0);
    soft.softRampMs = 5;
    QTest::newRow("soft keying from the store")
        << QByteArray("PARIS") << QStringList() << QByteArray("WPM=20\n[Lyd]\nBlodNogling=True\n") << soft
        << QString() << QString();
    soft.softRampMs = 8;
    QTest::newRow("--ramp beats the store")
        << QByteArray("PARIS") << QStringList({"--ramp", "8"}) << QByteArray("[Lyd]\nBlodNogling=False\n") << soft
        << QString() << QString();
    QTest::newRow("empty input") << QByteArray() << QStringList() << QByteArray()
                                 << soundtest::soundSettings(20, 800, 10000, 0) << QString() << QString();
    QTest::newRow("every byte value") << allBytes() << QStringList({"--wpm", "40"}) << QByteArray()
                                      << soundtest::soundSettings(40, 800, 10000, 0) << QString()
                                      << QStringLiteral("sendes som pauser: U+0000, U+0001,");
    QTest::newRow("UTF-8 Danish capitals")
        << QByteArray("\xc3\x86\xc3\x98\xc3\x85") << QStringList() << QByteArray()
        << soundtest::soundSettings(20, 800, 10000, 0) << QStringLiteral("ÆØÅ") << QString();
    QTest::newRow("UTF-8 with a byte order mark")
        << QByteArray("\xef\xbb\xbfr\xc3\xa6kke \xc3\xbc") << QStringList() << QByteArray()
        << soundtest::soundSettings(20, 800, 10000, 0) << QStringLiteral("række ü") << QString();
    QTest::newRow("UTF-8 beyond Windows-1252, named")
        << QByteArray("E\xc5\x82" "E\xe2\x82\xac") << QStringList() << QByteArray()
        << soundtest::soundSettings(20, 800, 10000, 0) << QStringLiteral("EłE€")
        << QStringLiteral("sendes som pauser: \"ł\", \"€\".\n");
    QTest::newRow("not UTF-8 after a byte order mark")
        << QByteArray("\xef\xbb\xbf\xe6") << QStringList() << QByteArray()
        << soundtest::soundSettings(20, 800, 10000, 0) << QString()
        << QStringLiteral("sendes som pauser: \"Ï\", \"»\", \"¿\".\n");
}

void CwSendTest::wavMatchesEngine()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, store);
    QFETCH(Settings, sound);
    QFETCH(QString, typed);
    QFETCH(QString, warning);
    if (!store.isEmpty()) {
        const QString dir = config() + QStringLiteral("/Telvok's Morsetræningsprogram");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(testfiles::writeFile(dir + QStringLiteral("/Telvok's Morsetræningsprogram.ini"), "[CW]\n" + store));
    }
    QVERIFY(testfiles::writeFile(path(QStringLiteral("in.txt")), input));
    const QString out = path(QStringLiteral("out.wav"));

    const Run r = runTool(config(), options + QStringList({"-o", out, path(QStringLiteral("in.txt"))}));
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    if (warning.isEmpty())
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    else
        QVERIFY2(r.err.startsWith(QLatin1String("telvok-cw-send: ")) && r.err.contains(warning), qPrintable(r.err));
    const QByteArray data = wavData(readAll(out));
    QVERIFY(!data.isEmpty());
    QCOMPARE(data.size() % (2 * morse::kHalfSamples), 0);

    const QString text = cp1252::upper(typed.isNull() ? cp1252::decode(input) : typed) + u' ';
    const std::vector<std::int16_t> expected = soundtest::renderHalves(sound, text);
    QCOMPARE(size_t(data.size()), 2 * expected.size());
    QVERIFY(soundtest::toSamples(data) == expected);
    // The sound itself was made: a silent rendering would also match a silent engine.
    QCOMPARE(firstSound(data, 0) >= 0, sound.glVolume > 0 && !input.isEmpty());
}

void CwSendTest::readsStandardInput_data()
{
    QTest::addColumn<QStringList>("inputArgs");
    QTest::newRow("no file named") << QStringList();
    QTest::newRow("dash") << QStringList({"-"});
    QTest::newRow("dash after --") << QStringList({"--", "-"});
}

void CwSendTest::readsStandardInput()
{
    QFETCH(QStringList, inputArgs);
    const QByteArray input("vvv\r\nde oz7\0xyz", 15);   // a NUL inside: every byte counts
    const QString out = path(QStringLiteral("out.wav"));
    const Run r = runTool(config(), QStringList({"-o", out}) + inputArgs, input);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QString text = cp1252::upper(cp1252::decode(input)) + u' ';
    QVERIFY(soundtest::toSamples(wavData(readAll(out)))
            == soundtest::renderHalves(soundtest::soundSettings(20, 800, 10000, 0), text));
}

void CwSendTest::lineBreaksKept_data()
{
    QTest::addColumn<QByteArray>("separator");
    QTest::addColumn<int>("farnsworth");
    QTest::addColumn<int>("extraUnits");   // silence the separator adds, in dot lengths

    QTest::newRow("CR LF") << QByteArray("\r\n") << 0 << 6;
    QTest::newRow("CR LF, farnsworth 2") << QByteArray("\r\n") << 2 << 10;
    QTest::newRow("CR LF, farnsworth -1") << QByteArray("\r\n") << -1 << 4;
    QTest::newRow("LF alone") << QByteArray("\n") << 0 << 3;
    QTest::newRow("CR alone") << QByteArray("\r") << 0 << 3;
    QTest::newRow("blank line") << QByteArray("\r\n\r\n") << 1 << 16;
}

void CwSendTest::lineBreaksKept()
{
    QFETCH(QByteArray, separator);
    QFETCH(int, farnsworth);
    QFETCH(int, extraUnits);
    constexpr int kDot = 2646;   // samples at 20 WPM

    // Distance from the start of the first E to the start of the second one.
    const auto distance = [&](const QByteArray &text) -> qsizetype {
        if (!testfiles::writeFile(path(QStringLiteral("in.txt")), text))
            return -1;
        const QString out = path(QStringLiteral("out.wav"));
        const Run r = runTool(config(), {"--wpm", "20", "--farnsworth", QString::number(farnsworth), "-o",
                                         out, path(QStringLiteral("in.txt"))});
        if (r.exitCode != 0)
            return -1;
        const QByteArray pcm = wavData(readAll(out));
        const qsizetype first = firstSound(pcm, 0);
        const qsizetype second = first < 0 ? -1 : firstSound(pcm, first + kDot);
        return second < 0 ? -1 : second - first;
    };
    const qsizetype plain = distance("EE");
    const qsizetype broken = distance("E" + separator + "E");
    QCOMPARE(plain, qsizetype(4 + farnsworth) * kDot);
    QCOMPARE(broken - plain, qsizetype(extraUnits) * kDot);
}

void CwSendTest::fromShell_data()
{
    // Run by sh with $TOOL and the folder $D holding in.txt ("PARIS"), a name that
    // is not UTF-8, \xe6ble.txt ("EEE"), and the names Qt would make of such names,
    // U+FFFD ble.txt ("TTT") and U+FFFD ble.wav.
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");   // on standard error; empty: nothing there
    QTest::addColumn<QString>("sent");      // the text in $D/out.wav; null: no such file

    const QString e6 = QStringLiteral("$(printf '\\346')");
    QTest::newRow("input named in bytes that are not UTF-8")
        << "\"$TOOL\" -o \"$D/out.wav\" \"$D/" + e6 + "ble.txt\"" << 0 << QString() << QStringLiteral("EEE");
    QTest::newRow("missing input named in bytes that are not UTF-8")
        << QStringLiteral("\"$TOOL\" -o \"$D/out.wav\" \"$D/$(printf '\\347')ble.txt\"") << 2
        << QStringLiteral("/\\xe7ble.txt\" findes ikke.") << QString();
    const QString refused = QStringLiteral("/\\xe6ble.wav\": navnet indeholder bytes, der ikke er UTF-8");
    QTest::newRow("output named in bytes that are not UTF-8")
        << "\"$TOOL\" -o \"$D/" + e6 + "ble.wav\" \"$D/in.txt\"" << 2 << refused << QString();
    QTest::newRow("output name after =")
        << "\"$TOOL\" \"--output=$D/" + e6 + "ble.wav\" \"$D/in.txt\"" << 2 << refused << QString();
    QTest::newRow("output name joined to -o")
        << "\"$TOOL\" \"-o$D/" + e6 + "ble.wav\" \"$D/in.txt\"" << 2 << refused << QString();
    QTest::newRow("closed standard input")
        << QStringLiteral("\"$TOOL\" -o \"$D/out.wav\" <&-") << 2
        << QStringLiteral("telvok-cw-send: standardinput er lukket; der er ingen tekst at sende.\n") << QString();
    QTest::newRow("closed standard output")
        << QStringLiteral("\"$TOOL\" -o - \"$D/in.txt\" >&-") << 2
        << QStringLiteral("standardoutput er lukket") << QString();
    QTest::newRow("standard output into a file")
        << QStringLiteral("\"$TOOL\" -o - \"$D/in.txt\" >\"$D/out.wav\"") << 0 << QString()
        << QStringLiteral("PARIS");
    QTest::newRow("standard output through a pipe")
        << QStringLiteral("{ \"$TOOL\" -o - \"$D/in.txt\"; echo $? >\"$D/rc\"; } | cat >\"$D/out.wav\"; "
                          "exit $(cat \"$D/rc\")")
        << 0 << QString() << QStringLiteral("PARIS");
    QTest::newRow("the system's reason in Danish")
        << QStringLiteral("\"$TOOL\" -o /proc/version \"$D/in.txt\"") << 2
        << QStringLiteral("kan ikke skrive \"/proc/version\": ") << QString();
}

void CwSendTest::fromShell()
{
    QFETCH(QString, script);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, sent);
    const QString dir = m_dir->path();
    const QByteArray notUtf8 = nativenames::join(dir, "\xe6" "ble.txt");
    const QByteArray twinText = nativenames::join(dir, "\xef\xbf\xbd" "ble.txt");
    const QByteArray twinSound = nativenames::join(dir, "\xef\xbf\xbd" "ble.wav");
    QVERIFY(testfiles::writeFile(path(QStringLiteral("in.txt")), "PARIS"));
    QVERIFY(nativenames::writeFile(notUtf8, "EEE"));
    QVERIFY(nativenames::writeFile(twinText, "TTT"));
    QVERIFY(nativenames::writeFile(twinSound, "OLD"));

    QProcess p;
    prepare(p, config(), {QStringLiteral("TOOL=") + toolPath(), QStringLiteral("D=") + dir});
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == exitCode, qPrintable(err));
    if (message.isEmpty())
        QVERIFY2(err.isEmpty(), qPrintable(err));
    QVERIFY2(err.contains(message), qPrintable(err));
    for (const char *english : {"No such", "Resource", "error", "denied"})
        QVERIFY2(!err.contains(QLatin1String(english)), qPrintable(err));

    // The files Qt's decoding would have named are never touched.
    QCOMPARE(nativenames::readAll(twinText), QByteArray("TTT"));
    QCOMPARE(nativenames::readAll(twinSound), QByteArray("OLD"));
    QVERIFY(!nativenames::exists(nativenames::join(dir, "\xe6" "ble.wav")));
    const QString out = path(QStringLiteral("out.wav"));
    QCOMPARE(QFile::exists(out), !sent.isNull());
    if (!sent.isNull())
        QVERIFY(soundtest::toSamples(wavData(readAll(out)))
                == soundtest::renderHalves(soundtest::soundSettings(20, 800, 10000, 0), sent + u' '));
}

void CwSendTest::interruptedWhileReadingLeavesNoFile()
{
#ifdef Q_OS_UNIX
    QProcess p;
    prepare(p, config());
    const QString out = path(QStringLiteral("out.wav"));
    p.start(toolPath(), {"-o", out});   // waits for standard input, which stays open
    QVERIFY(p.waitForStarted());
    p.write("PARIS");
    QTest::qWait(300);
    ::kill(pid_t(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 130);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
#else
    QSKIP("sends SIGINT with kill()");
#endif
}

void CwSendTest::ctrlCStopsSound()
{
#ifdef Q_OS_UNIX
    QVERIFY(testfiles::writeFile(path(QStringLiteral("in.txt")), QByteArray("PARIS ").repeated(20)));   // about a minute
    QProcess p;
    prepare(p, config());
    p.start(toolPath(), {"--wpm", "20", path(QStringLiteral("in.txt"))});
    QVERIFY(p.waitForStarted());
    if (p.waitForFinished(1500)) {
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 2);
        QVERIFY2(err.contains(QLatin1String("Lydkort findes ikke.")), qPrintable(err));
        SKIP_UNLESS_CI("no sound device here");
    }
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    ::kill(pid_t(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(5000));
    QVERIFY2(sinceSignal.elapsed() < 1000, qPrintable(QString::number(sinceSignal.elapsed())));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == 130, p.readAllStandardError().constData());
#else
    QSKIP("sends SIGINT with kill()");
#endif
}

void CwSendTest::noSoundDevice()
{
    // A sound server that does not exist: the PulseAudio backend finds no output.
    const Run r = runTool(config(), {}, "E", {"PULSE_SERVER=unix:" + path(QStringLiteral("no-server"))});
    if (r.exitCode == 0)
        QSKIP("this platform's sound backend does not use PULSE_SERVER");
    QCOMPARE(r.crashed, false);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.err.count(u'\n'), 1);   // one message, no library warnings
    QVERIFY2(r.err.startsWith(QLatin1String("telvok-cw-send: Lydkort findes ikke.")), qPrintable(r.err));
}

void CwSendTest::conditionsInWav_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<band::Conditions>("conditions");
    band::Conditions c;
    c.active = true;
    c.snrDb = 3;
    QTest::newRow("S/N only") << QStringList({"--snr", "3"}) << c;
    c.snrDb = -2.5;
    c.filterHz = 250;
    c.qsb = band::Fading::Slow;
    c.qsbDepth = 0.4;
    c.qrm = 2;
    c.qrn = band::Static::Heavy;
    c.seed = 99;
    QTest::newRow("everything")
        << QStringList({"--snr=-2.5", "--filter", "250", "--qsb", "slow:0.4", "--qrm", "2", "--qrn", "heavy",
                        "--seed", "99"})
        << c;
    band::Conditions quiet;
    quiet.active = true;
    quiet.snrDb = band::kMaxSnrDb;
    quiet.qrm = 1;
    QTest::newRow("one station, no --snr") << QStringList({"--qrm", "1"}) << quiet;
}

// The file holds the engine's sound with the conditions over it, byte for byte;
// another seed gives another file.
void CwSendTest::conditionsInWav()
{
    QFETCH(QStringList, options);
    QFETCH(band::Conditions, conditions);
    QVERIFY(testfiles::writeFile(path(QStringLiteral("in.txt")), "cq test"));
    const QString out = path(QStringLiteral("out.wav"));
    const Run r = runTool(config(), options + QStringList({"-o", out, path(QStringLiteral("in.txt"))}));
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QByteArray data = wavData(readAll(out));

    Settings s = soundtest::soundSettings(20);
    Morse m(s, nullptr);
    m.buildElements();
    band::BandConditions band;
    band.prepare(conditions, s.giTone, s.glVolume);
    m.setConditions(&band);
    m.setText(QStringLiteral("CQ TEST "));
    QVERIFY(soundtest::toSamples(data) == soundtest::renderHalves(m));

    const Run other = runTool(config(), options + QStringList({"--seed", "12345", "-o", out, path(QStringLiteral("in.txt"))}));
    QCOMPARE(other.exitCode, 0);
    QVERIFY(wavData(readAll(out)) != data);
}

QTEST_GUILESS_MAIN(CwSendTest)
#include "tst_cwsend.moc"
