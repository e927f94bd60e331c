#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>

#include <array>

// Pictures whose every pixel follows from a handful of numbers. They are
// computed rather than drawn, so what the window shows is exactly those
// numbers. TextureImage() and HeaderStripImage() are declared in Artwork.h.

namespace BusyIndicator {

inline constexpr int FrameSize = 20;
inline constexpr int FrameCount = 7;
inline constexpr int DotCount = 8;

// Dots sit on a ring around the middle of the frame, one every 45 degrees,
// position 0 at 12 o'clock and counting clockwise.
inline constexpr double RingCentre = 10.0;
inline constexpr double RingRadius = 7.0;
inline constexpr double DotRadius = 2.0;

// The leading dot first, then the dots trailing it counter-clockwise.
inline constexpr std::array<int, DotCount> Shades{0x19, 0x4C, 0x65, 0x7F, 0x98, 0xB2, 0xCC, 0xE5};

QPointF dotCentre(int position);

} // namespace BusyIndicator

// Frame 0..6 of the busy indicator, ARGB32 on a transparent background.
QImage BusyFrameImage(int frame);

// The header strip rows a picture button stands on: the 29-px toolbar
// buttons sit on the window's top edge, the 21-px ones 5 px lower.
int PictureButtonTop(int side);

// An opaque block of the header strip, `size` wide and high, starting at strip
// row `top`; the background that the picture buttons are painted on.
QImage StripBackdrop(QSize size, int top);
