// The benchmarks' own parts: a wrong generated tree or a baseline that does
// less work than it claims would make every figure meaningless.

#include "BareScan.h"
#include "BookmarkModel.h"
#include "CountedRun.h"
#include "FavoritesGenerator.h"
#include "FavoritesScan.h"
#include "FigureRow.h"
#include "GatedProbe.h"
#include "HeapUsage.h"
#include "LinkCheckerReport.h"
#include "Measure.h"
#include "ProcessTimer.h"
#include "ProfileFile.h"
#include "TempDir.h"
#include "TreeCensus.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

namespace {

const FavoritesLayout SmallLayout{2, 3, 4}; // 8 folders, 32 links

std::string testLink(int index)
{
    return "http://example.com/link/" + std::to_string(index);
}

std::set<std::string> treeLinks(const BookmarkModel& tree, int* folders)
{
    std::set<std::string> links;
    *folders = 0;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry& entry = *BookmarkModel::entry(node);
        if (entry.IsFolder)
            ++*folders;
        else
            links.insert(entry.Link.toStdString());
    }
    return links;
}

// Every file below dir, as relative path and contents.
std::map<std::string, std::string> snapshot(const std::filesystem::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string relative = std::filesystem::relative(item.path(), dir).string();
        files[relative] = item.is_regular_file() ? ReadFileBytes(item.path()) : "<folder>";
    }
    return files;
}

TEST(GeneratedFavoritesTest, HasTheLayoutAndLoadsBackLinkForLink)
{
    TempDir temp;
    const GeneratedFavorites made = GenerateFavorites(temp / "Favorites", SmallLayout, &testLink);
    EXPECT_EQ(made.folders, 8);
    EXPECT_EQ(made.links, 32);

    BookmarkModel tree;
    LoadFavorites(tree, temp / "Favorites");
    int folders = 0;
    const std::set<std::string> links = treeLinks(tree, &folders);
    EXPECT_EQ(folders, 1 + 8); // the root entry and the generated folders
    std::set<std::string> expected;
    for (int i = 0; i < 32; ++i)
        expected.insert(testLink(i));
    EXPECT_EQ(links, expected);

    // Two levels: top folders hold sub-folders and links, sub-folders links only.
    BookmarkNode* top = tree.firstNode()->child(0);
    ASSERT_EQ(top->childCount(), 3 + 4);
    EXPECT_TRUE(top->child(0)->entry.IsFolder);
    EXPECT_EQ(top->child(0)->childCount(), 4);
    EXPECT_FALSE(top->child(6)->entry.IsFolder);
}

TEST(GeneratedFavoritesTest, IsTheSameOnEveryRunAndMixesScripts)
{
    TempDir temp;
    GenerateFavorites(temp / "a", SmallLayout, &WebLinkFor);
    GenerateFavorites(temp / "b", SmallLayout, &WebLinkFor);
    const auto first = snapshot(temp / "a");
    EXPECT_EQ(first, snapshot(temp / "b"));

    bool cyrillic = false;
    std::uint64_t bytes = 0;
    for (const auto& [name, contents] : first) {
        for (const QChar c : QString::fromStdString(name))
            cyrillic = cyrillic || (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF);
        if (contents != "<folder>")
            bytes += contents.size();
    }
    EXPECT_TRUE(cyrillic);
    EXPECT_EQ(bytes, GenerateFavorites(temp / "c", SmallLayout, &WebLinkFor).bytes);
}

TEST(GeneratedFavoritesTest, RefusesAFolderThatExists)
{
    TempDir temp;
    temp.mkdir("Favorites");
    EXPECT_THROW(GenerateFavorites(temp / "Favorites", SmallLayout, &testLink), std::runtime_error);
}

TEST(GeneratedFavoritesTest, ShortcutTextHasCrlfLinesAndTheUrlInBothPlaces)
{
    const std::string url = "http://www.example.com/a/b.html?q=1";
    const std::string text = ShortcutFileText(url);
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        EXPECT_EQ(text[at - 1], '\r') << "bare LF at " << at;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_NE(text.find("IconFile=http://www.example.com/favicon.ico\r\n"), std::string::npos);

    TempDir temp;
    const auto file = temp.write("x.url", text);
    EXPECT_EQ(ReadProfileString(file, "InternetShortcut", "URL").toStdString(), url);
    EXPECT_EQ(ReadProfileString(file, "DEFAULT", "BASEURL").toStdString(), url);
}

TEST(GeneratedFavoritesTest, WebLinksAreDistinctAndOfBookmarkLength)
{
    std::set<std::string> seen;
    for (int i = 0; i < 20000; ++i) {
        const std::string link = WebLinkFor(i);
        ASSERT_GE(link.size(), 40u) << link;
        ASSERT_LE(link.size(), 80u) << link;
        ASSERT_EQ(link.rfind("http://www.", 0), 0u) << link;
        ASSERT_TRUE(seen.insert(link).second) << link;
    }
}

TEST(BareScanTest, ReadsEveryShortcutOfAGeneratedTreeWhole)
{
    TempDir temp;
    const GeneratedFavorites made = GenerateFavorites(temp / "Favorites", SmallLayout, &WebLinkFor);
    const BareScanResult bare = BareWalkAndRead(temp / "Favorites");
    EXPECT_EQ(bare.folders, made.folders);
    EXPECT_EQ(bare.files, made.links);
    EXPECT_EQ(bare.bytes, made.bytes);
}

TEST(BareScanTest, ReadsShortcutsOnlyAndNeverFollowsAFolderLink)
{
    TempDir temp;
    temp.write("fav/a.url", "12345");
    temp.write("fav/B.URL", "123");
    temp.write("fav/notes.txt", "not a shortcut");
    temp.write("fav/.hidden/c.url", "hidden folder");
    temp.write("fav/sub/d.url", "1");
    std::filesystem::create_symlink(temp / "fav/a.url", temp / "fav/sub/linked.url");
    std::filesystem::create_directory_symlink(temp / "fav", temp / "fav/sub/loop");

    const BareScanResult bare = BareWalkAndRead(temp / "fav");
    EXPECT_EQ(bare.folders, 1);
    EXPECT_EQ(bare.files, 4);
    EXPECT_EQ(bare.bytes, 5u + 3 + 1 + 5);
    EXPECT_EQ(BareWalkAndRead(temp / "missing").files, 0);
}

void addLink(BookmarkModel& tree, BookmarkNode* parent, const QString& title, qint16 status)
{
    BookmarkEntry& entry = tree.addChild(parent)->entry;
    entry.Title = title;
    entry.Link = "http://" + title;
    entry.Path = "/f/" + title.toStdString() + ".url";
    entry.Status = status;
}

BookmarkNode* addFolder(BookmarkModel& tree, const QString& name)
{
    BookmarkNode* folder = tree.addChild(nullptr);
    folder->entry.Name = name;
    folder->entry.IsFolder = true;
    folder->entry.Status = StatusFolder;
    return folder;
}

TEST(TreeCensusTest, CountsEntriesByKindAndStatusAndTheirCharacterBytes)
{
    BookmarkModel tree;
    BookmarkNode* root = addFolder(tree, "Fav");
    addLink(tree, root, "ab", StatusAlive);
    addLink(tree, root, "cde", StatusDead);
    addLink(tree, root, "f", StatusUnverified);
    const TreeCensus census = TakeCensus(tree);
    EXPECT_EQ(census.folders, 1);
    EXPECT_EQ(census.links, 3);
    EXPECT_EQ(census.entries(), 4);
    EXPECT_EQ(census.alive, 1);
    EXPECT_EQ(census.dead, 1);
    EXPECT_EQ(census.unverified, 1);
    // "Fav"; each link: title, "http://" + title, "/f/" + title + ".url".
    const auto link = [](std::size_t title) { return 2 * (title + 7 + title) + 3 + title + 4; };
    EXPECT_EQ(census.characterBytes, 2 * 3 + link(2) + link(3) + link(1));
}

TEST(CountedRunTest, StopsAfterExactlyTheGivenNumberOfProbes)
{
    BookmarkModel tree;
    BookmarkNode* root = addFolder(tree, "Fav");
    for (int i = 0; i < 10; ++i)
        addLink(tree, root, QString::number(i), StatusUnverified);
    GatedProbe probe([](const QString&) { return true; }, INT_MAX);
    const CountedRun run = RunForLinks(tree, Wrap(probe), 4);
    EXPECT_TRUE(run.started);
    EXPECT_EQ(run.probed, 4);
    EXPECT_EQ(probe.asked(), (QStringList{"http://0", "http://1", "http://2", "http://3"}));
    const TreeCensus census = TakeCensus(tree);
    EXPECT_EQ(census.alive, 4);
    EXPECT_EQ(census.unverified, 6);
    EXPECT_EQ(root->child(3)->entry.Status, StatusAlive);
    EXPECT_EQ(root->child(4)->entry.Status, StatusUnverified);
}

TEST(CountedRunTest, ATreeWithFewerLinksIsProbedWhole)
{
    BookmarkModel tree;
    BookmarkNode* root = addFolder(tree, "Fav");
    for (int i = 0; i < 3; ++i)
        addLink(tree, root, QString::number(i), StatusUnverified);
    const CountedRun run = RunForLinks(tree, Answering([](const QString&) { return false; }), 100);
    EXPECT_EQ(run.probed, 3);
    EXPECT_EQ(TakeCensus(tree).dead, 3);
}

TEST(LinkCheckerReportTest, ReadsTheNumberOfLinksChecked)
{
    EXPECT_EQ(LinksChecked("Statistics:\nThat's it. 2001 links in 2001 URLs checked. "
                           "0 warnings found. 0 errors found.\n"),
              2001);
    EXPECT_EQ(LinksChecked("That's it. 1 link in 1 URL checked."), 1);
    EXPECT_EQ(LinksChecked("Error: no such file"), -1);
}

TEST(MeasureTest, MedianOfOddEvenAndNoValues)
{
    EXPECT_EQ(Median({5, 1, 3}), 3);
    EXPECT_EQ(Median({4, 1, 3, 2}), 2.5);
    EXPECT_EQ(Median({}), 0);
}

TEST(MeasureTest, WarmsBothThenInterleavesAndTidiesAfterEverySubjectRun)
{
    std::string order;
    const Comparison times = CompareAlternating(
        4, [&] { order += 'S'; }, [&] { order += 'B'; }, [&] { order += 't'; });
    EXPECT_EQ(order, "StB"
                     "StB"
                     "BSt"
                     "StB"
                     "BSt");
    EXPECT_GE(times.subject, 0);
    EXPECT_GE(times.baseline, 0);
    EXPECT_EQ(Comparison{}.ratio(), 0); // no baseline time: no ratio, no division by zero
}

TEST(FigureRowTest, OneLineOfSixTabSeparatedFields)
{
    const FigureRow row{"load\tall", "1 s", "2 s", "0.50x", "<= 1.5x\n", true};
    EXPECT_EQ(RowLine(row), "ROW\tload all\t1 s\t2 s\t0.50x\t<= 1.5x \tyes");
    EXPECT_EQ(RowLine({"a", "b", "-", "-", "t", false}), "ROW\ta\tb\t-\t-\tt\tNO");
    EXPECT_EQ(RowLine({"a", "b", "-", "-", "t", std::nullopt}), "ROW\ta\tb\t-\t-\tt\t-");
}

TEST(FigureRowTest, TimesAndRatiosInTheUnitThatReadsBest)
{
    EXPECT_EQ(FormatSeconds(1.234), "1.23 s");
    EXPECT_EQ(FormatSeconds(0.456), "456 ms");
    EXPECT_EQ(FormatSeconds(0.0456), "45.6 ms");
    EXPECT_EQ(FormatSeconds(0.000789), "789 us");
    EXPECT_EQ(FormatRatio(1.5), "1.50x");
    EXPECT_EQ(FormatNumber(258.4, 0), "258");
    EXPECT_EQ(FormatCount(100000), "100,000");
    EXPECT_EQ(FormatCount(2000), "2,000");
    EXPECT_EQ(FormatCount(999), "999");
    EXPECT_EQ(FormatCount(-1234567), "-1,234,567");
}

TEST(HeapUsageTest, CountsALargeBlockTheAllocatorMapsOnItsOwn)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's allocator keeps the C library's counters still";
#endif
    const std::size_t before = HeapInUse();
    // Far above the allocator's mmap threshold: not in the main arena.
    auto* block = new char[64 * 1024 * 1024];
    block[0] = 1;
    const std::size_t during = HeapInUse();
    delete[] block;
    EXPECT_GE(during, before + 64u * 1024 * 1024);
    EXPECT_LT(HeapInUse(), during);
}

TEST(ProcessTimerTest, ExitCodeOutputMissingProgramAndTimeout)
{
    TempDir temp;
    const std::string output = (temp / "out.txt").string();
    const ProcessRun ran = RunProcess("sh", {"-c", "echo out; echo err >&2; exit 3"}, output);
    EXPECT_EQ(ran.exitCode, 3);
    EXPECT_FALSE(ran.timedOut);
    EXPECT_EQ(ReadFileBytes(output), "out\nerr\n");

    EXPECT_EQ(RunProcess("/nonexistent/program", {}).exitCode, -1);

    const ProcessRun hung = RunProcess("sleep", {"30"}, "/dev/null", 0.2);
    EXPECT_TRUE(hung.timedOut);
    EXPECT_EQ(hung.exitCode, -1);
}

} // namespace
