#pragma once
// The Windows fonts the windows were designed with, mapped to installed ones.

#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace ui {

// "Fixedsys" and "Courier New" become a fixed-width font (Liberation Mono, else
// DejaVu Sans Mono), "MS Sans Serif" and "Arial" Liberation Sans; any other name
// is kept.
QString installedFamily(const QString &designName);

// A font of the mapped family at a size in points (fractions kept, as 14.25).
QFont designFont(const QString &designName, double pointSize, bool bold = false,
                 bool italic = false);

// Qt's own font dialog (not the platform's), opened at initial, without its effects
// group: a text box font is a family, a style and a size, so strike-out and underline
// are not offered. The chosen font, or nothing when the dialog was cancelled.
std::optional<QFont> chooseFont(const QFont &initial, QWidget *parent);

} // namespace ui
