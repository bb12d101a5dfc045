#pragma once
// Fonts named as on Windows (the ones the twips layouts were measured in, and stored
// text-box fonts) mapped to installed ones, and the font dialog of the text box.

#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace ui {

// "Fixedsys" and "Courier New" become a fixed-width font (Liberation Mono, else
// DejaVu Sans Mono), "MS Sans Serif" and "Arial" Liberation Sans; any other name
// is kept.
QString installedFamily(const QString &windowsName);

// A font of the mapped family at a size in points (fractions kept, as 14.25).
QFont installedFont(const QString &windowsName, double pointSize, bool bold = false,
                    bool italic = false);

// The font every window was laid out in, and the size its captions and buttons
// have: the windows' twips positions fit captions in it.
inline constexpr double kLayoutPointSize = 8.25;
QFont layoutFont(double pointSize = kLayoutPointSize, bool bold = false);

// A caption too wide for its place gets a smaller font in these steps, down to
// the smallest size (installed fonts are wider than the ones the layouts were
// measured in).
inline constexpr double kCaptionPointStep = 0.25;
inline constexpr double kSmallestCaptionPointSize = 6;

// Lets a label, option button or check box show its whole caption: one wider than
// its laid-out width grows to the right, up to `right` (exclusive, in its parent's
// coordinates), and where that is not enough gets a smaller font. The twips
// geometry stays as designed for every caption that fits.
void fitCaption(QWidget &control, int right);

// fitCaption for every label, option button and check box of window, each allowed
// to grow up to its container's inner edge or the nearest control beside it on the
// right.
void fitCaptions(QWidget &window);

// The fixed-width font of the character lists.
QFont fixedFont(double pointSize, bool bold = false);

// Qt's own font dialog (not the platform's), opened at initial, without its effects
// group: a text box font is a family, a style and a size, so strike-out and underline
// are not offered. The chosen font, or nothing when the dialog was cancelled.
std::optional<QFont> chooseFont(const QFont &initial, QWidget *parent);

} // namespace ui
