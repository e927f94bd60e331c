#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>

// Where a window saved at `saved` (frame position, client size) opens when
// the screens' available areas are now `screens`: where it was, when enough
// of its title bar lies on one of them to take hold of it, else at
// `fallback`; and, with its frame, never larger than the area of the screen
// it opens on (the first one, the primary screen, when no other holds it).
QRect PlaceOnScreens(const QRect& saved, const QList<QRect>& screens, const QPoint& fallback,
                     const QMargins& frame = QMargins());
