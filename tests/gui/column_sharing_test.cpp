#include "MainWindowFixture.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ColumnSharing.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QtTest/QTest>

TEST(ColumnSharing, OddChangesCarryTheirHalfPixelToTheNextChange)
{
    struct Step
    {
        int delta;
        int width;
        double carry;
    };
    const Step steps[] = {{1, 265, 0.5},   {1, 266, 0.0},   {3, 267, 0.5},
                          {-1, 267, 0.0},  {-1, 267, -0.5}, {-1, 266, 0.0},
                          {101, 316, 0.5}, {-4, 315, -0.5}, {0, 315, -0.5}};
    SharedColumn column{265, 0.0};
    int total = 0;
    for (const Step& step : steps) {
        column = ShareWidthChange(column, step.delta, 2);
        total += step.delta;
        SCOPED_TRACE(testing::Message() << "after delta " << step.delta);
        EXPECT_EQ(column.width, step.width);
        EXPECT_DOUBLE_EQ(column.carry, step.carry);
        // Nothing is lost: the width and the carry add up to the exact share.
        EXPECT_DOUBLE_EQ(column.width + column.carry, 265 + total / 2.0);
    }
}

TEST(ColumnSharing, WidthHasNoFloorAndOnlyOneColumnTakesTheWhole)
{
    const SharedColumn narrowed = ShareWidthChange({40, 0.0}, -101, 2);
    EXPECT_EQ(narrowed.width, -10);
    EXPECT_EQ(ShownWidth(narrowed), 0);
    const SharedColumn alone = ShareWidthChange({40, 0.0}, 7, 1);
    EXPECT_EQ(alone.width, 47);
    EXPECT_DOUBLE_EQ(alone.carry, 0.0);
}

using ColumnSharingViewTest = MainWindowFixture;

TEST_F(ColumnSharingViewTest, NameAndLinkShareWindowResizesAndStatusKeepsItsWidth)
{
    TForm1& window = makeForm();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QHeaderView* header = window.VT->header();
    ASSERT_EQ(header->sectionSize(ColumnName), 265);
    ASSERT_EQ(header->sectionSize(ColumnLink), 265);
    ASSERT_EQ(header->sectionSize(ColumnStatus), 80);
    const auto expectWidths = [&](int name, int link) {
        EXPECT_EQ(header->sectionSize(ColumnName), name);
        EXPECT_EQ(header->sectionSize(ColumnLink), link);
        EXPECT_EQ(header->sectionSize(ColumnStatus), 80);
    };

    window.resize(window.width() + 101, window.height());
    expectWidths(315, 315); // 50.5 each, the halves still owed
    window.resize(window.width() + 1, window.height());
    expectWidths(316, 316);
    window.resize(window.width() - 3, window.height());
    expectWidths(315, 315);
    window.resize(TForm1::designWidth, window.height());
    expectWidths(265, 265);
}

TEST_F(ColumnSharingViewTest, AVeryNarrowWindowTakesNameAndLinkToNothingAndBackExactly)
{
    TForm1& window = makeForm();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto nameAt = [&](int narrower) {
        window.resize(TForm1::designWidth - narrower, window.height());
        EXPECT_EQ(window.VT->header()->sectionSize(ColumnLink),
                  window.VT->header()->sectionSize(0));
        return window.VT->header()->sectionSize(ColumnName);
    };
    EXPECT_EQ(nameAt(520), 5); // 260 off each, well below where a floor would stop
    EXPECT_EQ(nameAt(600), 0);
    EXPECT_EQ(nameAt(519), 5);
    EXPECT_EQ(nameAt(0), 265);
}

TEST_F(ColumnSharingViewTest, ScrollBarComingAndGoingIsSharedToo)
{
    for (int i = 0; i < 60; ++i)
        addLink("Many/Link" + std::to_string(100 + i) + ".url", "http://127.0.0.1:9/");
    TForm1& window = makeForm();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    BookmarkView& view = *window.VT;
    QHeaderView* header = view.header();
    const int widthBefore = view.viewport()->width();
    const int sumBefore = header->sectionSize(ColumnName) + header->sectionSize(ColumnLink);

    view.expandAll();
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
    ASSERT_TRUE(view.verticalScrollBar()->isVisible());
    const int narrowed = widthBefore - view.viewport()->width();
    ASSERT_GT(narrowed, 0);
    EXPECT_LE(sumBefore - (header->sectionSize(ColumnName) + header->sectionSize(ColumnLink)) -
                  narrowed,
              1);
    EXPECT_EQ(header->sectionSize(ColumnStatus), 80);

    view.collapseAll();
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
    EXPECT_EQ(view.viewport()->width(), widthBefore);
    EXPECT_EQ(header->sectionSize(ColumnName) + header->sectionSize(ColumnLink), sumBefore);
}
