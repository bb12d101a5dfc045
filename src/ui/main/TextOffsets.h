#pragma once
// The text box's characters as the program counts them (CR LF is two characters,
// offsets in UTF-16 units) laid onto a QTextDocument, which knows one kind of line
// break only.
//
// Invariant of the document: a CR LF pair is a block break; every other character
// the document would turn into a break (a lone LF or CR, U+2028, U+2029, the frame
// marks U+FDD0/U+FDD1) is a line separator U+2028 inside a block, whose character
// format names the character it stands for (no name: LF). So each document position
// is one character of the text except a block break, which is two.

#include <QString>

class QTextCursor;
class QTextDocument;

class TextOffsets {
public:
    explicit TextOffsets(QTextDocument &document) : m_document(document) {}

    // The whole text, and the text between two document positions.
    QString text() const;
    QString text(int fromPosition, int toPosition) const;
    qsizetype length() const;

    // Replaces the document's content, or the cursor's selection, with text; the
    // cursor ends after the inserted text.
    void setText(const QString &text);
    void insert(QTextCursor &cursor, const QString &text) const;

    // A document position as an offset into text(), and back. An offset past the end
    // gives the end, a negative one the start, and one between the CR and the LF of
    // a pair the position before the break.
    qsizetype toOffset(int position) const;
    int toPosition(qsizetype offset) const;

private:
    QTextDocument &m_document;
};
