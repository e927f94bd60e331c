#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// A window's geometry (its frame's position, its client area's size) made
// to lie within a screen's available area with its frame: shrunk to the
// area's size where it is larger, then moved in where it overhangs. A
// window that already fits keeps its place and size.
QRect FitToArea(const QRect& window, const QRect& available, const QMargins& frame = QMargins());

// The frame around a top-level window before it is shown: the platform's
// answer once the window has been created, else a generous guess, since a
// window manager that draws the frame tells its size only after mapping.
QMargins ExpectedFrameMargins(const QWidget& window);
