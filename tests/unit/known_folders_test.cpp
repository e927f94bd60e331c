#include "KnownFolders.h"

#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString qpath(const std::filesystem::path& path)
{
    return QFile::decodeName(path.c_str());
}

// Points HOME and XDG_CONFIG_HOME into a temporary folder and restores them.
class KnownFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("HOME", temp.path().c_str());
        qunsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override
    {
        qputenv("HOME", home_);
        if (xdgSet_)
            qputenv("XDG_CONFIG_HOME", xdg_);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    static void setXdg(const std::filesystem::path& path)
    {
        qputenv("XDG_CONFIG_HOME", path.c_str());
    }

    TempDir temp;

private:
    QByteArray home_ = qgetenv("HOME");
    QByteArray xdg_ = qgetenv("XDG_CONFIG_HOME");
    bool xdgSet_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
};

} // namespace

TEST_F(KnownFolders, AppDataIsAnAbsoluteXdgConfigHomeElseHomeConfig)
{
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), qpath(temp / ".config"));
    setXdg("relative/conf");
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), qpath(temp / ".config"));
    setXdg(temp / "conf");
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), qpath(temp / "conf"));
    // Worked out afresh on every call.
    EXPECT_EQ(ConfigFilePath(), temp / "conf/Orvanta/Config.ini");
    setXdg(temp / "other");
    EXPECT_EQ(DataFolderPath(), temp / "other/Orvanta");

    // A home folder whose name is not UTF-8 keeps its bytes.
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(temp.path().native() + "/h\xff\xfe"));
    EXPECT_EQ(ConfigFilePath().native(),
              temp.path().native() + "/h\xff\xfe/.config/Orvanta/Config.ini");
}

TEST_F(KnownFolders, FavoritesLiveInHomeAndOtherNamesAreUnknown)
{
    qputenv("HOME", QByteArray::fromStdString(temp.path().native() + "/"));
    EXPECT_EQ(FavoritesFolder(), temp / "Favorites");
    EXPECT_EQ(GetShellFolder(QStringLiteral("Favorites")), qpath(temp / "Favorites"));
    EXPECT_EQ(GetShellFolder(QStringLiteral("Desktop")), QString());

    qputenv("HOME", "");
    EXPECT_TRUE(FavoritesFolder().empty());
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), QString());
    EXPECT_EQ(DataFolderPath(), "/Orvanta");
}

TEST_F(KnownFolders, DataFolderIsMadeWithItsParentsAndNeverReplaced)
{
    using std::filesystem::perms;
    const auto mode = [](const std::filesystem::path& path) {
        return std::filesystem::status(path).permissions() & perms::all;
    };
    // A new account: neither ~/.config nor anything above the data folder.
    setXdg(temp / "new/conf");
    const mode_t saved = ::umask(022);
    EnsureDataFolder();
    ::umask(saved);
    EXPECT_EQ(mode(temp / "new"), perms::owner_all);
    EXPECT_EQ(mode(temp / "new/conf"), perms::owner_all);
    EXPECT_EQ(mode(temp / "new/conf/Orvanta"), perms::owner_all);

    // A folder that exists keeps its mode.
    setXdg(temp.mkdir("conf"));
    std::filesystem::permissions(temp / "conf",
                                 perms::owner_all | perms::group_read | perms::group_exec);
    EnsureDataFolder();
    EXPECT_TRUE(std::filesystem::is_directory(temp / "conf/Orvanta"));
    EXPECT_EQ(mode(temp / "conf"), perms::owner_all | perms::group_read | perms::group_exec);

    const auto config = temp.write("conf/Orvanta/Config.ini", "[Options]\r\n");
    EnsureDataFolder();
    EXPECT_EQ(ReadFileBytes(config), "[Options]\r\n");

    // Nothing is made inside another user's folder: under sudo with the
    // user's HOME it would be root's and shut the user out.
    const std::filesystem::path theirs = temp.mkdir("theirs");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    setXdg(theirs / "conf");
    EnsureDataFolder();
    EXPECT_FALSE(std::filesystem::exists(theirs / "conf"));

    temp.write("file/Orvanta", "not a folder");
    setXdg(temp / "file");
    EnsureDataFolder();
    EXPECT_EQ(ReadFileBytes(temp / "file/Orvanta"), "not a folder");
}

TEST_F(KnownFolders, DirectoryExistsFollowsLinks)
{
    const auto dir = temp.mkdir("real");
    std::filesystem::create_directory_symlink(dir, temp / "dir-link");
    std::filesystem::create_symlink(temp / "nowhere", temp / "dangling");
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_TRUE(DirectoryExists(temp / "dir-link"));
    EXPECT_FALSE(DirectoryExists(temp.write("file", "x")));
    EXPECT_FALSE(DirectoryExists(temp / "dangling"));
    EXPECT_FALSE(DirectoryExists(std::filesystem::path()));
}
