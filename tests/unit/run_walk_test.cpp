#include "BookmarkModel.h"
#include "RunWalk.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>

namespace {

// Folders are named in capitals; a walk may be limited to some nodes, and
// one node may be deleted after some steps.
struct WalkCase
{
    QStringList tops; // empty: the whole tree
    int stepsBeforeDeletion;
    QString deleted; // empty: nothing is deleted
    QStringList visited;
    int linksLeft; // in the walk's reach, once it is over
};

} // namespace

TEST(RunWalk, VisitsOnlyTheChosenSubtreesAndStepsOverWhatIsDeleted)
{
    const WalkCase cases[] = {
        {{}, 0, {}, {"ROOT", "A", "SUB", "s1", "a1", "a2", "B", "b1", "l1", "l2"}, 6},
        {{"A", "l2"}, 0, {}, {"A", "SUB", "s1", "a1", "a2", "l2"}, 4},
        // The node the walk stands in goes, and with it the chosen one it was in.
        {{"SUB", "B"}, 1, "SUB", {"SUB", "B", "b1"}, 1},
        {{"A", "B"}, 2, "SUB", {"A", "SUB", "a1", "a2", "B", "b1"}, 3},
        // A chosen node not reached yet goes; one outside the walk changes nothing.
        {{"A", "B", "l1"}, 1, "B", {"A", "SUB", "s1", "a1", "a2", "l1"}, 4},
        {{"a2", "l1"}, 1, "l1", {"a2"}, 1},
        {{"SUB"}, 1, "B", {"SUB", "s1"}, 1},
        {{}, 3, "A", {"ROOT", "A", "SUB", "B", "b1", "l1", "l2"}, 3},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.tops.join(',').toStdString() + " deleting " + c.deleted.toStdString());
        BookmarkModel tree;
        std::map<QString, BookmarkNode*> nodes;
        const auto add = [&](const QString& parent, const QString& name) {
            BookmarkNode* node = tree.addChild(parent.isEmpty() ? nullptr : nodes[parent]);
            node->entry.Title = name;
            node->entry.IsFolder = name.front().isUpper();
            nodes[name] = node;
        };
        add({}, "ROOT");
        add("ROOT", "A");
        add("A", "SUB");
        add("SUB", "s1");
        add("A", "a1");
        add("A", "a2");
        add("ROOT", "B");
        add("B", "b1");
        add("ROOT", "l1");
        add("ROOT", "l2");

        std::vector<BookmarkNode*> tops;
        for (const QString& top : c.tops)
            tops.push_back(nodes[top]);
        RunWalk walk = c.tops.isEmpty() ? RunWalk(tree) : RunWalk(tree, tops);
        QObject::connect(&tree, &BookmarkModel::nodeAboutToBeRemoved,
                         [&walk](BookmarkNode* node) { walk.nodeAboutToBeRemoved(node); });
        walk.begin();
        QStringList visited;
        for (int step = 0; BookmarkNode* node = walk.next(); ++step) {
            visited << node->entry.Title;
            if (step + 1 == c.stepsBeforeDeletion && !c.deleted.isEmpty())
                tree.deleteNode(nodes[c.deleted]);
        }
        EXPECT_EQ(visited, c.visited);
        EXPECT_TRUE(walk.atEnd());
        EXPECT_EQ(walk.count(nullptr, [](const BookmarkEntry& e) { return !e.IsFolder; }),
                  c.linksLeft);
    }
}
