#include "BookmarkModel.h"
#include "ChosenEntries.h"
#include "FavoritesScan.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>

namespace fs = std::filesystem;

namespace {

QString NameOf(const BookmarkNode* node)
{
    return node->entry.IsFolder ? node->entry.Name : node->entry.Title;
}

BookmarkNode* Find(const BookmarkModel& tree, const QString& name)
{
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node))
        if (NameOf(node) == name)
            return node;
    return nullptr;
}

QString Names(const std::vector<BookmarkNode*>& nodes)
{
    QStringList names;
    for (const BookmarkNode* node : nodes)
        names << NameOf(node);
    return names.join(", ");
}

enum class Filter
{
    None,
    Matching, // the nodes named match, as the find bar's text marks them
    Groups,   // the nodes named, as one group of duplicates below the root entry
};

} // namespace

TEST(ChosenEntriesTest, RowsStandForWhatIsShownAndWhatTheActionMayReach)
{
    // A holds an empty folder, two links and a folder link out of the
    // Favorites folder; B one link.
    TempDir home;
    const std::string shortcut = "[InternetShortcut]\r\nURL=http://127.0.0.1:9/\r\n";
    for (const char* path : {"Favorites/A/a1.url", "Favorites/A/a2.url", "Favorites/B/b1.url",
                             "Favorites/top.url", "Elsewhere/x1.url", "Elsewhere/x2.url"})
        home.write(path, shortcut);
    home.mkdir("Favorites/A/Empty");
    fs::create_directory_symlink(home / "Elsewhere", home / "Favorites/A/Linked");
    BookmarkModel tree;
    LoadFavorites(tree, home / "Favorites");
    const QString root = NameOf(tree.firstNode());

    const struct
    {
        Filter filter;
        QStringList shown;
        QStringList selected;
        Reach reach;
        QString entries;
        size_t leftOutside;
        QString links; // LinksOf the entries
    } cases[] = {
        // A hand selection goes as it is: a folder with a folder link in it whole.
        {Filter::None, {}, {"A", "a1"}, Reach::Entries, "A", 0, "x1, x2, a1, a2"},
        {Filter::None, {}, {"x1"}, Reach::Entries, "x1", 0, "x1"},
        // Links are reached only inside, unless the row itself was chosen.
        {Filter::None, {}, {"A"}, Reach::Links, "Empty, a1, a2", 2, "a1, a2"},
        {Filter::None, {}, {"x1"}, Reach::Links, "x1", 0, "x1"},
        {Filter::None, {}, {"Linked"}, Reach::Links, "", 2, ""},
        // The Favorites folder stands for what lies in it.
        {Filter::None, {}, {root}, Reach::Entries, "A, B, top", 0, "x1, x2, a1, a2, b1, top"},
        // Filtered, a folder stands for its shown rows unless all below it is shown.
        {Filter::Matching, {"a1", "x1", "b1"}, {"A", "B"}, Reach::Entries, "a1, B", 1, "a1, b1"},
        {Filter::Matching, {"a1", "x1"}, {"A"}, Reach::Anywhere, "x1, a1", 0, "x1, a1"},
        {Filter::Matching, {"a1", "x1"}, {"x1"}, Reach::Links, "", 1, ""},
        {Filter::Matching, {"Empty"}, {"A"}, Reach::Entries, "Empty", 0, ""},
        // Hidden folders still lead to the shown rows below them.
        {Filter::Groups, {"a2", "b1"}, {root}, Reach::Links, "a2, b1", 0, "a2, b1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.selected.join(',') + " -> " + c.entries).toStdString());
        if (c.filter == Filter::Matching) {
            std::vector<bool> matching;
            for (const BookmarkNode* node : tree.nodesInOrder())
                matching.push_back(c.shown.contains(NameOf(node)));
            tree.showOnly(matching);
        } else if (c.filter == Filter::Groups) {
            std::vector<BookmarkNode*> group;
            for (const QString& name : c.shown)
                group.push_back(Find(tree, name));
            tree.showGroups({group});
        } else {
            tree.showAll();
        }
        QSet<BookmarkNode*> selected;
        for (const QString& name : c.selected)
            selected.insert(Find(tree, name));

        const ChosenEntries chosen = ChooseEntries(
            tree, [&](BookmarkNode* node) { return selected.contains(node); }, c.reach);

        EXPECT_EQ(Names(chosen.entries).toStdString(), c.entries.toStdString());
        EXPECT_EQ(chosen.leftOutside.size(), c.leftOutside);
        EXPECT_EQ(Names(LinksOf(tree, chosen)).toStdString(), c.links.toStdString());
        int folders = 0;
        for (const BookmarkNode* node : chosen.entries)
            folders += node->entry.IsFolder;
        EXPECT_EQ(chosen.folders, folders);
        EXPECT_EQ(chosen.links, int(chosen.entries.size()) - folders);
    }
}
