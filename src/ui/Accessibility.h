#pragma once
// What a screen reader is told beyond the controls' names: a state change or a result
// said once, when it happens.

#include <QString>

class QWidget;

namespace ui {

// Makes text the accessible description of source and tells assistive technology
// at once, as an alert from source (Qt 6.4 has no announcement event of its own;
// an alert's description is what screen readers read out).
void announce(QWidget &source, const QString &text);

} // namespace ui
