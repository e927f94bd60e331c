#include "BookmarkModel.h"
#include "EntryCounts.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

BookmarkNode* addEntry(BookmarkModel& model, BookmarkNode* parent, bool folder)
{
    BookmarkNode* node = model.addChild(parent);
    node->entry.IsFolder = folder;
    return node;
}

class EntryCountsTest : public ::testing::Test
{
protected:
    BookmarkModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(EntryCountsTest, CountsFoldersBesideTheRootAndLinksAtAnyDepth)
{
    BookmarkNode* root = addEntry(model, nullptr, true);
    BookmarkNode* work = addEntry(model, root, true);
    BookmarkNode* deep = addEntry(model, work, true);
    for (BookmarkNode* parent : {root, root, work, deep, deep})
        addEntry(model, parent, false);
    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);

    const EntryCounts counts = CountEntries(model);
    EXPECT_EQ(counts.categories, 2);
    EXPECT_EQ(counts.links, 5);
    EXPECT_EQ(CategoriesText(counts), "Categories : 2");
    EXPECT_EQ(LinksText(counts), "Links : 5");
    EXPECT_EQ(layout.count(), 0); // counting alone does not re-lay-out the view
    EXPECT_EQ(LinksText({0, 12345}), "Links : 12345"); // no digit grouping
}

TEST_F(EntryCountsTest, RootAloneAndEmptyTreeCountZero)
{
    for (const bool withRoot : {true, false}) {
        model.clear();
        if (withRoot)
            addEntry(model, nullptr, true);
        const EntryCounts counts = CountEntries(model);
        EXPECT_EQ(CategoriesText(counts), "Categories : 0");
        EXPECT_EQ(LinksText(counts), "Links : 0");
    }
}

} // namespace
