#include "main/TextBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

#include <algorithm>

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent), m_offsets(*document())
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    // The selection that follows the sending stays as visible as when focused.
    QPalette p = palette();
    p.setBrush(QPalette::Inactive, QPalette::Highlight, p.brush(QPalette::Active, QPalette::Highlight));
    p.setBrush(QPalette::Inactive, QPalette::HighlightedText,
               p.brush(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void TextBox::setText(const QString &text, Undo undo)
{
    if (text != Text()) {
        QTextCursor edit(document());
        if (undo == Undo::JoinPrevious)
            edit.joinPreviousEditBlock();
        else
            edit.beginEditBlock();
        edit.select(QTextCursor::Document);
        m_offsets.insert(edit, text);
        edit.endEditBlock();
    }
    QTextCursor c = textCursor();
    c.movePosition(QTextCursor::Start);
    setTextCursor(c);
}

qsizetype TextBox::SelStart() const
{
    return m_offsets.toOffset(textCursor().selectionStart());
}

qsizetype TextBox::SelLength() const
{
    const QTextCursor c = textCursor();
    return m_offsets.toOffset(c.selectionEnd()) - m_offsets.toOffset(c.selectionStart());
}

void TextBox::setSelStart(qsizetype start)
{
    QTextCursor c = textCursor();
    c.setPosition(m_offsets.toPosition(start));
    setTextCursor(c);
}

void TextBox::setSelLength(qsizetype length)
{
    select(SelStart(), length);
}

void TextBox::select(qsizetype start, qsizetype length)
{
    const qsizetype s = std::clamp<qsizetype>(start, 0, m_offsets.length());
    QTextCursor c = textCursor();
    c.setPosition(m_offsets.toPosition(s));
    c.setPosition(m_offsets.toPosition(s + std::max<qsizetype>(length, 0)), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly()) {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter) {
            typeText(event->modifiers() & Qt::ControlModifier ? QStringLiteral("\n")
                                                               : QStringLiteral("\r\n"));
            event->accept();
            return;
        }
        // Ctrl+M and Ctrl+J type CR and LF, as Enter and Ctrl+Enter do.
        if (event->text() == QLatin1String("\r") || event->text() == QLatin1String("\n")) {
            typeText(event->text() == QLatin1String("\r") ? QStringLiteral("\r\n") : QStringLiteral("\n"));
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::typeText(const QString &text)
{
    QTextCursor c = textCursor();
    m_offsets.insert(c, text);
    setTextCursor(c);
    ensureCursorVisible();
}

QMimeData *TextBox::createMimeDataFromSelection() const
{
    auto *mime = new QMimeData;
    const QTextCursor c = textCursor();
    mime->setText(m_offsets.text(c.selectionStart(), c.selectionEnd()));
    return mime;
}

void TextBox::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source || !source->hasText())
        return;
    typeText(source->text());
}
