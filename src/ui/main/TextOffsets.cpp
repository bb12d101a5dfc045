#include "main/TextOffsets.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

// The character format property naming what a line separator stands for.
constexpr int kStandsFor = QTextFormat::UserProperty + 1;

// Characters QTextCursor::insertText would turn into a block break, and U+2028
// itself (so a line separator of the document always carries the meaning above).
bool needsStandIn(QChar c)
{
    switch (c.unicode()) {
    case u'\n': case u'\r': case 0x2028: case 0x2029: case 0xFDD0: case 0xFDD1:
        return true;
    default:
        return false;
    }
}

QString standIn(const QTextCharFormat &format)
{
    const QString s = format.stringProperty(kStandsFor);
    return s.size() == 1 ? s : QStringLiteral("\n");
}

} // namespace

QString TextOffsets::text() const
{
    const QString raw = m_document.toRawText();
    if (!raw.contains(QChar::LineSeparator)) {
        QString out = raw;
        return out.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    }
    QString out;
    out.reserve(raw.size() + m_document.blockCount());
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        if (block.position() > 0)
            out += QLatin1String("\r\n");
        const QString line = block.text();
        if (!line.contains(QChar::LineSeparator)) {
            out += line;
            continue;
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QString part = fragment.text();
            if (part.contains(QChar::LineSeparator))
                part.replace(QChar::LineSeparator, standIn(fragment.charFormat()));
            out += part;
        }
    }
    return out;
}

QString TextOffsets::text(int fromPosition, int toPosition) const
{
    const qsizetype from = toOffset(std::min(fromPosition, toPosition));
    const qsizetype to = toOffset(std::max(fromPosition, toPosition));
    return text().mid(from, to - from);
}

qsizetype TextOffsets::length() const
{
    // Every block but the last ends in a break counted twice; the document's
    // character count includes one final break that is no character of the text.
    return qsizetype(m_document.characterCount() - 1) + (m_document.blockCount() - 1);
}

void TextOffsets::setText(const QString &text)
{
    QTextCursor cursor(&m_document);
    cursor.select(QTextCursor::Document);
    insert(cursor, text);
}

void TextOffsets::insert(QTextCursor &cursor, const QString &text) const
{
    QTextCharFormat plain = cursor.charFormat();
    plain.clearProperty(kStandsFor);
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    QString run;
    run.reserve(text.size());
    const auto flush = [&] {
        if (!run.isEmpty())
            cursor.insertText(run, plain);
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            run += QChar(QChar::ParagraphSeparator);
            ++i;
        } else if (needsStandIn(c)) {
            flush();
            QTextCharFormat format = plain;
            if (c != u'\n')
                format.setProperty(kStandsFor, QString(c));
            cursor.insertText(QString(QChar(QChar::LineSeparator)), format);
        } else {
            run += c;
        }
    }
    flush();
    cursor.endEditBlock();
}

qsizetype TextOffsets::toOffset(int position) const
{
    const int last = m_document.characterCount() - 1;
    const int p = std::clamp(position, 0, last);
    return qsizetype(p) + m_document.findBlock(p).blockNumber();
}

int TextOffsets::toPosition(qsizetype offset) const
{
    if (offset <= 0)
        return 0;
    if (offset >= length())
        return m_document.characterCount() - 1;
    // The text offset where block k starts is its document position plus k (one
    // extra character per earlier break). Find the last block starting at or
    // before offset.
    const auto startOf = [this](int k) {
        return qsizetype(m_document.findBlockByNumber(k).position()) + k;
    };
    int lo = 0;
    int hi = m_document.blockCount() - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (startOf(mid) <= offset)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = m_document.findBlockByNumber(lo);
    const qsizetype inBlock = std::min<qsizetype>(offset - startOf(lo), block.length() - 1);
    return block.position() + int(inBlock);
}
