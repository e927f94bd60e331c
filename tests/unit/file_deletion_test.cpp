#include "FileDeletion.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

bool present(const fs::path& path)
{
    return fs::exists(fs::symlink_status(path));
}

} // namespace

TEST(DeleteShortcutFile, RemovesFilesAndLinksButNeverFolders)
{
    TempDir temp;
    const auto file = temp.write("Mail.url", "[InternetShortcut]\r\n");
    EXPECT_TRUE(DeleteShortcutFile(file));
    EXPECT_FALSE(present(file));

    // A shortcut that was replaced by a folder in the meantime stays.
    const auto folder = temp.write("old.url/inner.url", "x").parent_path();
    EXPECT_FALSE(DeleteShortcutFile(folder));
    EXPECT_TRUE(present(temp / "old.url/inner.url"));

    // A link goes; what it points at does not.
    const auto target = temp.write("target.url", "keep");
    fs::create_symlink(target, temp / "link.url");
    EXPECT_TRUE(DeleteShortcutFile(temp / "link.url"));
    EXPECT_FALSE(present(temp / "link.url"));
    EXPECT_EQ(ReadFileBytes(target), "keep");

    EXPECT_FALSE(DeleteShortcutFile(temp / "missing.url"));
    EXPECT_FALSE(DeleteShortcutFile(fs::path()));
}

TEST(DeleteShortcutFile, NameThatIsNotUtf8IsDeletedExactly)
{
    TempDir temp;
    const auto odd = temp.write("caf\xE9.url", "x"); // 8-bit name
    const auto other = temp.write("caf\xC3\xA9.url", "y");
    EXPECT_TRUE(DeleteShortcutFile(odd));
    EXPECT_FALSE(present(odd));
    EXPECT_TRUE(present(other));
}

TEST(DeleteFolder, RemovesTheWholeTree)
{
    TempDir temp;
    temp.write("Fav/Travel/Maps.url", "x");
    temp.write("Fav/Travel/Deep/Deeper/.hidden.url", "x");
    temp.mkdir("Fav/Travel/Empty");
    temp.write("Fav/Keep.url", "x");
    EXPECT_TRUE(DeleteFolder(temp / "Fav/Travel"));
    EXPECT_FALSE(present(temp / "Fav/Travel"));
    EXPECT_TRUE(present(temp / "Fav/Keep.url"));
}

TEST(DeleteFolder, NeverFollowsALinkOutOfTheTree)
{
    TempDir temp;
    const auto outside = temp.write("Outside/precious.txt", "keep").parent_path();
    temp.write("Fav/Travel/Maps.url", "x");
    fs::create_directory_symlink(outside, temp / "Fav/Travel/escape");
    fs::create_symlink(outside / "precious.txt", temp / "Fav/Travel/file-link");

    EXPECT_TRUE(DeleteFolder(temp / "Fav/Travel"));
    EXPECT_FALSE(present(temp / "Fav/Travel"));
    EXPECT_EQ(ReadFileBytes(outside / "precious.txt"), "keep");
}

TEST(DeleteFolder, LinkedFolderLosesOnlyTheLink)
{
    TempDir temp;
    const auto outside = temp.write("Outside/precious.txt", "keep").parent_path();
    fs::create_directory_symlink(outside, temp / "Linked");
    fs::create_directory_symlink(outside, temp / "Slashed");

    EXPECT_TRUE(DeleteFolder(temp / "Linked"));
    EXPECT_FALSE(present(temp / "Linked"));
    // A trailing separator would make the system look through the link.
    EXPECT_TRUE(DeleteFolder((temp / "Slashed").native() + "/"));
    EXPECT_FALSE(present(temp / "Slashed"));
    EXPECT_EQ(ReadFileBytes(outside / "precious.txt"), "keep");

    fs::create_symlink(temp / "nowhere", temp / "dangling");
    EXPECT_TRUE(DeleteFolder(temp / "dangling"));
    EXPECT_FALSE(present(temp / "dangling"));
}

TEST(DeleteFolder, RefusesFilesAndMissingPaths)
{
    TempDir temp;
    const auto file = temp.write("Mail.url", "x");
    EXPECT_FALSE(DeleteFolder(file));
    EXPECT_TRUE(present(file));
    EXPECT_FALSE(DeleteFolder(temp / "missing"));
    EXPECT_FALSE(DeleteFolder(fs::path()));
}
