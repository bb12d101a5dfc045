#pragma once
// The main window's text box Text1: a plain-text editor whose Text, SelStart and
// SelLength count characters as the program does (CR LF = 2), where Enter types
// CR LF and Ctrl+Enter a lone LF, and copy and paste carry the exact characters.

#include "main/TextOffsets.h"

#include <QPlainTextEdit>

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);

    QString Text() const { return m_offsets.text(); }
    // Replaces the whole text as one undo step (Ctrl+Z brings the old text back), or
    // as part of the previous step with JoinPrevious; the same text again is no edit.
    // The caret goes to the start.
    enum class Undo { Step, JoinPrevious };
    void setText(const QString &text, Undo undo = Undo::Step);
    qsizetype textLength() const { return m_offsets.length(); }

    // The selection as offsets into Text(): SelStart is its lower end.
    qsizetype SelStart() const;
    qsizetype SelLength() const;
    // Moves the caret (no selection); past the end means the end.
    void setSelStart(qsizetype start);
    // Selects length characters from SelStart; a selection asked to reach past the
    // end ends at the end.
    void setSelLength(qsizetype length);
    void select(qsizetype start, qsizetype length);

    const TextOffsets &offsets() const { return m_offsets; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void typeText(const QString &text);

    TextOffsets m_offsets;
};
