#include "WindowPlacement.h"

#include <algorithm>

namespace {

// The strip along the frame's top that a mouse can drag the window by.
constexpr int titleBarHeight = 20;
// How much of it has to be on a screen, so that it can still be found.
constexpr int graspWidth = 60;
constexpr int graspHeight = 10;

bool canBeGrasped(const QRect& window, const QRect& screen)
{
    const QRect titleBar(window.topLeft(), QSize(window.width(), titleBarHeight));
    const QRect onScreen = titleBar.intersected(screen);
    return onScreen.width() >= std::min(graspWidth, window.width()) &&
           onScreen.height() >= graspHeight;
}

} // namespace

QRect PlaceOnScreens(const QRect& saved, const QList<QRect>& screens, const QPoint& fallback,
                     const QMargins& frame)
{
    const auto find = [&screens](auto predicate) {
        return std::find_if(screens.begin(), screens.end(), predicate);
    };
    QRect placed = saved;
    auto screen = find([&](const QRect& area) { return canBeGrasped(saved, area); });
    if (screen == screens.end()) {
        placed.moveTopLeft(fallback);
        screen = find([&](const QRect& area) { return area.contains(fallback); });
    }
    // The first screen is the primary one, where a window lands by default.
    if (screen == screens.end())
        screen = screens.begin();
    if (screen != screens.end())
        placed.setSize(placed.size().boundedTo(screen->size().shrunkBy(frame)));
    return placed;
}
