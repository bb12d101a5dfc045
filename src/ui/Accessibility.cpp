#include "Accessibility.h"

#include <QAccessible>
#include <QWidget>

namespace ui {

void announce(QWidget &source, const QString &text)
{
    source.setAccessibleDescription(text);      // tells of the change itself
    QAccessibleEvent alert(&source, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace ui
