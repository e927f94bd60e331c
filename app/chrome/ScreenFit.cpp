#include "ScreenFit.h"

#include <algorithm>

QRect FitToArea(const QRect& window, const QRect& available, const QMargins& frame)
{
    if (available.isEmpty())
        return window;
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    QRect fitted(window.topLeft(), (window.size() + frameSize).boundedTo(available.size()));
    fitted.moveRight(std::min(fitted.right(), available.right()));
    fitted.moveBottom(std::min(fitted.bottom(), available.bottom()));
    fitted.moveLeft(std::max(fitted.left(), available.left()));
    fitted.moveTop(std::max(fitted.top(), available.top()));
    fitted.setSize((fitted.size() - frameSize).expandedTo(QSize(0, 0)));
    return fitted;
}
