#include "EntryWalk.h"
#include "FileDeletion.h"

#include "ScopedMount.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

#include <fcntl.h>

namespace fs = std::filesystem;

namespace {

bool present(const fs::path& path)
{
    return fs::exists(fs::symlink_status(path));
}

UniqueFd openDir(const fs::path& path)
{
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

} // namespace

TEST(DeleteFileAt, RemovesFilesAndLinksButNeverFolders)
{
    TempDir temp;
    const UniqueFd dir = openDir(temp.path());
    const auto odd = temp.write("caf\xE9.url", "x"); // an 8-bit name, no UTF-8
    const auto other = temp.write("caf\xC3\xA9.url", "y");
    EXPECT_TRUE(DeleteFileAt(dir.get(), "caf\xE9.url"));
    EXPECT_FALSE(present(odd));
    EXPECT_TRUE(present(other));

    // A shortcut replaced by a folder in the meantime stays.
    temp.write("old.url/inner.url", "x");
    EXPECT_FALSE(DeleteFileAt(dir.get(), "old.url"));
    EXPECT_TRUE(present(temp / "old.url/inner.url"));

    fs::create_symlink(other, temp / "link.url");
    EXPECT_TRUE(DeleteFileAt(dir.get(), "link.url"));
    EXPECT_FALSE(present(temp / "link.url"));
    EXPECT_EQ(ReadFileBytes(other), "y");

    EXPECT_FALSE(DeleteFileAt(dir.get(), "missing.url"));
}

TEST(DeleteFolderAt, RemovesTheTreeButNothingALinkLeadsTo)
{
    TempDir temp;
    const auto outside = temp.write("Outside/precious.txt", "keep").parent_path();
    temp.write("Fav/Travel/Deep/.hidden.url", "x");
    temp.write("Fav/Keep.url", "x");
    fs::create_directory_symlink(outside, temp / "Fav/Travel/escape");
    fs::create_symlink(outside / "precious.txt", temp / "Fav/Travel/file-link");
    fs::create_directory_symlink(outside, temp / "Fav/Linked");
    const UniqueFd fav = openDir(temp / "Fav");

    EXPECT_TRUE(DeleteFolderAt(fav.get(), "Travel", {}));
    EXPECT_TRUE(DeleteFolderAt(fav.get(), "Linked", {}));
    EXPECT_FALSE(present(temp / "Fav/Travel"));
    EXPECT_FALSE(present(temp / "Fav/Linked"));
    EXPECT_TRUE(present(temp / "Fav/Keep.url"));
    EXPECT_EQ(ReadFileBytes(outside / "precious.txt"), "keep");

    EXPECT_FALSE(DeleteFolderAt(fav.get(), "Keep.url", {}));
    EXPECT_FALSE(DeleteFolderAt(fav.get(), "missing", {}));
    EXPECT_TRUE(present(temp / "Fav/Keep.url"));
}

TEST(DeleteFolderAt, StopsAtOtherFileSystemsAndNeverRemovesTheFavoritesFolderOrAbove)
{
    TempDir temp;
    temp.write("Fav/Keep.url", "x");
    temp.write("Fav/Travel/Maps.url", "x");
    temp.mkdir("Fav/Travel/Mounted");
    temp.mkdir("Fav/Travel/Self");
    temp.mkdir("Fav/Travel/Above");
    const ScopedMount other("none", temp / "Fav/Travel/Mounted", "tmpfs", 0);
    const ScopedMount self((temp / "Fav").c_str(), temp / "Fav/Travel/Self", nullptr, MS_BIND);
    const ScopedMount above(temp.path().c_str(), temp / "Fav/Travel/Above", nullptr, MS_BIND);
    if (!other.mounted() || !self.mounted() || !above.mounted())
        GTEST_SKIP() << "mounting is not allowed here (needs root and mount rights)";
    const fs::path onOther = temp / "Fav/Travel/Mounted/far.url";
    std::ofstream(onOther) << "far";
    const UniqueFd fav = openDir(temp / "Fav");

    EXPECT_FALSE(DeleteFolderAt(fav.get(), "Travel", FolderAndAncestors((temp / "Fav").native())));

    EXPECT_FALSE(present(temp / "Fav/Travel/Maps.url"));
    EXPECT_TRUE(present(onOther));
    EXPECT_TRUE(present(temp / "Fav/Keep.url"));
    EXPECT_TRUE(present(temp / "Fav/Travel/Self/Keep.url"));
    EXPECT_TRUE(present(temp / "Fav/Travel/Above/Fav/Keep.url"));
}
