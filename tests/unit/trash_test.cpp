// The Trash on a disk apart from the home trash's, in a mount namespace of
// this test program's own (our mounts never show outside it).
#include "ScopedMount.h"
#include "TempDir.h"
#include "Trash.h"
#include "UniqueFd.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include <fcntl.h>
#include <sched.h>

namespace fs = std::filesystem;

namespace {

// Before main(), while the process has one thread: one with several may not
// leave its mount namespace.
const bool OwnMounts = ::unshare(CLONE_NEWNS) == 0 &&
                       ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
const std::string Own = ".Trash-" + std::to_string(::getuid());

TrashOutcome moveOut(Trash& trash, const fs::path& folder, const std::string& name)
{
    return trash.move(UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY)).get(), name);
}

struct TrashOnOtherMount : ::testing::Test
{
    TempDir temp;
    fs::path disk = temp.mkdir("disk-mounted-apart-from-home");
    void SetUp() override
    {
        if (!OwnMounts)
            GTEST_SKIP() << "no mount namespace of our own here (needs root)";
        ::setenv("XDG_DATA_HOME", (temp / "data").c_str(), 1); // every test here sets its own
    }
};

} // namespace

TEST_F(TrashOnOtherMount, OnlyTheUsersOwnTrashFoldersAreUsedAndARefusalSaysWhy)
{
    const struct
    {
        const char* layout; // made on a fresh disk, $U being the user's id
        TrashOutcome outcome;
        std::string used; // the only place where anything may be written
        std::string name = "A.url";
    } rows[] = {
        {"mkdir -m 700 .Trash-$U && chown 54321 .Trash-$U", TrashOutcome::UnsafeTrash, ""},
        {"mkdir -m 777 .Trash-$U", TrashOutcome::UnsafeTrash, ""},
        {"mkdir -m 700 away && ln -s away .Trash-$U", TrashOutcome::UnsafeTrash, ""},
        {"mkdir -m 700 .Trash-$U .Trash-$U/files && chown 54321 .Trash-$U/files",
         TrashOutcome::UnsafeTrash, ""},
        {"mkdir -m 1777 .Trash .Trash/$U && chown 54321 .Trash/$U", TrashOutcome::Moved, Own},
        {"mkdir -m 1777 .Trash", TrashOutcome::Moved, ".Trash/" + std::to_string(::getuid())},
        {"", TrashOutcome::NameTooLong, Own, std::string(246, 'n') + ".url"},
    };
    const auto contents = [&] {
        return std::set<fs::path>(fs::recursive_directory_iterator(disk), {});
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.layout);
        const ScopedMount fresh("none", disk, "tmpfs", 0);
        const fs::path entry = temp.write(disk.filename() / "Favorites" / row.name, "bytes");
        const std::string layout = "cd '" + disk.string() + "' && U=$(id -u); " + row.layout;
        ASSERT_EQ(std::system(layout.c_str()), 0);
        const std::set<fs::path> before = contents();
        Trash trash;

        EXPECT_EQ(moveOut(trash, disk / "Favorites", row.name), row.outcome);
        EXPECT_EQ(fs::exists(entry), row.outcome != TrashOutcome::Moved);
        for (const fs::path& path : contents())
            EXPECT_TRUE(
                before.count(path) ||
                (!row.used.empty() && path.native().starts_with((disk / row.used).native())))
                << path;
    }
}

TEST_F(TrashOnOtherMount, EntriesOnTwoMountsOfOneDiskGoEachToTheTrashOfItsOwnMount)
{
    const ScopedMount tmpfs("none", disk, "tmpfs", 0);
    for (const char* name : {"Favorites/A.url", "Favorites/C.url", "Shared/B.url"})
        temp.write(disk.filename() / name, name);
    temp.write("home-disk/D.url", "D");
    // Bind mounts: the disk once more at a shorter path, and the home trash's
    // own disk at another place, which a rename into the home trash cannot cross.
    const fs::path bound = temp.mkdir("b");
    const fs::path homeBound = temp.mkdir("home-bound");
    const ScopedMount bind((disk / "Shared").c_str(), bound, nullptr, MS_BIND);
    const ScopedMount homeBind((temp / "home-disk").c_str(), homeBound, nullptr, MS_BIND);
    ASSERT_TRUE(tmpfs.mounted() && bind.mounted() && homeBind.mounted());
    Trash trash;

    for (const auto& [folder, name, top] : {std::tuple{disk / "Favorites", "A.url", disk},
                                            {bound, "B.url", bound},
                                            {disk / "Favorites", "C.url", disk},
                                            {homeBound, "D.url", homeBound}}) {
        EXPECT_EQ(moveOut(trash, folder, name), TrashOutcome::Moved) << name;
        EXPECT_TRUE(fs::exists(top / Own / "files" / name)) << name;
    }
    EXPECT_NE(ReadFileBytes(bound / Own / "info/B.url.trashinfo").find("\nPath=B.url\n"),
              std::string::npos);
}
