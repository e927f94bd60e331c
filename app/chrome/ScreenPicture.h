#pragma once

#include <QPixmap>

// The picture as a screen of the given device pixel ratio shows it: smoothly
// resized to that screen's pixels and marked with the ratio, so painters
// place it at its own logical size without a blocky stretch. At a ratio of 1
// the picture is returned untouched, every pixel as drawn.
QPixmap ScreenPicture(const QPixmap& picture, qreal devicePixelRatio);

// The size a picture covers in the window's (logical) pixels.
QSize LogicalSize(const QPixmap& picture);
