#include "PngImage.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// 3 x 2 pixels, each different, one half transparent.
QImage sampleImage()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 255, 0, 255));
    image.setPixel(2, 0, qRgba(0, 0, 255, 255));
    image.setPixel(0, 1, qRgba(10, 20, 30, 128));
    image.setPixel(1, 1, qRgba(0, 0, 0, 0));
    image.setPixel(2, 1, qRgba(255, 255, 255, 255));
    return image;
}

} // namespace

TEST(DecodePng, GivesStraightRgbaRowsTopToBottom)
{
    PngPixels pixels;
    ASSERT_TRUE(DecodePng(pngBytes(sampleImage()), pixels));
    EXPECT_EQ(pixels.width, 3);
    EXPECT_EQ(pixels.height, 2);
    const std::vector<std::uint8_t> expected{
        255, 0,  0,  255, 0, 255, 0, 255, 0,   0,   255, 255,
        10,  20, 30, 128, 0, 0,   0, 0,   255, 255, 255, 255,
    };
    EXPECT_EQ(pixels.rgba, expected);
}

TEST(DecodePng, RejectsWhatIsNoPng)
{
    PngPixels pixels;
    pixels.width = 42;
    EXPECT_FALSE(DecodePng(QByteArray(), pixels));
    EXPECT_FALSE(DecodePng(QByteArray("GIF89a not a png at all"), pixels));
    EXPECT_FALSE(DecodePng(QByteArray(64, '\xFF'), pixels));

    const QByteArray png = pngBytes(sampleImage());
    EXPECT_FALSE(DecodePng(png.left(8), pixels));                       // signature only
    EXPECT_FALSE(DecodePng(png.left(png.indexOf("IDAT") + 8), pixels)); // cut in the pixel data
    QByteArray damaged = png;
    const qsizetype pixelData = png.indexOf("IDAT") + 6;
    ASSERT_GT(pixelData, 6);
    damaged[pixelData] = static_cast<char>(damaged[pixelData] ^ 0x55);
    EXPECT_FALSE(DecodePng(damaged, pixels));
    EXPECT_EQ(pixels.width, 42); // left as it was
}
