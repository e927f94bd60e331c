#pragma once

#include <QRect>

// A window's geometry made to lie within a screen's available area: shrunk
// to the area's size where it is larger, then moved in where it overhangs.
// A window that already fits keeps its place and size.
QRect FitToArea(const QRect& window, const QRect& available);
