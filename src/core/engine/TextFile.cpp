#include "engine/TextFile.h"

#include "engine/Cp1252.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringView>

#include <algorithm>
#include <optional>

namespace textfile {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr qsizetype kBomBytes = 3;

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return (b & 0x80) == 0; });
}

// The text of bytes when they are UTF-8 that encodes back to the same bytes.
std::optional<QString> exactUtf8(QByteArrayView bytes)
{
    // A byte order mark inside the text is a character like any other.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const QByteArray again = encoder(text);
    if (encoder.hasError() || again != bytes)
        return std::nullopt;
    return text;
}

// A lone surrogate has no UTF-8 form: it becomes '?', as Windows-1252 does with
// what it cannot hold.
QString withoutLoneSurrogates(const QString &text, bool *lossy)
{
    QString result = text;
    *lossy = false;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar c = result[i];
        if (c.isHighSurrogate() && i + 1 < result.size() && result[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            result[i] = u'?';
            *lossy = true;
        }
    }
    return result;
}

} // namespace

Encoding encodingOf(const QByteArray &bytes)
{
    Encoding encoding = Encoding::Windows1252;
    decode(bytes, &encoding);
    return encoding;
}

QString decode(const QByteArray &bytes, Encoding *encoding)
{
    Encoding found = Encoding::Windows1252;
    QString text;
    if (bytes.startsWith(kBom)) {
        if (std::optional<QString> utf8 = exactUtf8(QByteArrayView(bytes).sliced(kBomBytes))) {
            found = Encoding::Utf8WithBom;
            text = *std::move(utf8);
        }
    } else if (!isAscii(bytes)) {
        if (std::optional<QString> utf8 = exactUtf8(bytes)) {
            found = Encoding::Utf8;
            text = *std::move(utf8);
        }
    }
    if (found == Encoding::Windows1252)
        text = cp1252::decode(bytes);
    if (encoding)
        *encoding = found;
    return text;
}

QString textFromBytes(const QByteArray &bytes, Encoding *encoding)
{
    const QString decoded = decode(bytes, encoding);
    QString text;
    text.reserve(decoded.size() + decoded.size() / 32 + 2);
    qsizetype start = 0;
    while (start < decoded.size()) {
        qsizetype cr = decoded.indexOf(u'\r', start);
        if (cr < 0)
            cr = decoded.size();
        text += QStringView(decoded).mid(start, cr - start);
        text += QLatin1String("\r\n");
        start = cr + 1;
        if (start < decoded.size() && decoded[start] == u'\n')
            ++start;
    }
    return text;
}

qsizetype longestWord(const QString &text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

QByteArray bytesFromText(const QString &text, Encoding encoding, bool *lossy)
{
    const QString lines = text + QLatin1String("\r\n");
    if (encoding == Encoding::Windows1252)
        return cp1252::encode(lines, lossy);
    bool lost = false;
    QByteArray bytes = encoding == Encoding::Utf8WithBom ? QByteArray(kBom) : QByteArray();
    bytes += withoutLoneSurrogates(lines, &lost).toUtf8();
    if (lossy)
        *lossy = lost;
    return bytes;
}

} // namespace textfile
