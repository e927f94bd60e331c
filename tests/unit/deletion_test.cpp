#include "BookmarkModel.h"
#include "Deletion.h"
#include "FavoritesScan.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace fs = std::filesystem;

namespace {

const std::string kShortcut = "[InternetShortcut]\r\nURL=http://127.0.0.1/\r\n";

BookmarkNode* Find(BookmarkModel& tree, const QString& text)
{
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* e = BookmarkModel::entry(node);
        if (e->Name == text || (!e->IsFolder && e->Title == text))
            return node;
    }
    return nullptr;
}

QStringList Rows(BookmarkModel& tree)
{
    QStringList rows;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* e = BookmarkModel::entry(node);
        rows << (e->IsFolder ? e->Name : e->Title);
    }
    return rows;
}

struct DeletionFixture : ::testing::Test
{
    TempDir home;
    fs::path favorites = home / "Favorites";
    BookmarkModel tree;

    void load() { LoadFavorites(tree, favorites); }
    void markDead(const QString& title)
    {
        BookmarkModel::entry(Find(tree, title))->Status = StatusDead;
    }
    void deleteSelected(std::set<BookmarkNode*> selected)
    {
        DeleteSelectedEntries(tree, [&](BookmarkNode* n) { return selected.count(n) > 0; });
    }
};

} // namespace

TEST_F(DeletionFixture, AFolderSelectedWithItsOwnLinksIsDeletedOnceAsATree)
{
    home.write("Favorites/Travel/Maps.url", kShortcut);
    home.write("Favorites/Travel/Trains.url", kShortcut);
    home.write("Favorites/Travel/Deep/Ferry.url", kShortcut);
    home.write("Favorites/Mail.url", kShortcut);
    load();

    deleteSelected({Find(tree, "Travel"), Find(tree, "Maps"), Find(tree, "Ferry")});

    EXPECT_FALSE(fs::exists(favorites / "Travel"));
    EXPECT_TRUE(fs::exists(favorites / "Mail.url"));
    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Mail"}));
}

TEST_F(DeletionFixture, NothingSelectedDeletesNothing)
{
    home.write("Favorites/Mail.url", kShortcut);
    load();
    deleteSelected({});
    EXPECT_TRUE(fs::exists(favorites / "Mail.url"));
    EXPECT_EQ(Rows(tree).size(), 2);
}

TEST_F(DeletionFixture, AFileThatCannotBeDeletedStillLeavesTheTree)
{
    home.write("Favorites/Gone.url", kShortcut);
    home.write("Favorites/Kept.url", kShortcut);
    load();
    fs::remove(favorites / "Gone.url");
    deleteSelected({Find(tree, "Gone")});
    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Kept"}));
}

TEST_F(DeletionFixture, AFolderThatIsADirectoryLinkLosesOnlyTheLink)
{
    home.write("Elsewhere/Precious.url", kShortcut);
    fs::create_directories(favorites);
    fs::create_directory_symlink(home / "Elsewhere", favorites / "Linked");
    load();

    deleteSelected({Find(tree, "Linked")});

    EXPECT_FALSE(fs::exists(fs::symlink_status(favorites / "Linked")));
    EXPECT_TRUE(fs::exists(home / "Elsewhere/Precious.url"));
}

TEST_F(DeletionFixture, DeadLinksSideBySideAreAllDeletedAndFoldersStay)
{
    home.write("Favorites/News/A.url", kShortcut);
    home.write("Favorites/News/B.url", kShortcut);
    home.write("Favorites/News/C.url", kShortcut);
    home.write("Favorites/Empty/D.url", kShortcut);
    home.write("Favorites/E.url", kShortcut);
    load();
    markDead("A");
    markDead("B");
    markDead("D");
    markDead("E");
    BookmarkModel::entry(Find(tree, "C"))->Status = StatusAlive;

    EXPECT_EQ(DeleteDeadLinks(tree), 4);

    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Empty", "News", "C"}));
    EXPECT_FALSE(fs::exists(favorites / "News/A.url"));
    EXPECT_FALSE(fs::exists(favorites / "News/B.url"));
    EXPECT_TRUE(fs::exists(favorites / "News/C.url"));
    EXPECT_TRUE(fs::is_directory(favorites / "Empty"));
}

TEST_F(DeletionFixture, UnverifiedLinksAreNotDeadLinks)
{
    home.write("Favorites/A.url", kShortcut);
    load();
    EXPECT_EQ(DeleteDeadLinks(tree), 0);
    EXPECT_TRUE(fs::exists(favorites / "A.url"));
}

TEST_F(DeletionFixture, ADeadLinkReplacedByADirectoryIsNotDeletedAsATree)
{
    home.write("Favorites/Swap.url", kShortcut);
    load();
    markDead("Swap");
    fs::remove(favorites / "Swap.url");
    home.write("Favorites/Swap.url/inside.txt", "keep me");

    DeleteDeadLinks(tree);

    EXPECT_TRUE(fs::exists(favorites / "Swap.url/inside.txt"));
    EXPECT_EQ(Rows(tree), QStringList{"Internet Explorer - Favorites"});
}

TEST_F(DeletionFixture, EmptyTreeDeletesNothing)
{
    EXPECT_EQ(DeleteDeadLinks(tree), 0);
    deleteSelected({});
    EXPECT_EQ(tree.firstNode(), nullptr);
}
