#include "FillGradient.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

std::string name(const QColor& color)
{
    return color.name().toStdString();
}

// Indexes of the stripes that cover a row.
std::vector<int> stripesOnRow(const std::vector<GradientStripe>& stripes, int row)
{
    std::vector<int> result;
    for (std::size_t i = 0; i < stripes.size(); ++i)
        if (stripes[i].top <= row && row < stripes[i].bottom)
            result.push_back(int(i));
    return result;
}

TEST(GradientStripes, seventeenRowsOf256StepsArePaintedOnceEachByTheLastStripeStartingThere)
{
    const QColor start(0xE4, 0xE8, 0xEF);
    const QColor end(0xB8, 0xC5, 0xDE);
    const std::vector<GradientStripe> stripes = GradientStripes(17, 256, start, end);
    ASSERT_EQ(stripes.size(), 256u);
    for (int row = 0; row < 17; ++row) {
        int lastStarting = -1;
        for (std::size_t i = 0; i < stripes.size(); ++i)
            if (stripes[i].top == row)
                lastStarting = int(i);
        EXPECT_EQ(stripesOnRow(stripes, row), std::vector<int>{lastStarting}) << "row " << row;
    }
    EXPECT_TRUE(stripesOnRow(stripes, 17).empty());
    // Row 0 is stripe 7's: eight increments (-44, -35, -17)/256 round to -1.
    EXPECT_EQ(name(stripes[7].color), name(QColor(0xE3, 0xE7, 0xEE)));
    EXPECT_EQ(name(stripes.back().color), name(end)) << "the last step is exactly the end";
}

TEST(GradientStripes, stepsCountIncrementsFromTheStartAndRoundHalvesToEven)
{
    const auto stripes = GradientStripes(10, 10, QColor(0, 100, 250), QColor(10, 80, 0));
    ASSERT_EQ(stripes.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(stripes[i].top, i);
        EXPECT_EQ(name(stripes[i].color), name(QColor(i + 1, 98 - 2 * i, 225 - 25 * i)));
    }

    // d = 0.5 rounds 0.5 down to 0; d = 1.5 rounds 1.5 up to 2.
    EXPECT_EQ(name(GradientStripes(2, 2, QColor(0, 0, 9), QColor(1, 3, 9))[0].color), "#000209");
    // Rows split at round(1.5) = 2 and round(2.5) = 2; one row in two steps
    // leaves stripe 0 empty.
    EXPECT_EQ(GradientStripes(3, 2, Qt::black, Qt::white)[0].bottom, 2);
    EXPECT_EQ(GradientStripes(5, 2, Qt::black, Qt::white)[0].bottom, 2);
    EXPECT_TRUE(GradientStripes(1, 2, Qt::black, Qt::white)[0].isEmpty());

    EXPECT_TRUE(GradientStripes(17, 0, Qt::black, Qt::white).empty());
    EXPECT_TRUE(GradientStripes(17, -3, Qt::black, Qt::white).empty());
}

TEST(FillGradient, paintsEveryRowOfTheRectangleAcrossItsWidthAndNothingElse)
{
    QImage image(12, 30, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    const QRect rect(2, 5, 7, 17);
    const QColor start(0xAB, 0xBA, 0xD8);
    const QColor end(0xE4, 0xE8, 0xEF);
    {
        QPainter painter(&image);
        FillGradient(painter, rect, 256, start, end);
        FillGradient(painter, QRect(0, 0, 12, 4), 0, Qt::black, Qt::black);
    }

    const auto stripes = GradientStripes(17, 256, start, end);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor expected = rect.contains(x, y)
                                        ? stripes[stripesOnRow(stripes, y - 5).front()].color
                                        : QColor(Qt::magenta);
            ASSERT_EQ(name(image.pixelColor(x, y)), name(expected)) << x << "," << y;
        }
    }
}

} // namespace
