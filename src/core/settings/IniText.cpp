#include "settings/IniText.h"

#include "engine/Cp1252.h"

#include <QStringDecoder>

#include <cctype>
#include <optional>

namespace settings::ini {

// Text of a line: UTF-8 when it is valid UTF-8, else Windows-1252.
QString decodeLine(const QByteArray &bytes, bool *utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    *utf8 = !decoder.hasError();
    return *utf8 ? text : cp1252::decode(bytes);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

// The escapes of the quoted form: \a \b \f \n \r \t \v \" \' \\ \? \xHEX \OCTAL.
// nullopt when text holds a backslash that starts none of them.
namespace {

std::optional<QString> unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        const char16_t e = text[i].unicode();
        static const QString simple = QStringLiteral("abfnrtv\"'\\?");
        static const QString meaning = QStringLiteral("\a\b\f\n\r\t\v\"'\\?");
        const qsizetype at = simple.indexOf(QChar(e));
        if (at >= 0) {
            out += meaning[at];
            continue;
        }
        const bool hex = e == u'x';
        if (!hex && !(e >= u'0' && e <= u'7'))
            return std::nullopt;
        const int base = hex ? 16 : 8;
        qsizetype j = hex ? i + 1 : i;
        char32_t code = 0;
        qsizetype digits = 0;
        for (; j < text.size(); ++j, ++digits) {
            const char16_t t = text[j].unicode();
            int d = -1;
            if (t >= u'0' && t <= u'9')
                d = int(t - u'0');
            else if (hex && t >= u'a' && t <= u'f')
                d = int(t - u'a') + 10;
            else if (hex && t >= u'A' && t <= u'F')
                d = int(t - u'A') + 10;
            if (d < 0 || d >= base)
                break;
            code = code * char32_t(base) + char32_t(d);
            if (code > 0x10FFFF)
                return std::nullopt;
        }
        if (digits == 0)
            return std::nullopt;
        out += QString::fromUcs4(&code, 1);
        i = j - 1;
    }
    return out;
}

} // namespace

// A value as written after "=": the quoted, escaped form this store writes comes
// back as the text it was made from; any other value as it stands.
QString valueFromText(const QString &raw)
{
    QString text = raw;
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2);
    // An unescaped quote inside: a hand-written value, not the written form.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\')
            ++i;
        else if (text[i] == u'"')
            return raw;
    }
    if (text.startsWith(u'@') && !text.startsWith(QLatin1String("@@")))
        return raw;
    std::optional<QString> plain = text.contains(u'\\') ? unescape(text) : std::optional<QString>(text);
    if (!plain)
        return raw;
    if (plain->startsWith(QLatin1String("@@")))
        plain->remove(0, 1);
    return *plain;
}

// The written form of a text, which valueFromText reads back exactly and other
// INI readers read the same: escapes for control characters, quotes and
// backslashes; quotes around a text with ; , = or blanks at its ends; "@@" for a
// leading "@".
QByteArray textToValue(const QString &text)
{
    const QString s = text.startsWith(u'@') ? u'@' + text : text;
    QByteArray out;
    bool needsQuotes = !s.isEmpty() && (isBlank(s.front()) || isBlank(s.back()));
    bool escapeHexDigit = false;   // after \x.. or \0 a hex digit would join the escape
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c == u';' || c == u',' || c == u'=')
            needsQuotes = true;
        if (escapeHexDigit && c < 0x80 && std::isxdigit(int(c))) {
            out += "\\x" + QByteArray::number(int(c), 16);
            continue;
        }
        escapeHexDigit = false;
        switch (c) {
        case u'\0': out += "\\0"; escapeHexDigit = true; break;
        case u'\a': out += "\\a"; break;
        case u'\b': out += "\\b"; break;
        case u'\f': out += "\\f"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        case u'\v': out += "\\v"; break;
        case u'"':
        case u'\\':
            out += '\\';
            out += char(c);
            break;
        default:
            if (c < 0x20) {
                out += "\\x" + QByteArray::number(int(c), 16);
                escapeHexDigit = true;
            } else if (QChar::isHighSurrogate(c) && i + 1 < s.size()) {
                out += s.mid(i, 2).toUtf8();
                ++i;
            } else {
                out += QString(QChar(c)).toUtf8();
            }
        }
    }
    return needsQuotes ? '"' + out + '"' : out;
}

} // namespace settings::ini
