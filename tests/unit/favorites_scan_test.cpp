#include "BookmarkModel.h"
#include "FavoritesScan.h"
#include "PermissionBypass.h"
#include "TempDir.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>

namespace {

const std::string Shortcut = "[InternetShortcut]\r\nURL=http://example.com/\r\n";

class FavoritesScanTest : public ::testing::Test
{
protected:
    // Each node as depth, display text and link.
    QStringList scan()
    {
        unreadable = LoadFavorites(model, fav);
        QStringList rows;
        entries.clear();
        for (BookmarkNode* node = model.firstNode(); node; node = model.nextNode(node)) {
            int depth = 0;
            for (BookmarkNode* up = node->parent(); BookmarkModel::entry(up); up = up->parent())
                ++depth;
            const BookmarkEntry* e = entries.emplace_back(BookmarkModel::entry(node));
            rows << QString("%1 %2%3").arg(depth).arg(e->IsFolder ? e->Name : e->Title,
                                                      e->IsFolder ? "/" : " " + e->Link);
        }
        return rows;
    }

    TempDir temp;
    std::filesystem::path fav = temp.mkdir("Favorites");
    BookmarkModel model;
    std::vector<const BookmarkEntry*> entries; // in walk order
    std::vector<UnreadableFolder> unreadable;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(FavoritesScanTest, SubfoldersComeBeforeLinksEachInNameOrder)
{
    temp.write("Favorites/Travel/Maps.url", Shortcut);
    temp.write("Favorites/Mail.url", Shortcut);
    temp.write("Favorites/b.url", Shortcut);
    temp.write("Favorites/notes.txt", Shortcut);
    temp.mkdir("Favorites/C");
    temp.mkdir("Favorites/a");
    EXPECT_EQ(scan(), QStringList({"0 Internet Explorer - Favorites/", "1 a/", "1 C/", "1 Travel/",
                                   "2 Maps http://example.com/", "1 b http://example.com/",
                                   "1 Mail http://example.com/"}));
    EXPECT_TRUE(entries[0]->Path.empty());
    EXPECT_EQ(entries[0]->ImageIndex, ImageFolder);
    EXPECT_EQ(entries[3]->Path, (fav / "Travel").native());
    EXPECT_EQ(entries[3]->Status, StatusFolder);
    EXPECT_EQ(entries[4]->Path, (fav / "Travel" / "Maps.url").native());
    EXPECT_EQ(entries[4]->ImageIndex, ImageLink);
    EXPECT_EQ(entries[4]->Status, StatusUnverified);
}

TEST_F(FavoritesScanTest, EmptyFolderGivesOnlyTheRootNamedAfterIt)
{
    fav += "/"; // a trailing separator does not empty the name
    EXPECT_EQ(scan(), QStringList({"0 Internet Explorer - Favorites/"}));
}

TEST_F(FavoritesScanTest, HiddenFoldersAreSkippedButHiddenAndOddShortcutsAreListed)
{
    temp.write("Favorites/.backup/Inside.url", Shortcut);
    temp.write("Favorites/.x.url", Shortcut);
    temp.write("Favorites/X.URL", Shortcut);
    temp.write("Favorites/.url", Shortcut);
    temp.write("Favorites/a.b.url", Shortcut);
    temp.write("Favorites/say \"hi\".url", Shortcut);
    temp.write("Favorites/old.url/Inner.url", Shortcut);
    EXPECT_EQ(scan(),
              QStringList({"0 Internet Explorer - Favorites/", "1 old.url/",
                           "2 Inner http://example.com/", "1  http://example.com/",
                           "1 .x http://example.com/", "1 a.b http://example.com/", "1 old ",
                           "1 say \"hi\" http://example.com/", "1 X http://example.com/"}));
    EXPECT_EQ(entries[6]->Path, (fav / "old.url").native());
}

TEST_F(FavoritesScanTest, LinkIsTheUnquotedUrlCutAtAnInnerQuote)
{
    temp.write("Favorites/a.url", "[InternetShortcut]\nURL=\"http://quoted/\"\n");
    temp.write("Favorites/b.url", "[InternetShortcut]\nURL=http://cut/\"rest\n");
    temp.write("Favorites/c.url", "[Other]\nURL=http://elsewhere/\n");
    temp.write("Favorites/d.url", "");
    EXPECT_EQ(scan(), QStringList({"0 Internet Explorer - Favorites/", "1 a http://quoted/",
                                   "1 b http://cut/", "1 c ", "1 d "}));
    EXPECT_EQ(entries[3]->Status, StatusUnverified);
}

TEST_F(FavoritesScanTest, UnreadableShortcutsBecomeEmptyLinksWithoutBlocking)
{
    ASSERT_EQ(mkfifo((fav / "pipe.url").c_str(), 0600), 0);
    std::filesystem::create_symlink(fav / "nowhere", fav / "dangling.url");
    EXPECT_EQ(scan(), QStringList({"0 Internet Explorer - Favorites/", "1 dangling ", "1 pipe "}));
}

TEST_F(FavoritesScanTest, FoldersShowTheirContentsWhereTheyAreAndLinksToShownOnesStayEmpty)
{
    struct Case
    {
        const char *shortcut, *link, *target;
        QStringList rows; // below the root entry
    };
    const Case cases[] = {
        {"A/B/In.url", "A/B/Up", "../..", {"1 A/", "2 B/", "3 Up/", "3 In http://example.com/"}},
        {"A/B/In.url",
         "C/ToB",
         "../A/B",
         {"1 A/", "2 B/", "3 In http://example.com/", "1 C/", "2 ToB/"}},
        {"Zoo/zlink.url",
         "Alpha/ToZoo",
         "../Zoo",
         {"1 Alpha/", "2 ToZoo/", "1 Zoo/", "2 zlink http://example.com/"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(fav);
        temp.write("Favorites/" + std::string(c.shortcut), Shortcut);
        std::filesystem::create_directories((fav / c.link).parent_path());
        std::filesystem::create_directory_symlink(c.target, fav / c.link);
        EXPECT_EQ(scan(), QStringList{"0 Internet Explorer - Favorites/"} + c.rows) << c.link;
    }
}

TEST_F(FavoritesScanTest, UnreadableFoldersKeepTheirRowsAndAreReported)
{
    temp.write("Favorites/Locked/Hidden.url", Shortcut);
    temp.write("Favorites/Open/Shown.url", Shortcut);
    std::filesystem::permissions(fav / "Locked", std::filesystem::perms::none);
    const WithoutPermissionBypass asAnyUser;
    EXPECT_EQ(scan(), QStringList({"0 Internet Explorer - Favorites/", "1 Locked/", "1 Open/",
                                   "2 Shown http://example.com/"}));
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_EQ(unreadable[0].path, (fav / "Locked").native());
    EXPECT_EQ(unreadable[0].error, EACCES);
}

TEST_F(FavoritesScanTest, NamesThatAreNotUtf8KeepTheirExactBytesInPath)
{
    const std::string folder = "caf\xE9";
    temp.write("Favorites/" + folder + "/\xFF.url", Shortcut);
    EXPECT_EQ(scan(), QStringList({"0 Internet Explorer - Favorites/", "1 caf\uFFFD/",
                                   "2 \uFFFD http://example.com/"}));
    EXPECT_EQ(entries[1]->Path, fav.native() + "/" + folder);
    EXPECT_EQ(entries[2]->Path, fav.native() + "/" + folder + "/\xFF.url");
    EXPECT_TRUE(std::filesystem::is_regular_file(entries[2]->Path));
}

TEST_F(FavoritesScanTest, TreeCostsUnder400BytesPerEntryBeyondItsCharacters)
{
    const int count = 2000;
    qint64 characters = 0;
    for (int i = 0; i < count; ++i) {
        const std::string name = "Some shortcut title " + std::to_string(i);
        const std::string url = "http://www.example.com/a/fairly/long/path/" + std::to_string(i);
        temp.write("Favorites/Folder/" + name + ".url", "[InternetShortcut]\nURL=" + url + "\n");
        characters +=
            2 * qint64(name.size() + url.size()) + (fav / "Folder" / name).native().size() + 4;
    }
    // Weighed on the real heap (chunk headers included); a first scan takes
    // whatever the libraries keep for good out of the reckoning.
    const auto heapInUse = [] { return qint64(mallinfo2().uordblks + mallinfo2().hblkhd); };
    LoadFavorites(model, fav);
    model.clear();
    const qint64 before = heapInUse();
    LoadFavorites(model, fav);
    const qint64 perEntry = (heapInUse() - before - characters) / count;
    EXPECT_LT(perEntry, 400);
}

} // namespace
