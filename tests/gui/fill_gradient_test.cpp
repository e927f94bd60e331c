#include "FillGradient.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

std::string name(const QColor& color)
{
    return color.name().toStdString();
}

// The stripes that cover a row, by index.
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
        const std::vector<int> painters = stripesOnRow(stripes, row);
        ASSERT_EQ(painters.size(), 1u) << "row " << row;
        int lastStarting = -1;
        for (std::size_t i = 0; i < stripes.size(); ++i)
            if (stripes[i].top == row)
                lastStarting = int(i);
        EXPECT_EQ(painters.front(), lastStarting) << "row " << row;
    }
    EXPECT_TRUE(stripesOnRow(stripes, 17).empty());

    // The first step is already one increment (-44, -35, -17)/256 from the
    // start, which rounds to nothing; the last is exactly the end, though it
    // starts below the band and paints nothing.
    EXPECT_EQ(name(stripes.front().color), name(start));
    EXPECT_EQ(name(stripes.back().color), name(end));
    EXPECT_TRUE(stripes.back().isEmpty());
    // Row 0 is stripe 7's: eight increments round to -1 in every channel.
    EXPECT_EQ(stripesOnRow(stripes, 0).front(), 7);
    EXPECT_EQ(name(stripes[7].color), name(QColor(0xE3, 0xE7, 0xEE)));
}

TEST(GradientStripes, everyStripeIsItsNumberOfIncrementsFromTheStart)
{
    const std::vector<GradientStripe> stripes =
        GradientStripes(10, 10, QColor(0, 100, 250), QColor(10, 80, 0));
    ASSERT_EQ(stripes.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(stripes[i].top, i);
        EXPECT_EQ(stripes[i].bottom, i + 1);
        EXPECT_EQ(name(stripes[i].color), name(QColor(i + 1, 100 - 2 * (i + 1), 250 - 25 * (i + 1))));
    }
}

TEST(GradientStripes, halvesRoundToTheEvenNeighbourInColoursAndRows)
{
    // d = 0.5: stripe 0 rounds 0.5 down to 0; d = 1.5: 1.5 rounds up to 2.
    std::vector<GradientStripe> stripes = GradientStripes(2, 2, QColor(0, 0, 10), QColor(1, 3, 10));
    ASSERT_EQ(stripes.size(), 2u);
    EXPECT_EQ(name(stripes[0].color), name(QColor(0, 2, 10)));
    EXPECT_EQ(name(stripes[1].color), name(QColor(1, 3, 10)));

    // 3 rows in 2 steps split at round(1.5) = 2, 5 rows at round(2.5) = 2.
    EXPECT_EQ(GradientStripes(3, 2, Qt::black, Qt::white)[0].bottom, 2);
    EXPECT_EQ(GradientStripes(5, 2, Qt::black, Qt::white)[0].bottom, 2);

    // One row in two steps: stripe 0 ends at round(0.5) = 0 and covers nothing.
    stripes = GradientStripes(1, 2, Qt::black, Qt::white);
    EXPECT_TRUE(stripes[0].isEmpty());
    EXPECT_EQ(stripesOnRow(stripes, 0), std::vector<int>{1});
}

TEST(GradientStripes, fewerThanOneStepGivesNoStripes)
{
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
        FillGradient(painter, QRect(0, 24, 12, 0), 256, Qt::black, Qt::black);
    }

    const std::vector<GradientStripe> stripes = GradientStripes(17, 256, start, end);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor expected(Qt::magenta);
            if (rect.contains(x, y))
                expected = stripes[stripesOnRow(stripes, y - rect.top()).front()].color;
            ASSERT_EQ(name(image.pixelColor(x, y)), name(expected)) << x << "," << y;
        }
    }
}

} // namespace
