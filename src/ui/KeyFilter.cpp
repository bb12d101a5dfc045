#include "ui/KeyFilter.h"

#include "engine/Cp1252.h"

#include <QCoreApplication>
#include <QKeyEvent>
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

} // namespace

QChar filterCharacter(QChar c, const QString &accepted, bool upperCase)
{
    const QChar typed = upperCase ? cp1252::upper(c) : c;
    if (isAcceptedControl(typed) || (typed.unicode() >= 32 && accepted.contains(typed)))
        return typed;
    return QChar();
}

bool isTypedCharacter(QChar c)
{
    return c.unicode() != 127 && !c.isNull();
}

KeyFilter::KeyFilter(QString accepted, bool upperCase, QObject *parent)
    : QObject(parent), m_accepted(std::move(accepted)), m_upperCase(upperCase)
{
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    if (text.size() != 1 || !isTypedCharacter(text[0]))
        return false;
    // Escape and Tab belong to the window (cancel button, focus), not to the box.
    if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    const QChar typed = filterCharacter(text[0], m_accepted, m_upperCase);
    if (typed.isNull())
        return true;
    if (typed == text[0])
        return false;
    // Deliver the upper-cased character in place of the typed one.
    QKeyEvent replaced(QEvent::KeyPress, key->key(), key->modifiers(), QString(typed),
                       key->isAutoRepeat(), ushort(key->count()));
    watched->removeEventFilter(this);
    QCoreApplication::sendEvent(watched, &replaced);
    watched->installEventFilter(this);
    return true;
}

void installKeyFilter(QWidget *edit, const QString &accepted, bool upperCase)
{
    edit->installEventFilter(new KeyFilter(accepted, upperCase, edit));
}

} // namespace ui
