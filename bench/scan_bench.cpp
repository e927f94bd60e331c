// Loading a generated Favorites folder into the bookmark tree, against a
// bare walk that reads the same files; and what the tree costs per entry.

#include "BareScan.h"
#include "BookmarkModel.h"
#include "FavoritesScan.h"
#include "FigureRow.h"
#include "HeapUsage.h"
#include "Measure.h"
#include "TreeCensus.h"

#include <QCoreApplication>
#include <cstdio>
#include <malloc.h>
#include <memory>

namespace {

constexpr int Rounds = 7;

void reportLoadTime(const std::filesystem::path& favorites, const TreeCensus& census)
{
    std::unique_ptr<BookmarkModel> tree;
    BareScanResult bare;
    const Comparison times = CompareAlternating(
        Rounds,
        [&] {
            tree = std::make_unique<BookmarkModel>();
            LoadFavorites(*tree, favorites);
        },
        [&] { bare = BareWalkAndRead(favorites); },
        [&] {
            tree.reset();
            // The program loads once, into a fresh heap; the freed tree must
            // not leave its consolidation to the next timed load.
            malloc_trim(0);
        });
    std::fprintf(stderr, "scan: %d folders and %d links loaded; the bare walk read %d files\n",
                 census.folders, census.links, bare.files);
    const bool sameWork = bare.files == census.links && bare.folders + 1 == census.folders;
    PrintRow({"1 load " + FormatCount(census.links) + " shortcuts, LoadFavorites vs bare walk+read",
              FormatSeconds(times.subject), FormatSeconds(times.baseline),
              FormatRatio(times.ratio()), "<= 1.5x", sameWork && times.ratio() <= 1.5});
}

double memoryPerEntry(const BookmarkModel& tree, std::size_t heapBytes, const char* state)
{
    const TreeCensus census = TakeCensus(tree);
    std::fprintf(stderr, "memory, %s: %zu bytes for %d entries, %zu of them characters\n", state,
                 heapBytes, census.entries(), census.characterBytes);
    return (double(heapBytes) - double(census.characterBytes)) / census.entries();
}

// Every link gets a verdict text of its own, as a run leaves them.
void verifyEveryLink(BookmarkModel& tree)
{
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        if (!BookmarkModel::entry(node)->IsFolder)
            tree.setStatus(node, StatusDead, QString::fromLatin1("Dead: 404 Not Found"));
    }
}

void reportMemory(const std::filesystem::path& favorites)
{
    const std::size_t before = HeapInUse();
    auto tree = std::make_unique<BookmarkModel>();
    LoadFavorites(*tree, favorites);
    const double unverified = memoryPerEntry(*tree, HeapInUse() - before, "unverified");
    PrintRow({"2 tree memory per entry beyond characters", FormatNumber(unverified, 0) + " bytes",
              "-", "-", "< 400 bytes", unverified < 400});
    verifyEveryLink(*tree);
    const double verified = memoryPerEntry(*tree, HeapInUse() - before, "all verified");
    PrintRow({"2b the same with every link verified", FormatNumber(verified, 0) + " bytes", "-",
              "-", "< 400 bytes", verified < 400});
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FAVORITES-FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path favorites = argv[1];
    TreeCensus census;
    {
        BookmarkModel tree;
        LoadFavorites(tree, favorites);
        census = TakeCensus(tree);
    }
    if (census.links == 0) {
        std::fprintf(stderr, "scan: no links found in %s\n", argv[1]);
        return 1;
    }
    reportLoadTime(favorites, census);
    reportMemory(favorites);
    return 0;
}
