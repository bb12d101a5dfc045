#pragma once
// Twips (1/1440 inch) to pixels and back, at a screen's logical dpi (15 twips per
// pixel at 96 dpi): the unit every window's layout is given in.

#include <QRect>

class QWidget;

namespace ui {

// The logical dpi of the reference widget's screen, or the primary screen's.
double logicalDpi(const QWidget *reference = nullptr);

int twipsToPixels(double twips, const QWidget *reference = nullptr);
double pixelsToTwips(int pixels, const QWidget *reference = nullptr);

// A width and height in twips: a window's client area.
struct TwipsSize {
    double width = 0;
    double height = 0;
};

// A rectangle given as left, top, width and height in twips.
QRect twipsRect(double left, double top, double width, double height,
                const QWidget *reference = nullptr);

} // namespace ui
