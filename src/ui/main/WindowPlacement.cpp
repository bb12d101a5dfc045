#include "main/WindowPlacement.h"

#include <algorithm>

namespace ui {

QRect placeOnScreen(const QRect &frame, const QList<QRect> &available, const QRect &primary)
{
    const QRect strip(frame.left(), frame.top(), frame.width(), std::min(kTitleStrip, frame.height()));
    for (const QRect &area : available) {
        const QRect seen = strip.intersected(area);
        if (seen.width() >= std::min(kMinVisible, frame.width()) && seen.height() >= strip.height())
            return frame;
    }
    if (primary.isEmpty())
        return frame;
    return QRect(primary.topLeft(),
                 QSize(std::min(frame.width(), primary.width()), std::min(frame.height(), primary.height())));
}

} // namespace ui
