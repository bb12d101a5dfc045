#pragma once
// Keeps a restored window where the user can reach it.

#include <QList>
#include <QRect>

namespace ui {

// frame unchanged when its title strip (the top kTitleStrip pixels, at least
// kMinVisible pixels of it wide) lies on one of the screens' available areas;
// otherwise frame moved to the primary area's top-left corner, and shrunk to fit
// it when larger. Pixels throughout.
QRect placeOnScreen(const QRect &frame, const QList<QRect> &available, const QRect &primary);

constexpr int kTitleStrip = 20;     // pixels: where a window is grabbed to move it
constexpr int kMinVisible = 40;     // pixels of the title strip that must show

} // namespace ui
