#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace ui {
namespace {
constexpr double kTwipsPerInch = 1440;
constexpr double kFallbackDpi = 96;
}

double logicalDpi(const QWidget *reference)
{
    const QScreen *screen = reference ? reference->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : kFallbackDpi;
}

int twipsToPixels(double twips, const QWidget *reference)
{
    return int(std::lround(twips * logicalDpi(reference) / kTwipsPerInch));
}

double pixelsToTwips(int pixels, const QWidget *reference)
{
    return pixels * kTwipsPerInch / logicalDpi(reference);
}

QRect twipsRect(double left, double top, double width, double height, const QWidget *reference)
{
    return QRect(twipsToPixels(left, reference), twipsToPixels(top, reference),
                 twipsToPixels(width, reference), twipsToPixels(height, reference));
}

} // namespace ui
