#include "BookmarkModel.h"
#include "RunWalk.h"

#include <gtest/gtest.h>
#include <map>

// A run's walk over chosen nodes (none: all); FOLDERS in capitals.
TEST(RunWalk, VisitsOnlyTheChosenSubtreesAndStepsOverWhatIsDeleted)
{
    const struct
    {
        QStringList tops;
        int steps;
        QString deleted;
        QStringList visited;
        int linksDeleted; // of those in the walk's reach, as a run counts them
    } cases[] = {
        {{"S", "B"}, 1, "S", {"S", "B", "b1"}, 1},
        {{"A", "B", "l1"}, 2, "S", {"A", "S", "a1", "B", "b1", "l1"}, 1},
        {{"A", "B", "l1"}, 1, "B", {"A", "S", "s1", "a1", "l1"}, 1},
        {{"a1", "l1"}, 1, "l1", {"a1"}, 1},
        {{"S"}, 1, "B", {"S", "s1"}, 0},
        {{}, 3, "A", {"R", "A", "S", "B", "b1", "l1"}, 2},
    };
    for (const auto& c : cases) {
        BookmarkModel tree;
        std::map<QString, BookmarkNode*> nodes{{"", nullptr}};
        std::vector<BookmarkNode*> tops;
        for (const QString step : {"/R", "R/A", "A/S", "S/s1", "A/a1", "R/B", "B/b1", "R/l1"}) {
            const QString name = step.section('/', 1);
            nodes[name] = tree.addChild(nodes[step.section('/', 0, 0)]);
            nodes[name]->entry.IsFolder = name[0].isUpper();
            nodes[name]->entry.Title = name;
            if (c.tops.contains(name))
                tops.push_back(nodes[name]);
        }
        RunWalk walk = c.tops.isEmpty() ? RunWalk(tree) : RunWalk(tree, tops);
        int linksDeleted = -1;
        QObject::connect(&tree, &BookmarkModel::nodeAboutToBeRemoved, [&](BookmarkNode* node) {
            linksDeleted = walk.count(node, [](const BookmarkEntry& e) { return !e.IsFolder; });
            walk.nodeAboutToBeRemoved(node);
        });
        walk.begin();
        QStringList visited;
        while (BookmarkNode* node = walk.next()) {
            visited << node->entry.Title;
            if (visited.size() == c.steps)
                tree.deleteNode(nodes[c.deleted]);
        }
        EXPECT_EQ(visited, c.visited);
        EXPECT_EQ(linksDeleted, c.linksDeleted);
    }
}

// Links put first come before all others, once, and the rest keep their order.
TEST(RunWalk, LinksPutFirstGoAheadOfTheRestInTheWalksReach)
{
    const struct
    {
        QStringList tops;
        QStringList first;
        QString deletedAfterOne;
        QStringList visited;
    } cases[] = {
        {{}, {"s1", "b1"}, "", {"s1", "b1", "R", "A", "S", "a1", "B", "l1"}},
        {{"A"}, {"s1", "b1"}, "", {"s1", "A", "S", "a1"}},
        {{}, {"s1", "b1", "l1"}, "B", {"s1", "l1", "R", "A", "S", "a1"}},
        {{"a1", "l1"}, {"l1"}, "", {"l1", "a1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.join(QLatin1Char(',')).toStdString());
        BookmarkModel tree;
        std::map<QString, BookmarkNode*> nodes{{"", nullptr}};
        std::vector<BookmarkNode*> tops;
        std::vector<BookmarkNode*> first;
        for (const QString step : {"/R", "R/A", "A/S", "S/s1", "A/a1", "R/B", "B/b1", "R/l1"}) {
            const QString name = step.section('/', 1);
            nodes[name] = tree.addChild(nodes[step.section('/', 0, 0)]);
            nodes[name]->entry.IsFolder = name[0].isUpper();
            nodes[name]->entry.Title = name;
            if (c.tops.contains(name))
                tops.push_back(nodes[name]);
        }
        for (const QString& name : c.first)
            first.push_back(nodes[name]);
        RunWalk walk = c.tops.isEmpty() ? RunWalk(tree) : RunWalk(tree, tops);
        QObject::connect(&tree, &BookmarkModel::nodeAboutToBeRemoved,
                         [&](BookmarkNode* node) { walk.nodeAboutToBeRemoved(node); });
        walk.putFirst(first);
        walk.begin();
        QStringList visited;
        while (BookmarkNode* node = walk.next()) {
            visited << node->entry.Title;
            if (visited.size() == 1 && !c.deletedAfterOne.isEmpty())
                tree.deleteNode(nodes[c.deletedAfterOne]);
        }
        EXPECT_EQ(visited, c.visited);
        EXPECT_TRUE(walk.atEnd());
    }
}
