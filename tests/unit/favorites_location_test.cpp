#include "FavoritesLocation.h"

#include "TempDir.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// HOME, USER and WINEPREFIX as a test sets them, and the current folder,
// restored afterwards.
class FavoritesLocation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("HOME", QByteArray::fromStdString(home.path().native()));
        qputenv("USER", "alice");
        qunsetenv("WINEPREFIX");
    }
    void TearDown() override
    {
        std::filesystem::current_path(cwd_);
        restore("HOME", home_);
        restore("USER", user_);
        restore("WINEPREFIX", prefix_);
    }

    TempDir home;

private:
    using Saved = std::pair<bool, QByteArray>;
    static Saved save(const char* name) { return {qEnvironmentVariableIsSet(name), qgetenv(name)}; }
    static void restore(const char* name, const Saved& saved)
    {
        if (saved.first)
            qputenv(name, saved.second);
        else
            qunsetenv(name);
    }

    std::filesystem::path cwd_ = std::filesystem::current_path();
    Saved home_ = save("HOME");
    Saved user_ = save("USER");
    Saved prefix_ = save("WINEPREFIX");
};

} // namespace

TEST_F(FavoritesLocation, CommandLineThenHomeThenWinePrefixesWithTheOwnUserFirst)
{
    // Nothing anywhere: the usual place, though it is not there.
    EXPECT_EQ(FindFavoritesFolder(""), home / "Favorites");

    // ~/.wine: the user's own folder before the others, which go in name order.
    home.mkdir(".wine/drive_c/users/zed/Favorites");
    home.mkdir(".wine/drive_c/users/alice/Favorites");
    home.mkdir(".wine/drive_c/users/Public/Favorites");
    home.mkdir(".wine/drive_c/users/bob"); // no Favorites of its own
    EXPECT_EQ(FindFavoritesFolder(""), home / ".wine/drive_c/users/alice/Favorites");
    qputenv("USER", "bob");
    EXPECT_EQ(FindFavoritesFolder(""), home / ".wine/drive_c/users/Public/Favorites");

    // $WINEPREFIX comes before ~/.wine, and a prefix without one passes on.
    qputenv("WINEPREFIX", QByteArray::fromStdString((home / "empty-prefix").native()));
    EXPECT_EQ(FindFavoritesFolder(""), home / ".wine/drive_c/users/Public/Favorites");
    const auto prefix = home.mkdir("p\xff/drive_c/users/bob/Favorites");
    qputenv("WINEPREFIX", QByteArray::fromStdString((home / "p\xff/").native()));
    EXPECT_EQ(FindFavoritesFolder("").native(), prefix.native());

    // ~/Favorites before any prefix.
    const auto own = home.mkdir("Favorites");
    EXPECT_EQ(FindFavoritesFolder(""), own);

    // The folder chosen last time before it, while it is there.
    EXPECT_EQ(FindFavoritesFolder("", home.mkdir("Chosen")), home / "Chosen");

    // A named folder before everything, found or not; a relative name is
    // taken from the current directory, bytes and all.
    EXPECT_EQ(FindFavoritesFolder("/nowhere/Links/", home / "Chosen"), "/nowhere/Links");
    std::filesystem::current_path(home.path());
    EXPECT_EQ(FindFavoritesFolder("sub/f\xfe").native(),
              std::filesystem::current_path().native() + "/sub/f\xfe");
}

TEST_F(FavoritesLocation, WineFoldersOfAnotherAccountOrLeadingOutOfThePrefixAreNotUsed)
{
    const auto alice = home.mkdir(".wine/drive_c/users/alice/Favorites");
    const auto bob = home.mkdir(".wine/drive_c/users/bob/Favorites");
    std::filesystem::remove(alice);
    std::filesystem::create_directory_symlink(home.mkdir("elsewhere"), alice);
    EXPECT_EQ(FindFavoritesFolder(""), bob);
    if (geteuid() != 0)
        GTEST_SKIP() << "only root may give a folder to another account";
    for (const auto& owned : {home / ".wine", bob.parent_path(), bob}) {
        ASSERT_EQ(::chown(owned.c_str(), 54321, gid_t(-1)), 0);
        EXPECT_EQ(FindFavoritesFolder(""), home / "Favorites") << owned;
        ASSERT_EQ(::chown(owned.c_str(), 0, gid_t(-1)), 0);
    }
}
