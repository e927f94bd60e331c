#include "ExactPictures.h"

#include "Artwork.h"

#include <algorithm>
#include <cmath>
#include <numbers>

QImage TextureImage()
{
    const QRgb light = qRgb(0xD8, 0xF8, 0xFA);
    const QRgb dark = qRgb(0xB1, 0xD2, 0xD4);
    QImage image(6, 4, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        // Even rows carry their dash in the middle, odd rows at the start,
        // which staggers the dashes once the tile repeats.
        const int dashStart = (y % 2 == 0) ? 3 : 0;
        for (int x = 0; x < image.width(); ++x) {
            const bool isDash = x == dashStart || x == dashStart + 1;
            image.setPixel(x, y, isDash ? dark : light);
        }
    }
    return image;
}

QImage HeaderStripImage()
{
    // clang-format off
    static constexpr std::array<QRgb, 31> opaqueRows{
        // the upper, light gradient
        0xF2F5F7, 0xF2F5F7, 0xF1F4F6, 0xF0F4F6, 0xF0F3F5, 0xEFF3F5, 0xEEF2F4, 0xEDF1F4,
        0xECF1F3, 0xEBF0F2, 0xEAEFF2, 0xE9EEF1, 0xE8EEF0, 0xE7EDF0, 0xE6ECEF, 0xE6EBEE,
        // the lower gradient, starting darker for the seam
        0xD8DEE3, 0xD9DFE4, 0xDAE1E5, 0xDDE3E7, 0xDFE5E9, 0xE2E7EB, 0xE6EAED, 0xE9EDEF,
        0xECEFF1, 0xEFF2F4, 0xF2F4F5, 0xF4F6F7, 0xF5F7F8, 0xF6F8F9,
        // the edge line
        0xB3B5B6};
    // clang-format on
    static constexpr std::array<int, 3> shadowAlpha{26, 19, 7};
    const QRgb shadow = 0x002341;

    QImage image(9, 34, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb colour = y < int(opaqueRows.size())
                                ? opaqueRows[y] | 0xFF000000u
                                : shadow | QRgb(shadowAlpha[y - opaqueRows.size()]) << 24;
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colour);
    }
    return image;
}

QPointF BusyIndicator::dotCentre(int position)
{
    const double angle = position * std::numbers::pi / 4.0;
    return {RingCentre + RingRadius * std::sin(angle), RingCentre - RingRadius * std::cos(angle)};
}

namespace {

// Share of the pixel square at (x, y) covered by the disc, from a grid of
// samples; a pixel wholly inside the disc gives exactly 255.
int discCoverage(int x, int y, QPointF centre, double radius)
{
    constexpr int grid = 16;
    int inside = 0;
    for (int sy = 0; sy < grid; ++sy) {
        for (int sx = 0; sx < grid; ++sx) {
            const double dx = x + (sx + 0.5) / grid - centre.x();
            const double dy = y + (sy + 0.5) / grid - centre.y();
            if (dx * dx + dy * dy <= radius * radius)
                ++inside;
        }
    }
    return (inside * 255 + grid * grid / 2) / (grid * grid);
}

} // namespace

QImage BusyFrameImage(int frame)
{
    using namespace BusyIndicator;
    QImage image(FrameSize, FrameSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (frame < 0 || frame >= FrameCount)
        return image;

    // Frame 0 leads at 9 o'clock (position 6); every frame moves one step clockwise.
    const int leading = (6 + frame) % DotCount;
    for (int trail = 0; trail < DotCount; ++trail) {
        const int position = (leading - trail + DotCount) % DotCount;
        const QPointF centre = dotCentre(position);
        const int shade = Shades[trail];
        const int left = int(std::floor(centre.x() - DotRadius));
        const int top = int(std::floor(centre.y() - DotRadius));
        const int right = int(std::ceil(centre.x() + DotRadius));
        const int bottom = int(std::ceil(centre.y() + DotRadius));
        // The dots never touch, so each pixel belongs to one dot at most.
        for (int y = std::max(top, 0); y < std::min(bottom, FrameSize); ++y) {
            for (int x = std::max(left, 0); x < std::min(right, FrameSize); ++x) {
                const int alpha = discCoverage(x, y, centre, DotRadius);
                if (alpha > 0)
                    image.setPixel(x, y, qRgba(shade, shade, shade, alpha));
            }
        }
    }
    return image;
}

int PictureButtonTop(int side)
{
    return side == 21 ? 5 : 0;
}

QImage StripBackdrop(QSize size, int top)
{
    const QImage strip = HeaderStripImage();
    QImage backdrop(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        // Below the opaque rows there is nothing of the strip to stand on;
        // keep the last opaque colour rather than a translucent one.
        const int row = std::clamp(top + y, 0, 30);
        const QRgb colour = strip.pixel(0, row) | 0xFF000000u;
        for (int x = 0; x < size.width(); ++x)
            backdrop.setPixel(x, y, colour);
    }
    return backdrop;
}
