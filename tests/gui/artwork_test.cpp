#include "Artwork.h"
#include "ExactPictures.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

namespace {

QString hex(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

QImage decodedIcon(int id)
{
    return QImage::fromData(IconResource(id), "ICO").convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------------------------
// Pictures given by their numbers

TEST(ExactPictures, textureHasItsStaggeredDashesInEveryPixel)
{
    const QRgb light = 0xFFD8F8FA;
    const QRgb dark = 0xFFB1D2D4;
    const std::array<const char*, 4> rows{"...##.", "##....", "...##.", "##...."};

    const QImage texture = TextureImage();
    ASSERT_EQ(texture.size(), QSize(6, 4));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const QRgb expected = rows[y][x] == '#' ? dark : light;
            EXPECT_EQ(texture.pixel(x, y), expected) << "pixel " << x << "," << y;
        }
    }
}

TEST(ExactPictures, headerStripMatchesItsRowTableInEveryPixel)
{
    const std::array<QRgb, 34> rows{
        0xFFF2F5F7, 0xFFF2F5F7, 0xFFF1F4F6, 0xFFF0F4F6, 0xFFF0F3F5, 0xFFEFF3F5, 0xFFEEF2F4,
        0xFFEDF1F4, 0xFFECF1F3, 0xFFEBF0F2, 0xFFEAEFF2, 0xFFE9EEF1, 0xFFE8EEF0, 0xFFE7EDF0,
        0xFFE6ECEF, 0xFFE6EBEE, 0xFFD8DEE3, 0xFFD9DFE4, 0xFFDAE1E5, 0xFFDDE3E7, 0xFFDFE5E9,
        0xFFE2E7EB, 0xFFE6EAED, 0xFFE9EDEF, 0xFFECEFF1, 0xFFEFF2F4, 0xFFF2F4F5, 0xFFF4F6F7,
        0xFFF5F7F8, 0xFFF6F8F9, 0xFFB3B5B6, 0x1A002341, 0x13002341, 0x07002341};

    const QImage strip = HeaderStripImage();
    ASSERT_EQ(strip.size(), QSize(9, 34));
    // Not premultiplied: the shadow rows keep their colour at low opacity.
    ASSERT_EQ(strip.format(), QImage::Format_ARGB32);
    for (int y = 0; y < 34; ++y) {
        for (int x = 0; x < 9; ++x) {
            ASSERT_EQ(hex(strip.pixel(x, y)), hex(rows[y])) << "pixel " << x << "," << y;
        }
    }
}

// ---------------------------------------------------------------------------
// Busy indicator, checked on the icon files the window loads

struct Dot
{
    QPointF centre;
    int shade;
};

// Clock positions 12, 1:30, 3, 4:30, 6, 7:30, 9, 10:30 are 0..7. The leading
// dot of frames 0..6 stands at 9, 10:30, 12, 1:30, 3, 4:30 and 6 o'clock.
std::array<Dot, 8> expectedDots(int frame)
{
    const std::array<int, 7> leading{6, 7, 0, 1, 2, 3, 4};
    const std::array<int, 8> shades{0x19, 0x4C, 0x65, 0x7F, 0x98, 0xB2, 0xCC, 0xE5};
    std::array<Dot, 8> dots;
    for (int position = 0; position < 8; ++position) {
        const double angle = position * std::numbers::pi / 4;
        const QPointF centre(
            BusyIndicator::RingCentre + BusyIndicator::RingRadius * std::sin(angle),
            BusyIndicator::RingCentre - BusyIndicator::RingRadius * std::cos(angle));
        // The trail runs counter-clockwise behind the leading dot.
        const int behind = (leading[frame] - position + 8) % 8;
        dots[position] = {centre, shades[behind]};
    }
    return dots;
}

double nearestDistance(int x, int y, QPointF c)
{
    const double dx = std::clamp(c.x(), double(x), x + 1.0) - c.x();
    const double dy = std::clamp(c.y(), double(y), y + 1.0) - c.y();
    return std::hypot(dx, dy);
}

double farthestDistance(int x, int y, QPointF c)
{
    const double dx = std::max(std::abs(c.x() - x), std::abs(c.x() - (x + 1)));
    const double dy = std::max(std::abs(c.y() - y), std::abs(c.y() - (y + 1)));
    return std::hypot(dx, dy);
}

TEST(BusyFrames, dotsFitTheFrameWithoutTouching)
{
    using namespace BusyIndicator;
    EXPECT_LE(RingCentre + RingRadius + DotRadius, 20.0);
    EXPECT_GE(RingCentre - RingRadius - DotRadius, 0.0);
    const double neighbourDistance = 2 * RingRadius * std::sin(std::numbers::pi / 8);
    EXPECT_GT(neighbourDistance, 2 * DotRadius + 1.0) << "no clear pixel between neighbours";
    // The pixel holding a dot's centre must be wholly inside the dot.
    EXPECT_GT(DotRadius, std::sqrt(2.0));
}

TEST(BusyFrames, eachFrameShowsTheShadesTurnedClockwise)
{
    for (int frame = 0; frame < 7; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const QImage image = decodedIcon(6 + frame);
        ASSERT_EQ(image.size(), QSize(20, 20));
        const auto dots = expectedDots(frame);
        for (int position = 0; position < 8; ++position) {
            const Dot& dot = dots[position];
            const int s = dot.shade;
            EXPECT_EQ(hex(image.pixel(int(dot.centre.x()), int(dot.centre.y()))),
                      hex(qRgba(s, s, s, 255)))
                << "dot at clock position " << position;
        }
    }
}

TEST(BusyFrames, pixelsInsideDotsAreSolidAndBetweenThemClear)
{
    const double radius = BusyIndicator::DotRadius;
    for (int frame = 0; frame < 7; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const QImage image = decodedIcon(6 + frame);
        ASSERT_EQ(image.size(), QSize(20, 20));
        const auto dots = expectedDots(frame);
        int solid = 0;
        int clear = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                bool touched = false;
                for (const Dot& dot : dots) {
                    if (farthestDistance(x, y, dot.centre) <= radius) {
                        ++solid;
                        const int s = dot.shade;
                        EXPECT_EQ(hex(image.pixel(x, y)), hex(qRgba(s, s, s, 255)))
                            << "pixel " << x << "," << y;
                    }
                    touched = touched || nearestDistance(x, y, dot.centre) < radius;
                }
                if (!touched) {
                    ++clear;
                    EXPECT_EQ(qAlpha(image.pixel(x, y)), 0) << "pixel " << x << "," << y;
                }
            }
        }
        EXPECT_GE(solid, 8 * 4);
        EXPECT_GE(clear, 200);
    }
}

TEST(BusyFrames, iconFilesKeepTranslucentEdgesExact)
{
    // The icon file must not darken the antialiased rims of the dots.
    for (int frame = 0; frame < 7; ++frame) {
        const QImage computed = BusyFrameImage(frame);
        const QImage decoded = decodedIcon(6 + frame);
        ASSERT_EQ(decoded.size(), computed.size());
        int translucent = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                const QRgb pixel = computed.pixel(x, y);
                if (qAlpha(pixel) > 0 && qAlpha(pixel) < 255)
                    ++translucent;
                ASSERT_EQ(hex(decoded.pixel(x, y)), hex(pixel))
                    << "frame " << frame << " pixel " << x << "," << y;
            }
        }
        EXPECT_GT(translucent, 0) << "frame " << frame << " has no antialiased rim";
    }
}

// ---------------------------------------------------------------------------
// Icon files

TEST(IconResources, fourteenSingleImageIconFilesWithAlpha)
{
    for (int id = 1; id <= 14; ++id) {
        SCOPED_TRACE("icon " + std::to_string(id));
        const QByteArray bytes = IconResource(id);
        ASSERT_GE(bytes.size(), 22);
        const auto* header = reinterpret_cast<const uchar*>(bytes.constData());
        EXPECT_EQ(qFromLittleEndian<quint16>(header), 0);
        EXPECT_EQ(qFromLittleEndian<quint16>(header + 2), 1) << "icon, not cursor";
        EXPECT_EQ(qFromLittleEndian<quint16>(header + 4), 1) << "one image";
        EXPECT_EQ(qFromLittleEndian<quint16>(header + 12), 32) << "32 bits per pixel";
        const quint32 size = qFromLittleEndian<quint32>(header + 14);
        const quint32 offset = qFromLittleEndian<quint32>(header + 18);
        EXPECT_EQ(qint64(offset) + size, bytes.size()) << "image data ends the file";

        const QImage image = QImage::fromData(bytes, "ICO");
        const int side = id >= 6 && id <= 12 ? 20 : 16;
        ASSERT_EQ(image.size(), QSize(side, side));
        EXPECT_EQ(header[6], side);
        EXPECT_EQ(header[7], side);
        EXPECT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "corner is see-through";
    }
    EXPECT_TRUE(IconResource(0).isEmpty());
    EXPECT_TRUE(IconResource(15).isEmpty());
    EXPECT_TRUE(IconResource(-1).isEmpty());
}

TEST(IconResources, lampsDifferInTheirColourOnly)
{
    const QImage grey = decodedIcon(3);
    const QImage green = decodedIcon(4);
    const QImage red = decodedIcon(5);
    // Below the gloss, the lamp shows its own colour.
    const QRgb g = grey.pixel(8, 10);
    const QRgb gr = green.pixel(8, 10);
    const QRgb r = red.pixel(8, 10);
    EXPECT_LE(std::abs(qRed(g) - qGreen(g)), 8);
    EXPECT_LE(std::abs(qGreen(g) - qBlue(g)), 8);
    EXPECT_GT(qGreen(gr), qRed(gr) + 60);
    EXPECT_GT(qRed(r), qGreen(r) + 60);
    const QRgb a = decodedIcon(13).pixel(8, 10);
    EXPECT_GT(std::min(qRed(a), qGreen(a)), qBlue(a) + 60) << "amber";
    // The pale ring is the same on all of them.
    const QImage moved = decodedIcon(14);
    for (const QPoint p : {QPoint(8, 1), QPoint(1, 8), QPoint(14, 8)}) {
        EXPECT_EQ(hex(grey.pixel(p)), hex(green.pixel(p)));
        EXPECT_EQ(hex(grey.pixel(p)), hex(red.pixel(p)));
        EXPECT_EQ(hex(grey.pixel(p)), hex(moved.pixel(p)));
    }
    // The moved lamp is the green one with a pale arrow across it, pointing right.
    const auto pale = [&moved](int x, int y) { return qGray(moved.pixel(x, y)) > 200; };
    EXPECT_TRUE(pale(6, 8) && pale(8, 8) && pale(10, 8)) << "shaft";
    EXPECT_TRUE(pale(9, 7) && pale(9, 9) && pale(8, 10)) << "head";
    EXPECT_FALSE(pale(6, 10) || pale(6, 9)) << "the head is on the right";
    const QRgb below = moved.pixel(8, 12);
    EXPECT_GT(qGreen(below), qRed(below) + 40);
    EXPECT_NE(hex(moved.pixel(8, 8)), hex(green.pixel(8, 8)));
}

// ---------------------------------------------------------------------------
// Picture buttons

struct ButtonCase
{
    const char* name;
    int side;
    QRgb corner;
};

const std::array<ButtonCase, 6> Buttons{{{"verify", 29, 0xFFF2F5F7},
                                         {"delete", 29, 0xFFF2F5F7},
                                         {"options", 29, 0xFFF2F5F7},
                                         {"help", 29, 0xFFF2F5F7},
                                         {"homepage", 21, 0xFFEFF3F5},
                                         {"support", 21, 0xFFEFF3F5}}};

TEST(ButtonPictures, opaqueOnTheStripWithoutTheTransparentColour)
{
    const QImage strip = HeaderStripImage();
    for (const ButtonCase& button : Buttons) {
        SCOPED_TRACE(button.name);
        for (bool pressed : {false, true}) {
            const QPixmap pixmap = ButtonPicture(QString::fromLatin1(button.name), pressed);
            ASSERT_EQ(pixmap.size(), QSize(button.side, button.side));
            EXPECT_FALSE(pixmap.hasAlphaChannel());
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(hex(image.pixel(0, 0)), hex(button.corner));
            int drawn = 0;
            for (int y = 0; y < image.height(); ++y) {
                const QRgb background = strip.pixel(0, (button.side == 21 ? 5 : 0) + y);
                for (int x = 0; x < image.width(); ++x) {
                    ASSERT_NE(image.pixel(x, y), 0xFF808000u) << "pixel " << x << "," << y;
                    drawn += image.pixel(x, y) != background;
                }
            }
            EXPECT_GT(drawn, button.side * button.side / 8) << "picture barely drawn";
        }
    }
}

TEST(ButtonPictures, pressedIsReleasedMovedByOnePixelOnTheSameBackground)
{
    const QImage strip = HeaderStripImage();
    for (const ButtonCase& button : Buttons) {
        SCOPED_TRACE(button.name);
        const QString name = QString::fromLatin1(button.name);
        const QImage released =
            ButtonPicture(name, false).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage pressed =
            ButtonPicture(name, true).toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(pressed.size(), released.size());
        const int top = button.side == 21 ? 5 : 0;
        for (int y = 0; y < pressed.height(); ++y) {
            for (int x = 0; x < pressed.width(); ++x) {
                const QRgb expected = (x == 0 || y == 0) ? strip.pixel(0, top + y) | 0xFF000000u
                                                         : released.pixel(x - 1, y - 1);
                ASSERT_EQ(hex(pressed.pixel(x, y)), hex(expected)) << "pixel " << x << "," << y;
            }
        }
        EXPECT_NE(pressed, released);
    }
}

TEST(ButtonPictures, unknownNamesGiveNoPicture)
{
    EXPECT_TRUE(ButtonPicture(QStringLiteral("nonsense"), false).isNull());
    EXPECT_TRUE(ButtonPicture(QString(), true).isNull());
    EXPECT_TRUE(ButtonPicture(QStringLiteral("../icons/1"), false).isNull());
}

// ---------------------------------------------------------------------------
// Application icon and the About picture

TEST(ApplicationPictures, windowIconComesInThreeSizesWithAlpha)
{
    const QIcon icon = ApplicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 32, 48}) {
        SCOPED_TRACE(side);
        EXPECT_TRUE(sizes.contains(QSize(side, side)));
        const QImage image = icon.pixmap(QSize(side, side)).toImage();
        ASSERT_EQ(image.size(), QSize(side, side));
        EXPECT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(qAlpha(image.pixel(0, side - 1)), 0) << "between the star's legs";
        const QRgb middle = image.pixel(side / 2, side / 2);
        EXPECT_EQ(qAlpha(middle), 255);
        EXPECT_GT(qGreen(middle), qRed(middle) + 40) << "a green star";
    }
}

TEST(ApplicationPictures, aboutStarIsA48PixelPngWithAYellowTick)
{
    const QByteArray png = AboutStarPng();
    ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    const QImage image = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(48, 48));
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    int green = 0;
    int yellow = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 255)
                continue;
            green += qGreen(p) > qRed(p) + 60 && qGreen(p) > qBlue(p) + 60;
            // The tick sits over the lower right.
            yellow += x >= 24 && y >= 24 && qRed(p) > 200 && qGreen(p) > 160 && qBlue(p) < 100;
        }
    }
    EXPECT_GT(green, 200);
    EXPECT_GT(yellow, 20);
}

} // namespace
