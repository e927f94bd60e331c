#include "KnownFolders.h"

#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Points HOME and XDG_CONFIG_HOME where a test wants them and puts the old
// values back afterwards.
class EnvironmentGuard final
{
public:
    EnvironmentGuard() : home_(save("HOME")), xdg_(save("XDG_CONFIG_HOME")) {}
    ~EnvironmentGuard()
    {
        restore("HOME", home_);
        restore("XDG_CONFIG_HOME", xdg_);
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

    static void set(const char* name, const std::string& value)
    {
        qputenv(name, QByteArray::fromStdString(value));
    }
    static void unset(const char* name) { qunsetenv(name); }

private:
    struct Saved
    {
        bool present;
        QByteArray value;
    };
    static Saved save(const char* name) { return {qEnvironmentVariableIsSet(name), qgetenv(name)}; }
    static void restore(const char* name, const Saved& saved)
    {
        if (saved.present)
            qputenv(name, saved.value);
        else
            qunsetenv(name);
    }

    Saved home_;
    Saved xdg_;
};

QString qpath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

class KnownFolders : public ::testing::Test
{
protected:
    EnvironmentGuard environment;
    TempDir temp;
};

} // namespace

TEST_F(KnownFolders, AppDataPrefersAnAbsoluteXdgConfigHome)
{
    EnvironmentGuard::set("HOME", temp.path().native());
    EnvironmentGuard::set("XDG_CONFIG_HOME", (temp / "conf").native());
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), qpath(temp / "conf"));
    EXPECT_EQ(DataFolderPath(), qpath(temp / "conf/Orvanta"));
    EXPECT_EQ(ConfigFilePath(), qpath(temp / "conf/Orvanta/Config.ini"));
}

TEST_F(KnownFolders, AppDataFallsBackToHomeConfig)
{
    EnvironmentGuard::set("HOME", temp.path().native() + "/");
    EnvironmentGuard::unset("XDG_CONFIG_HOME");
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), qpath(temp / ".config"));

    // A relative XDG_CONFIG_HOME is not to be used.
    EnvironmentGuard::set("XDG_CONFIG_HOME", "relative/conf");
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), qpath(temp / ".config"));
    EnvironmentGuard::set("XDG_CONFIG_HOME", "");
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), qpath(temp / ".config"));
}

TEST_F(KnownFolders, NoHomeGivesNoFolders)
{
    EnvironmentGuard::set("HOME", "");
    EnvironmentGuard::unset("XDG_CONFIG_HOME");
    EXPECT_EQ(GetShellFolder(QStringLiteral("AppData")), QString());
    EXPECT_EQ(GetShellFolder(QStringLiteral("Favorites")), QString());
    EXPECT_TRUE(FavoritesFolder().empty());
    EXPECT_EQ(DataFolderPath(), QStringLiteral("/Orvanta"));
}

TEST_F(KnownFolders, FavoritesLiveInHome)
{
    EnvironmentGuard::set("HOME", temp.path().native());
    EXPECT_EQ(FavoritesFolder(), temp / "Favorites");
    EXPECT_EQ(GetShellFolder(QStringLiteral("Favorites")), qpath(temp / "Favorites"));
    EXPECT_EQ(GetShellFolder(QStringLiteral("Desktop")), QString());
    EXPECT_EQ(GetShellFolder(QString()), QString());
}

TEST_F(KnownFolders, PathsFollowTheEnvironmentOnEveryCall)
{
    EnvironmentGuard::set("XDG_CONFIG_HOME", (temp / "one").native());
    EXPECT_EQ(DataFolderPath(), qpath(temp / "one/Orvanta"));
    EnvironmentGuard::set("XDG_CONFIG_HOME", (temp / "two").native());
    EXPECT_EQ(DataFolderPath(), qpath(temp / "two/Orvanta"));
}

TEST_F(KnownFolders, DataFolderIsCreatedOneLevelOnly)
{
    temp.mkdir("conf");
    EnvironmentGuard::set("XDG_CONFIG_HOME", (temp / "conf").native());
    EnsureDataFolder();
    EXPECT_TRUE(std::filesystem::is_directory(temp / "conf/Orvanta"));

    EnvironmentGuard::set("XDG_CONFIG_HOME", (temp / "missing/conf").native());
    EnsureDataFolder();
    EXPECT_FALSE(std::filesystem::exists(temp / "missing"));
}

TEST_F(KnownFolders, ExistingDataFolderIsLeftAlone)
{
    const auto config = temp.write("conf/Orvanta/Config.ini", "[Options]\r\nProxy=host\r\n");
    EnvironmentGuard::set("XDG_CONFIG_HOME", (temp / "conf").native());
    EnsureDataFolder();
    EXPECT_EQ(ReadFileBytes(config), "[Options]\r\nProxy=host\r\n");

    // A file where the folder should be is not replaced either.
    temp.write("file-conf/Orvanta", "not a folder");
    EnvironmentGuard::set("XDG_CONFIG_HOME", (temp / "file-conf").native());
    EnsureDataFolder();
    EXPECT_EQ(ReadFileBytes(temp / "file-conf/Orvanta"), "not a folder");
}

TEST_F(KnownFolders, DirectoryExistsFollowsLinks)
{
    const auto dir = temp.mkdir("real");
    const auto file = temp.write("file", "x");
    std::filesystem::create_directory_symlink(dir, temp / "dir-link");
    std::filesystem::create_symlink(temp / "nowhere", temp / "dangling");

    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_TRUE(DirectoryExists(temp / "dir-link"));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DirectoryExists(temp / "dangling"));
    EXPECT_FALSE(DirectoryExists(temp / "missing"));
    EXPECT_FALSE(DirectoryExists(std::filesystem::path()));
}
