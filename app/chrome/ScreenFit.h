#pragma once

#include <QMargins>
#include <QRect>

// A window's geometry (its frame's position, its client area's size) made
// to lie within a screen's available area with its frame: shrunk to the
// area's size where it is larger, then moved in where it overhangs. A
// window that already fits keeps its place and size.
QRect FitToArea(const QRect& window, const QRect& available, const QMargins& frame = QMargins());

// More than the title bar and borders of the common window managers add
// around a window, in its own pixels. A window manager tells its frame only
// once the window is mapped, and on X11 a window placed after it is made
// but before it is mapped loses its frame position, so the window is fitted
// with this before it is made.
inline constexpr QMargins LikelyFrameMargins(8, 40, 8, 8);
