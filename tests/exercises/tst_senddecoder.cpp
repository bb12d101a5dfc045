// Decoding what was keyed: synthetic straight-key fists with random timing at 5-40
// WPM, a decoder seeded at another speed, contact bounce, and the keyer's exact elements.

#include "engine/MorseTable.h"
#include "exercises/CopyScore.h"
#include "exercises/SendDecoder.h"

#include <QRandomGenerator>
#include <QTest>

using namespace keying;

namespace {

constexpr int kRate = 44100;

struct Mark {
    qint64 start;
    qint64 length;
    Element kind;
};

// Random words of letters and digits, the same for a seed.
QString randomText(QRandomGenerator &rng, int words)
{
    static const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ0123456789?/=.");
    QStringList out;
    for (int w = 0; w < words; ++w) {
        QString word;
        const int n = rng.bounded(2, 8);
        for (int i = 0; i < n; ++i)
            word += kAlphabet[rng.bounded(int(kAlphabet.size()))];
        out << word;
    }
    return out.join(u' ');
}

// The marks of a fist keying text at wpm, every element and gap off by up to
// ±jitter of its length; bounce adds 3 ms blips in some gaps.
std::vector<Mark> keyText(const QString &text, int wpm, double jitter, bool bounce,
                          QRandomGenerator &rng)
{
    const double dot = 1.2 * kRate / wpm;
    auto vary = [&](double units) {
        return qint64(units * dot * (1.0 + jitter * (2.0 * rng.generateDouble() - 1.0)));
    };
    std::vector<Mark> marks;
    qint64 t = 0;
    for (const QChar c : text) {
        if (c == u' ') {
            t += vary(7) - vary(3);   // the character gap already taken
            continue;
        }
        const std::string_view pattern = morse::lookupPattern(QString(c));
        bool first = true;
        size_t i = 0;
        while (i < pattern.size()) {
            const bool dash = pattern.substr(i, 3) == "123";
            i += dash ? 4 : 2;   // the symbol and the blank after it
            if (!first)
                t += vary(1);
            first = false;
            const qint64 length = vary(dash ? 3 : 1);
            marks.push_back({t, length, dash ? Element::Dah : Element::Dit});
            t += length;
        }
        if (bounce && rng.bounded(3) == 0)
            marks.push_back({t + qint64(dot / 2), kRate * 3 / 1000, Element::Straight});
        t += vary(3);
    }
    return marks;
}

} // namespace

class SendDecoderTest : public QObject {
    Q_OBJECT
private slots:
    void fists_data();
    void fists();
    void spellings_data();
    void spellings();
};

void SendDecoderTest::fists_data()
{
    QTest::addColumn<int>("wpm");
    QTest::addColumn<double>("setSpeedRatio");   // the speed set in the program / the fist's
    QTest::addColumn<double>("jitter");
    QTest::addColumn<bool>("bounce");
    QTest::addColumn<bool>("paddle");            // marks carry the keyer's element kind
    QTest::addColumn<double>("atLeast");         // per cent of characters right

    for (const int wpm : {5, 10, 15, 20, 25, 30, 35, 40})
        QTest::newRow(qPrintable(QStringLiteral("straight %1 WPM").arg(wpm)))
            << wpm << 1.0 << 0.2 << false << false << 98.0;
    QTest::newRow("straight, set 25 % faster than keyed") << 16 << 1.25 << 0.2 << false << false << 98.0;
    QTest::newRow("straight, set 25 % slower than keyed") << 25 << 0.75 << 0.2 << false << false << 98.0;
    QTest::newRow("straight, contact bounce filtered") << 20 << 1.0 << 0.2 << true << false << 98.0;
    QTest::newRow("straight, even timing") << 30 << 1.0 << 0.0 << false << false << 100.0;
    QTest::newRow("paddle: elements taken as keyed") << 40 << 1.0 << 0.2 << false << true << 100.0;
}

void SendDecoderTest::fists()
{
    QFETCH(int, wpm);
    QFETCH(double, setSpeedRatio);
    QFETCH(double, jitter);
    QFETCH(bool, bounce);
    QFETCH(bool, paddle);
    QFETCH(double, atLeast);

    for (const quint32 seed : {1u, 2u, 3u}) {
        QRandomGenerator rng(seed);
        const QString text = randomText(rng, 40);
        std::vector<Mark> marks = keyText(text, wpm, jitter, bounce, rng);
        const double keyedDot = 1.2 * kRate / wpm;
        SendDecoder decoder(qint32(keyedDot / setSpeedRatio));
        if (paddle) {
            // The keyer's elements are whole dots; only the operator's gaps vary.
            qint64 shift = 0;
            for (Mark &m : marks) {
                m.start += shift;
                const qint64 exact = qint64(keyedDot) * (m.kind == Element::Dah ? 3 : 1);
                shift += exact - m.length;
                m.length = exact;
            }
            decoder.reset(qint32(keyedDot));
        } else {
            for (Mark &m : marks)
                m.kind = Element::Straight;
        }
        for (const Mark &m : marks)
            decoder.addMark(m.start, m.length, m.kind);
        decoder.idle(marks.back().start + marks.back().length + qint64(10 * keyedDot));

        const receive::Score score = receive::scoreCopy(text, decoder.text());
        QVERIFY2(score.accuracy() >= atLeast,
                 qPrintable(QStringLiteral("seed %1: %2 %\n%3\n%4")
                                .arg(seed).arg(score.accuracy()).arg(text, decoder.text())));
    }
}

// A prosign keyed where the text has it reads as the prosign, not as the character
// that shares its pattern; and the other way round.
void SendDecoderTest::spellings_data()
{
    QTest::addColumn<QString>("expected");   // the text to send
    QTest::addColumn<QString>("keyed");      // what is keyed, spelled as the table reads it
    QTest::addColumn<QString>("decoded");

    QTest::newRow("free keying: the table's reading") << "" << "+ = (" << "+ = (";
    QTest::newRow("prosigns in the text") << "<AR> <BT> <KN>" << "+ = (" << "<AR> <BT> <KN>";
    QTest::newRow("characters in the text") << "+ = (" << "+ = (" << "+ = (";
    QTest::newRow("both spellings: the table decides") << "+ <AR> <SK>" << "+ + <SK>" << "+ + <SK>";
}

void SendDecoderTest::spellings()
{
    QFETCH(QString, expected);
    QFETCH(QString, keyed);
    QFETCH(QString, decoded);

    const qint32 dot = 2646;
    SendDecoder decoder(dot);
    decoder.setExpected(expected);
    decoder.reset(dot);   // a new attempt keeps the text's spellings
    qint64 t = 0;
    for (const receive::Located &l : receive::sentTokens(keyed)) {
        if (l.token == receive::kWordGap) {
            t += 4 * dot;
            continue;
        }
        const QString spelling = receive::tokenText(l.token);
        const std::string_view pattern =
            morse::lookupPattern(receive::isProsign(l.token) ? spelling.mid(1, 2) : spelling);
        for (size_t i = 0; i < pattern.size();) {
            const bool dash = pattern.substr(i, 3) == "123";
            const qint32 length = dash ? 3 * dot : dot;
            decoder.addMark(t, length, dash ? Element::Dah : Element::Dit);
            t += length + dot;
            i += dash ? 4 : 2;
        }
        t += 2 * dot;
    }
    decoder.idle(t + 10 * dot);
    QCOMPARE(decoder.text(), decoded);
}

QTEST_APPLESS_MAIN(SendDecoderTest)
#include "tst_senddecoder.moc"
