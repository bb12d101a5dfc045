#include "KeyFilter.h"

#include "engine/Cp1252.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QWidget>

namespace ui {
namespace {

// Backspace, carriage return, line feed, Ctrl+C, Ctrl+V, Ctrl+X.
bool isAcceptedControl(QChar c)
{
    switch (c.unicode()) {
    case 8: case 13: case 10: case 3: case 22: case 24:
        return true;
    default:
        return false;
    }
}

// The attributes of an input-method event that point into its preedit text, and so
// go with it.
bool refersToPreedit(const QInputMethodEvent::Attribute &a)
{
    return a.type == QInputMethodEvent::TextFormat || a.type == QInputMethodEvent::Cursor
        || a.type == QInputMethodEvent::Ruby;
}

} // namespace

QString filterText(const QString &text, const QString &accepted, bool upperCase, bool controls)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        // Both halves of a surrogate pair go: the pair is no character of the sets, and
        // half of one is no character at all.
        if (c.isSurrogate())
            continue;
        const QChar typed = upperCase ? cp1252::upper(c) : c;
        if (typed.unicode() < 32 ? controls && isAcceptedControl(typed) : accepted.contains(typed))
            kept += typed;
    }
    return kept;
}

KeyFilter::KeyFilter(QString accepted, bool upperCase, QObject *parent)
    : QObject(parent), m_accepted(std::move(accepted)), m_upperCase(upperCase)
{
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return filterKeyPress(watched, *static_cast<QKeyEvent *>(event));
    case QEvent::InputMethod:
        return filterInputMethod(watched, *static_cast<QInputMethodEvent *>(event));
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool KeyFilter::filterKeyPress(QObject *watched, const QKeyEvent &key)
{
    const QString text = key.text();
    // No character (arrows, Home...), NUL, or Delete (127), which only edits.
    if (text.isEmpty() || text == QChar(0) || text == QChar(127))
        return false;
    // Undo and redo are commands of a box that keeps an undo history, not characters.
    if (key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo)) {
        const auto *edit = qobject_cast<const QPlainTextEdit *>(watched);
        if (edit && edit->isUndoRedoEnabled())
            return false;
    }
    // Escape and Tab belong to the window (cancel button, focus), not to the box.
    if (key.key() == Qt::Key_Escape || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return false;
    const QString typed = filterText(text, m_accepted, m_upperCase, true);
    if (typed.isEmpty())
        return true;
    if (typed == text)
        return false;
    // Deliver the upper-cased character in place of the typed one.
    QKeyEvent replaced(QEvent::KeyPress, key.key(), key.modifiers(), typed, key.isAutoRepeat(),
                       ushort(key.count()));
    deliver(watched, replaced);
    return true;
}

bool KeyFilter::filterInputMethod(QObject *watched, const QInputMethodEvent &input)
{
    const QString commit = filterText(input.commitString(), m_accepted, m_upperCase, false);
    // The text being composed shows upper-cased as it will be committed; text that would
    // lose characters is not shown at all, as the box would not take it.
    QString preedit = filterText(input.preeditString(), m_accepted, m_upperCase, false);
    QList<QInputMethodEvent::Attribute> attributes = input.attributes();
    if (preedit.size() != input.preeditString().size()) {
        preedit.clear();
        attributes.removeIf(refersToPreedit);
    }
    if (commit == input.commitString() && preedit == input.preeditString())
        return false;
    QInputMethodEvent replaced(preedit, attributes);
    // A commit that replaces text already there (a correction) and is discarded as a whole
    // leaves that text as it was.
    if (commit.isEmpty() && !input.commitString().isEmpty())
        replaced.setCommitString(QString());
    else
        replaced.setCommitString(commit, input.replacementStart(), input.replacementLength());
    deliver(watched, replaced);
    return true;
}

void KeyFilter::deliver(QObject *watched, QEvent &event)
{
    watched->removeEventFilter(this);
    QCoreApplication::sendEvent(watched, &event);
    watched->installEventFilter(this);
}

void installKeyFilter(QWidget *edit, const QString &accepted, bool upperCase)
{
    edit->installEventFilter(new KeyFilter(accepted, upperCase, edit));
}

} // namespace ui
