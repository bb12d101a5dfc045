#include "engine/SendText.h"

#include "engine/Cp1252.h"
#include "engine/MorseTable.h"

#include <QSet>

#include <vector>

namespace morse {

QString sendText(const QString &typed)
{
    return cp1252::upper(typed) + u' ';
}

SendCheck checkSendText(QStringView text)
{
    enum : char { kUnknown, kSounds, kSilent, kNamed };
    // What each UTF-16 unit is, looked up in the table once: a text of 16 MiB
    // holds few distinct characters.
    std::vector<char> single(0x10000, kUnknown);
    QSet<QString> named;    // prosigns and surrogate pairs already in the list
    SendCheck check;
    const auto name = [&](QStringView what) {
        QString shown = what.toString();
        if (!named.contains(shown)) {
            named.insert(shown);
            check.unsendable.append(std::move(shown));
        }
    };
    qsizetype pos = 0;
    while (pos < text.size()) {
        // As the symbol source reads it: "<" takes the next two characters as a
        // prosign's letters, and the one after them goes with it.
        if (text[pos] == u'<') {
            const QStringView letters = text.mid(pos + 1, 2);
            if (!lookupPattern(letters).empty()) {
                check.anySound = true;
            } else {
                name(text.mid(pos, 4));
            }
            pos += 4;
            continue;
        }
        const char16_t unit = text[pos].unicode();
        // A character beyond 16 bits has no Morse code; it is named whole.
        if (text[pos].isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate()) {
            name(text.mid(pos, 2));
            pos += 2;
            continue;
        }
        char &kind = single[unit];
        if (kind == kUnknown) {
            const QStringView c = text.mid(pos, 1);
            kind = !lookupPattern(c).empty() ? (c == u" " ? kSilent : kSounds)
                   : (c == u"\r" || c == u"\n" || c == u"\t") ? kSilent
                                                               : kNamed;
            if (kind == kNamed)
                check.unsendable.append(c.toString());
        }
        check.anySound = check.anySound || kind == kSounds;
        ++pos;
    }
    return check;
}

} // namespace morse
