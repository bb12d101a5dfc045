// Sound files read back with libsndfile: the lossless formats hold exactly the
// samples the engine plays, the lossy ones the same keying, on files and on pipes.

#include "support/SoundSamples.h"

#include "engine/Morse.h"
#include "engine/SoundExport.h"

#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cstdlib>
#include <vector>

Q_DECLARE_METATYPE(SoundFileFormat)

namespace {

constexpr qint64 kKeyingSlack = 88;   // samples: 2 ms

using Samples = std::vector<std::int16_t>;

// A device that only appends, as a pipe or a terminal.
class Pipe : public QIODevice {
public:
    bool isSequential() const override { return true; }
    QByteArray bytes;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        bytes.append(data, size);
        return size;
    }
};

Samples readSoundFile(const QString &path, SF_INFO *info)
{
    *info = {};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_READ, info);
    if (!f)
        return {};
    Samples out;
    std::int16_t block[4096];
    sf_count_t n = 0;
    while ((n = sf_read_short(f, block, 4096)) > 0)
        out.insert(out.end(), block, block + n);
    sf_close(f);
    return out;
}

// Where the tone starts and stops: a mark begins at the first sample louder than
// half the volume and ends after its last one, once a whole period of the tone has
// stayed below.
std::vector<qint64> keyingEdges(const Samples &s, int tone, int volume)
{
    const qint64 period = 44100 / tone + 1;
    std::vector<qint64> edges;
    qint64 lastLoud = -period - 1;
    for (qint64 i = 0; i < qint64(s.size()); ++i) {
        if (std::abs(int(s[size_t(i)])) * 2 <= volume)
            continue;
        if (i - lastLoud > period) {
            if (!edges.empty() || lastLoud >= 0)
                edges.push_back(lastLoud + 1);
            edges.push_back(i);
        }
        lastLoud = i;
    }
    if (lastLoud >= 0)
        edges.push_back(lastLoud + 1);
    return edges;
}

} // namespace

class SoundExportTest : public QObject {
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
};

void SoundExportTest::formats_data()
{
    QTest::addColumn<SoundFileFormat>("format");
    QTest::addColumn<bool>("pipe");          // a sequential device instead of a file
    QTest::addColumn<int>("wpm");
    QTest::addColumn<int>("tone");
    QTest::addColumn<int>("sndfileFormat");  // major format read back

    const auto row = [](const char *name, SoundFileFormat f, bool pipe, int wpm, int tone, int major) {
        QTest::newRow(name) << f << pipe << wpm << tone << major;
    };
    row("WAV file", SoundFileFormat::Wav, false, 25, 800, SF_FORMAT_WAV);
    row("FLAC file", SoundFileFormat::Flac, false, 25, 800, SF_FORMAT_FLAC);
    row("Ogg Vorbis file", SoundFileFormat::OggVorbis, false, 25, 800, SF_FORMAT_OGG);
    row("MP3 file", SoundFileFormat::Mp3, false, 25, 800, SF_FORMAT_MPEG);
    row("MP3 file, 60 WPM, 500 Hz", SoundFileFormat::Mp3, false, 60, 500, SF_FORMAT_MPEG);
    row("Ogg Vorbis file, 60 WPM, 1200 Hz", SoundFileFormat::OggVorbis, false, 60, 1200, SF_FORMAT_OGG);
    row("WAV onto a pipe", SoundFileFormat::Wav, true, 25, 800, SF_FORMAT_WAV);
    row("FLAC onto a pipe", SoundFileFormat::Flac, true, 25, 800, SF_FORMAT_FLAC);
    row("Ogg Vorbis onto a pipe", SoundFileFormat::OggVorbis, true, 25, 800, SF_FORMAT_OGG);
}

void SoundExportTest::formats()
{
    QFETCH(SoundFileFormat, format);
    QFETCH(bool, pipe);
    QFETCH(int, wpm);
    QFETCH(int, tone);
    QFETCH(int, sndfileFormat);
    constexpr int kVolume = 12000;
    const Settings settings = soundtest::soundSettings(wpm, tone, kVolume, 1);
    const QString text = QStringLiteral("<KA> PARIS CQ DE OZ1ABC 73 <AR> ");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ud.") + soundfile::extension(format));
    if (pipe) {
        Pipe stream;
        QVERIFY(stream.open(QIODevice::WriteOnly));
        QVERIFY(soundexport::renderInto(settings, text, stream, false, format).ok());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stream.bytes);
    } else {
        QVERIFY(soundexport::exportText(settings, text, path, format).ok());
    }

    SF_INFO info;
    const Samples decoded = readSoundFile(path, &info);
    QCOMPARE(info.format & SF_FORMAT_TYPEMASK, sndfileFormat);
    QCOMPARE(info.channels, 1);
    QCOMPARE(info.samplerate, 44100);
    const Samples live = soundtest::renderHalves(settings, text);
    QCOMPARE(qint64(live.size()), soundexport::renderedSamples(settings, text));
    QCOMPARE(decoded.size(), live.size());
    if (format == SoundFileFormat::Wav || format == SoundFileFormat::Flac) {
        QVERIFY(decoded == live);
        return;
    }
    const std::vector<qint64> expected = keyingEdges(live, tone, kVolume);
    const std::vector<qint64> got = keyingEdges(decoded, tone, kVolume);
    QVERIFY(expected.size() > 40);
    QCOMPARE(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        if (std::abs(got[i] - expected[i]) > kKeyingSlack)
            QFAIL(qPrintable(QStringLiteral("edge %1 at sample %2, live at %3").arg(i).arg(got[i]).arg(expected[i])));
    }
}

QTEST_GUILESS_MAIN(SoundExportTest)
#include "tst_soundexport.moc"
