#include "engine/SendText.h"

#include "engine/Cp1252.h"
#include "engine/MorseTable.h"

#include <QSet>

namespace morse {

QString sendText(const QString &typed)
{
    return cp1252::upper(typed) + u' ';
}

SendCheck checkSendText(QStringView text)
{
    SendCheck check;
    QSet<QString> seen;
    qsizetype pos = 0;
    while (pos < text.size()) {
        // As the symbol source reads it: "<" takes the next two characters as a
        // prosign's letters, and the one after them goes with it.
        const bool prosign = text[pos] == u'<';
        const QStringView token = prosign ? text.mid(pos + 1, 2) : text.mid(pos, 1);
        const bool pair = !prosign && text[pos].isHighSurrogate() && pos + 1 < text.size()
                          && text[pos + 1].isLowSurrogate();
        const qsizetype length = prosign ? 4 : pair ? 2 : 1;
        if (!lookupPattern(token).empty()) {
            check.anySound = check.anySound || token != u" ";
        } else if (prosign || (token != u"\r" && token != u"\n" && token != u"\t")) {
            const QString what = text.mid(pos, length).toString();
            if (!seen.contains(what)) {
                seen.insert(what);
                check.unsendable.append(what);
            }
        }
        pos += length;
    }
    return check;
}

} // namespace morse
