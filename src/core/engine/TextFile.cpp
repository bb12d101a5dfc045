#include "engine/TextFile.h"

#include "engine/Cp1252.h"

#include <QStringView>

#include <algorithm>

namespace textfile {

QString textFromBytes(const QByteArray &bytes)
{
    const QString decoded = cp1252::decode(bytes);
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

QByteArray bytesFromText(const QString &text, bool *lossy)
{
    return cp1252::encode(text + QLatin1String("\r\n"), lossy);
}

} // namespace textfile
