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
    const auto odd = temp.write("caf\xE9.url", "x"); // an 8-bit name, no UTF-8
    const auto other = temp.write("caf\xC3\xA9.url", "y");
    EXPECT_TRUE(DeleteShortcutFile(odd));
    EXPECT_FALSE(present(odd));
    EXPECT_TRUE(present(other));

    // A shortcut replaced by a folder in the meantime stays.
    temp.write("old.url/inner.url", "x");
    EXPECT_FALSE(DeleteShortcutFile(temp / "old.url"));
    EXPECT_TRUE(present(temp / "old.url/inner.url"));

    fs::create_symlink(other, temp / "link.url");
    EXPECT_TRUE(DeleteShortcutFile(temp / "link.url"));
    EXPECT_FALSE(present(temp / "link.url"));
    EXPECT_EQ(ReadFileBytes(other), "y");

    EXPECT_FALSE(DeleteShortcutFile(temp / "missing.url"));
    EXPECT_FALSE(DeleteShortcutFile(fs::path()));
}

TEST(DeleteFolder, RemovesTheTreeButNothingALinkInsideLeadsTo)
{
    TempDir temp;
    const auto outside = temp.write("Outside/precious.txt", "keep").parent_path();
    temp.write("Fav/Travel/Deep/.hidden.url", "x");
    temp.write("Fav/Keep.url", "x");
    fs::create_directory_symlink(outside, temp / "Fav/Travel/escape");
    fs::create_symlink(outside / "precious.txt", temp / "Fav/Travel/file-link");

    EXPECT_TRUE(DeleteFolder(temp / "Fav/Travel"));
    EXPECT_FALSE(present(temp / "Fav/Travel"));
    EXPECT_TRUE(present(temp / "Fav/Keep.url"));
    EXPECT_EQ(ReadFileBytes(outside / "precious.txt"), "keep");
}

TEST(DeleteFolder, LinkedFolderLosesOnlyTheLink)
{
    TempDir temp;
    const auto outside = temp.write("Outside/precious.txt", "keep").parent_path();
    fs::create_directory_symlink(outside, temp / "Linked");
    fs::create_directory_symlink(outside, temp / "Slashed");
    fs::create_symlink(temp / "nowhere", temp / "dangling");

    EXPECT_TRUE(DeleteFolder(temp / "Linked"));
    // A trailing separator would make the system look through the link.
    EXPECT_TRUE(DeleteFolder((temp / "Slashed").native() + "/"));
    EXPECT_TRUE(DeleteFolder(temp / "dangling"));
    for (const char* name : {"Linked", "Slashed", "dangling"})
        EXPECT_FALSE(present(temp / name)) << name;
    EXPECT_EQ(ReadFileBytes(outside / "precious.txt"), "keep");
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
