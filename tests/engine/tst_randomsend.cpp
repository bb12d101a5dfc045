// Long randomised run of the symbol source and the streaming engine: random texts
// and settings, every fill checked against the symbol stream and a unit count.

#include "support/SoundSamples.h"
#include "support/SymbolStream.h"
#include "engine/Morse.h"
#include "engine/MorseTable.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <QTest>

#include <random>

using namespace morse;

namespace {

const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ0123456789.,?/=-:;()+\"_'$!ÉÜÑ "
                                         "abc#%\r\n\t<>");

QString randomText(std::mt19937 &rng, int maxLength, bool withProsigns)
{
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<qsizetype> pick(0, kAlphabet.size() - 1);
    QString text;
    const int n = length(rng);
    for (int i = 0; i < n; ++i) {
        QChar c = kAlphabet[pick(rng)];
        if (c == u'<' && !withProsigns)
            c = u'E';
        text += c;
    }
    return text;
}

// Units a text without "<" lasts before the end marker: each character's pattern
// (a dash 3 units, a dot or gap 1), then max(1, 3 + F) units of silence; a
// character without an entry is silence only; the pseudo-character past the end
// is silence only.
qint64 unitCount(const QString &text, int farnsworth)
{
    const qint64 after = std::max(1, 3 + farnsworth);
    qint64 units = after;   // the pseudo-character
    for (QChar c : text) {
        const std::string_view p = lookupPattern(QStringView(&c, 1));
        units += qint64(p.size()) + after;
    }
    return units;
}

} // namespace

class RandomSendTest : public QObject {
    Q_OBJECT
private slots:
    void randomTexts_data();
    void randomTexts();
};

void RandomSendTest::randomTexts_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<bool>("withProsigns");
    for (unsigned seed = 1; seed <= 12; ++seed) {
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed << false;
        QTest::newRow(qPrintable(QStringLiteral("seed %1 prosigns").arg(seed))) << seed << true;
    }
}

void RandomSendTest::randomTexts()
{
    QFETCH(unsigned, seed);
    QFETCH(bool, withProsigns);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> wpm(kMinWpm, 400);
    std::uniform_int_distribution<int> farnsworth(-30, 20);
    std::uniform_int_distribution<int> tone(100, 4000);
    std::uniform_int_distribution<int> volume(0, 32767);

    for (int round = 0; round < 20; ++round) {
        Settings s;
        s.giWPM = qint16(round % 5 == 0 ? kMaxWpm : wpm(rng));
        s.giFarnsworth = qint16(farnsworth(rng));
        s.giTone = qint16(tone(rng));
        s.glVolume = volume(rng);
        Morse m(s, nullptr);
        m.buildElements();
        const QString text = randomText(rng, 60, withProsigns);
        const std::string symbols = symbolStream(m, text);
        QVERIFY(!symbols.empty() && symbols.back() == '0');
        if (!withProsigns)
            QCOMPARE(qint64(symbols.size()) - 1, unitCount(text, s.giFarnsworth));

        // Each symbol is its element's first D samples; the halves hold exactly that
        // sequence, then silence, and no more halves than the sound needs.
        const auto d = size_t(m.dotSamples());
        m.setText(text);
        const std::vector<std::int16_t> rendered = soundtest::renderHalves(m);
        const size_t soundSamples = (symbols.size() - 1) * d;
        QVERIFY(rendered.size() >= soundSamples);
        QVERIFY(rendered.size() < soundSamples + size_t(kHalfSamples) + d);
        for (size_t i = 0; i + 1 < symbols.size(); ++i) {
            const std::vector<std::int16_t> &e = m.element(symbols[i]);
            if (!std::equal(e.begin(), e.begin() + ptrdiff_t(d), rendered.begin() + ptrdiff_t(i * d)))
                QFAIL(qPrintable(QStringLiteral("symbol %1 of \"%2\" differs").arg(i).arg(text)));
        }
        QVERIFY(std::all_of(rendered.begin() + ptrdiff_t(soundSamples), rendered.end(),
                            [](auto v) { return v == 0; }));
        QCOMPARE(m.sentCharacters(), 0);
    }
}

QTEST_GUILESS_MAIN(RandomSendTest)
#include "tst_randomsend.moc"
