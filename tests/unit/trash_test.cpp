// The Trash on mounts apart from the home trash's, in a mount namespace of
// this test program's own: trash folders that are not the user's own are
// never used, and each entry finds the top folder of the mount it is on.
#include "Trash.h"

#include "ScopedMount.h"
#include "TempDir.h"
#include "UniqueFd.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <set>

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Made before main(), while the process still has one thread, since a
// process with several may not leave its mount namespace. Gives why it could
// not be made, or nothing.
std::string enterPrivateMountNamespace()
{
    if (::unshare(CLONE_NEWNS) != 0)
        return std::string("unshare: ") + std::strerror(errno);
    // Our mounts must never show through to the machine's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("making mounts private: ") + std::strerror(errno);
    return {};
}

const std::string NamespaceFailure = enterPrivateMountNamespace();

constexpr uid_t Stranger = 54321;
const std::string Disk = "disk-mounted-apart-from-home";
const std::string Uid = std::to_string(::getuid());
const std::string OwnTrash = ".Trash-" + Uid;

UniqueFd openDir(const fs::path& path)
{
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

void makeFolder(const fs::path& path, mode_t mode, uid_t owner = ::getuid())
{
    fs::create_directories(path);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    EXPECT_EQ(::chown(path.c_str(), owner, gid_t(-1)), 0);
}

// Every name below folder, links not followed.
std::set<fs::path> contents(const fs::path& folder)
{
    std::set<fs::path> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(entry.path());
    return names;
}

// Entries on a disk of their own (a tmpfs, world-writable at its top like a
// shared disk); the home trash lies elsewhere.
struct TrashOnOtherMount : ::testing::Test
{
    TempDir temp;
    fs::path disk = temp.mkdir(Disk);
    ScopedMount mounted{"none", disk, "tmpfs", 0};
    std::optional<std::string> savedDataHome;

    void SetUp() override
    {
        if (!NamespaceFailure.empty() || !mounted.mounted())
            GTEST_SKIP() << "no mount namespace of our own here (needs root): " << NamespaceFailure;
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            savedDataHome = old;
        ::setenv("XDG_DATA_HOME", (temp / "data").c_str(), 1);
    }
    void TearDown() override
    {
        if (savedDataHome)
            ::setenv("XDG_DATA_HOME", savedDataHome->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }
};

struct TrashLayout
{
    const char* layout;
    std::function<void(const fs::path& disk)> prepare;
    TrashOutcome outcome;
    std::string trashedAs; // below the disk; empty when the entry stays
    std::string untouched; // below the disk: a folder nothing may be written into
    std::string name = "A.url";
};

} // namespace

TEST_F(TrashOnOtherMount, OnlyTheUsersOwnTrashFoldersAreUsedAndARefusalSaysWhy)
{
    const std::vector<TrashLayout> layouts{
        {"another user's .Trash-$uid",
         [](const fs::path& d) { makeFolder(d / OwnTrash, 0700, Stranger); },
         TrashOutcome::UnsafeTrash, "", OwnTrash},
        {".Trash-$uid open to others", [](const fs::path& d) { makeFolder(d / OwnTrash, 0777); },
         TrashOutcome::UnsafeTrash, "", OwnTrash},
        {".Trash-$uid a link to a folder",
         [](const fs::path& d) {
             makeFolder(d / "elsewhere", 0700);
             fs::create_directory_symlink("elsewhere", d / OwnTrash);
         },
         TrashOutcome::UnsafeTrash, "", "elsewhere"},
        {"files/ in .Trash-$uid another user's",
         [](const fs::path& d) {
             makeFolder(d / OwnTrash, 0700);
             makeFolder(d / OwnTrash / "files", 0700, Stranger);
         },
         TrashOutcome::UnsafeTrash, "", OwnTrash},
        {".Trash without the sticky bit",
         [](const fs::path& d) { makeFolder(d / ".Trash" / Uid, 0777); }, TrashOutcome::Moved,
         OwnTrash, ".Trash"},
        {".Trash/$uid another user's",
         [](const fs::path& d) {
             makeFolder(d / ".Trash", 01777);
             makeFolder(d / ".Trash" / Uid, 0700, Stranger);
         },
         TrashOutcome::Moved, OwnTrash, ".Trash"},
        {".Trash a link to a sticky folder",
         [](const fs::path& d) {
             makeFolder(d / "shared", 01777);
             fs::create_directory_symlink("shared", d / ".Trash");
         },
         TrashOutcome::Moved, OwnTrash, "shared"},
        {"a sticky .Trash", [](const fs::path& d) { makeFolder(d / ".Trash", 01777); },
         TrashOutcome::Moved, ".Trash/" + Uid, ""},
        {"a name with no room for a trash record", [](const fs::path&) {},
         TrashOutcome::NameTooLong, "", "", std::string(246, 'n') + ".url"},
        {"a read-only mount",
         [](const fs::path& d) {
             EXPECT_EQ(
                 ::mount(nullptr, d.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
                 0);
         },
         TrashOutcome::Unreachable, "", ""},
    };
    for (const TrashLayout& row : layouts) {
        SCOPED_TRACE(row.layout);
        const ScopedMount fresh("none", disk, "tmpfs", 0);
        const fs::path entry = temp.write(Disk + "/Favorites/" + row.name, "bytes");
        row.prepare(disk);
        const std::set<fs::path> before =
            row.untouched.empty() ? std::set<fs::path>() : contents(disk / row.untouched);

        Trash trash;
        EXPECT_EQ(trash.move(openDir(disk / "Favorites").get(), row.name), row.outcome);

        if (!row.untouched.empty()) {
            EXPECT_EQ(contents(disk / row.untouched), before);
        }
        EXPECT_EQ(fs::exists(entry), row.trashedAs.empty());
        if (row.trashedAs.empty())
            continue;
        const fs::path own = disk / row.trashedAs;
        EXPECT_EQ(ReadFileBytes(own / "files" / row.name), "bytes");
        EXPECT_NE(ReadFileBytes(own / "info" / (row.name + ".trashinfo"))
                      .find("\nPath=Favorites/" + row.name + "\n"),
                  std::string::npos);
        EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
    }
}

TEST_F(TrashOnOtherMount, EntriesOnTwoMountsOfOneDiskGoEachToTheTrashOfItsOwnMount)
{
    temp.write(Disk + "/Favorites/A.url", "a");
    temp.write(Disk + "/Shared/B.url", "b");
    temp.write(Disk + "/Favorites/C.url", "c");
    // The same disk once more, at a shorter path: a bind mount.
    const fs::path bound = temp.mkdir("b");
    const ScopedMount bind((disk / "Shared").c_str(), bound, nullptr, MS_BIND);
    ASSERT_TRUE(bind.mounted());
    // And a bind mount of the home trash's own disk, which a rename into the
    // home trash cannot cross either.
    temp.write("home-disk/D.url", "d");
    const fs::path homeBound = temp.mkdir("home-bound");
    const ScopedMount homeBind((temp / "home-disk").c_str(), homeBound, nullptr, MS_BIND);
    ASSERT_TRUE(homeBind.mounted());

    Trash trash;
    EXPECT_EQ(trash.move(openDir(disk / "Favorites").get(), "A.url"), TrashOutcome::Moved);
    EXPECT_EQ(trash.move(openDir(bound).get(), "B.url"), TrashOutcome::Moved);
    EXPECT_EQ(trash.move(openDir(disk / "Favorites").get(), "C.url"), TrashOutcome::Moved);
    EXPECT_EQ(trash.move(openDir(homeBound).get(), "D.url"), TrashOutcome::Moved);

    EXPECT_EQ(ReadFileBytes(disk / OwnTrash / "files/A.url"), "a");
    EXPECT_EQ(ReadFileBytes(disk / OwnTrash / "files/C.url"), "c");
    EXPECT_EQ(ReadFileBytes(bound / OwnTrash / "files/B.url"), "b");
    EXPECT_EQ(ReadFileBytes(homeBound / OwnTrash / "files/D.url"), "d");
    EXPECT_NE(ReadFileBytes(bound / OwnTrash / "info/B.url.trashinfo").find("\nPath=B.url\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(temp / "data/Trash/files/D.url"));
}
