#include "exercises/Callsigns.h"

#include "engine/MorseTable.h"

#include <QSet>

#include <algorithm>
#include <array>

namespace calls {

namespace {

constexpr std::array<Prefix, 5> kDanish = {{
    {u"OZ", 10}, {u"OU", 2}, {u"OV", 1}, {u"5P", 1}, {u"5Q", 1},
}};

// Prefixes heard often on the bands, weighted roughly by how often.
constexpr std::array<Prefix, 48> kForeign = {{
    {u"DL", 10}, {u"DK", 3}, {u"DJ", 2}, {u"G", 5}, {u"M", 3}, {u"2E", 1},
    {u"GM", 1}, {u"GW", 1}, {u"EI", 1}, {u"F", 5}, {u"I", 5}, {u"IK", 2},
    {u"EA", 5}, {u"CT", 2}, {u"PA", 4}, {u"ON", 3}, {u"SM", 5}, {u"SA", 1},
    {u"LA", 3}, {u"OH", 3}, {u"TF", 1}, {u"OK", 3}, {u"OM", 2}, {u"SP", 5},
    {u"SQ", 2}, {u"HA", 2}, {u"OE", 2}, {u"HB", 3}, {u"YU", 2}, {u"9A", 2},
    {u"S5", 2}, {u"LZ", 2}, {u"YO", 2}, {u"SV", 1}, {u"UA", 5}, {u"UR", 3},
    {u"LY", 1}, {u"YL", 1}, {u"ES", 1}, {u"4X", 1}, {u"K", 6}, {u"W", 6},
    {u"N", 4}, {u"VE", 3}, {u"JA", 5}, {u"VK", 2}, {u"ZL", 1}, {u"PY", 2},
}};

bool isLetter(QChar c) { return c >= u'A' && c <= u'Z'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// A weighted draw from a group of prefixes.
QStringView drawPrefix(std::span<const Prefix> group, double r)
{
    int total = 0;
    for (const Prefix &p : group)
        total += p.weight;
    double left = r * total;
    for (const Prefix &p : group) {
        if (left < p.weight)
            return p.text;
        left -= p.weight;
    }
    return group.back().text;
}

QChar drawFrom(QStringView set, double r)
{
    return set[practice::drawPosition(r, set.size())];
}

constexpr QStringView kLetters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr QStringView kDigits = u"0123456789";

// The part of a call that carries prefix, digit and suffix: the longest part
// between slashes ("OZ1ABC" in "DL/OZ1ABC/P").
QStringView mainPart(QStringView call)
{
    QStringView best;
    for (QStringView part : call.split(u'/')) {
        if (part.size() > best.size())
            best = part;
    }
    return best;
}

} // namespace

std::span<const Prefix> danishPrefixes() { return kDanish; }
std::span<const Prefix> foreignPrefixes() { return kForeign; }

QString generateCall(const practice::Uniform &random)
{
    const bool danish = random() < kDanishShare;
    QString call = drawPrefix(danish ? std::span<const Prefix>(kDanish)
                                     : std::span<const Prefix>(kForeign),
                              random())
                       .toString();
    call += drawFrom(kDigits, random());
    // One letter after the digit is rare (special calls), three the most common.
    const double r = random();
    const int letters = r < 0.1 ? 1 : r < 0.45 ? 2 : 3;
    for (int i = 0; i < letters; ++i)
        call += drawFrom(kLetters, random());

    const double form = random();
    if (form < kPortableShare)
        call += u"/P";
    else if (form < kPortableShare + kMobileShare)
        call += u"/M";
    else if (form < kPortableShare + kMobileShare + kVisitorShare)
        call = drawPrefix(danish ? std::span<const Prefix>(kForeign)
                                 : std::span<const Prefix>(kDanish),
                          random())
                   .toString() +
               u'/' + call;
    return call;
}

bool splitCall(QStringView call, CallParts &parts)
{
    const QStringView main = mainPart(call);
    qsizetype end = main.size();
    while (end > 0 && isLetter(main[end - 1]))
        --end;
    const qsizetype suffixLength = main.size() - end;
    if (suffixLength < 1 || suffixLength > 4 || end < 2 || !isDigit(main[end - 1]))
        return false;
    const QStringView prefix = main.left(end - 1);
    if (prefix.size() > 3 || !std::any_of(prefix.begin(), prefix.end(), isLetter))
        return false;
    if (!std::all_of(prefix.begin(), prefix.end(), [](QChar c) { return isLetter(c) || isDigit(c); }))
        return false;
    parts = {prefix.toString(), main[end - 1], main.mid(end).toString()};
    return true;
}

bool isValidCall(QStringView call)
{
    if (call.isEmpty() || call.size() > kLongestCall)
        return false;
    for (QStringView part : call.split(u'/')) {
        if (part.isEmpty())
            return false;
        for (QChar c : part) {
            if (!isLetter(c) && !isDigit(c))
                return false;
        }
    }
    CallParts parts;
    return splitCall(call, parts);
}

bool isSendableWord(QStringView word)
{
    if (word.isEmpty())
        return false;
    for (QChar c : word) {
        if (c == u' ' || morse::lookupPattern(QStringView(&c, 1)).empty())
            return false;
    }
    return true;
}

ImportResult importList(QStringView text, const std::function<bool(QStringView)> &valid)
{
    ImportResult result;
    QSet<QString> seen;
    int number = 0;
    for (QStringView line : text.split(u'\n')) {
        ++number;
        const qsizetype comment = line.indexOf(u'#');
        if (comment >= 0)
            line = line.left(comment);
        const QString entry = line.trimmed().toString().toUpper();
        if (entry.isEmpty())
            continue;
        if (!valid(entry)) {
            result.badLines.push_back(number);
            continue;
        }
        if (seen.contains(entry)) {
            ++result.duplicates;
            continue;
        }
        seen.insert(entry);
        result.entries.append(entry);
    }
    return result;
}

} // namespace calls
