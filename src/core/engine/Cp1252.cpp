#include "engine/Cp1252.h"

#include <array>

namespace cp1252 {
namespace {

// Code points of bytes 0x80..0x9F; the undefined ones map to themselves.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte for c, or -1 when Windows-1252 has none.
int byteFor(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < int(kHigh.size()); ++i) {
        if (kHigh[size_t(i)] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QString decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray encode(const QString &text, bool *lossy)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bool lost = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = byteFor(text[i].unicode());
        if (b < 0)
            lost = true;
        bytes[i] = static_cast<char>(b < 0 ? '?' : b);
    }
    if (lossy)
        *lossy = lost;
    return bytes;
}

bool canEncode(QChar c)
{
    return byteFor(c.unicode()) >= 0;
}

QChar upper(QChar c)
{
    if (c.unicode() < 0x80)
        return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 0x20) : c;
    if (!canEncode(c))
        return c;
    const QChar u = c.toUpper();
    return canEncode(u) ? u : c;
}

QString upper(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = upper(c);
    return result;
}

} // namespace cp1252
