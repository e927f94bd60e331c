#include "RegularFile.h"
#include "Settings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    std::filesystem::path config() const { return temp_ / "Config.ini"; }
    void writeConfig(const std::string& bytes) const { temp_.write("Config.ini", bytes); }
    std::string configBytes() const { return ReadFileBytes(config()); }

    // Settings that differ from the defaults in every value.
    static Settings changed()
    {
        Settings settings;
        settings.proxy = ProxySettings{true, QStringLiteral("stale.local"), QStringLiteral("1")};
        settings.linksAtOnce = 7;
        settings.strictVerdicts = true;
        settings.useTrash = false;
        return settings;
    }

private:
    TempDir temp_;
};

TEST_F(SettingsTest, MissingFileGivesTheDefaultsAndIsNotCreated)
{
    Settings settings = changed();
    EXPECT_EQ(settings.load(config()), Settings::LoadStatus::Missing);
    EXPECT_FALSE(settings.proxy.useProxy);
    EXPECT_EQ(settings.proxy.address, "");
    EXPECT_EQ(settings.proxy.port, "80");
    EXPECT_EQ(settings.linksAtOnce, 128);
    EXPECT_FALSE(settings.strictVerdicts);
    EXPECT_TRUE(settings.useTrash);
    EXPECT_FALSE(std::filesystem::exists(config()));
}

TEST_F(SettingsTest, PresentKeysAreReadAndMissingOnesKeepTheirDefaults)
{
    writeConfig("[Window]\nProxy=elsewhere\n[options]\nproxy= proxy.local\nPort=\n");
    Settings settings = changed();
    EXPECT_EQ(settings.load(config()), Settings::LoadStatus::Read);
    EXPECT_EQ(settings.proxy.address, "proxy.local");
    EXPECT_EQ(settings.proxy.port, "") << "a present empty key is not the default";
    EXPECT_FALSE(settings.proxy.useProxy);

    writeConfig("[Options]\nUseProxy=1\n");
    settings.load(config());
    EXPECT_EQ(settings.proxy.address, "");
    EXPECT_EQ(settings.proxy.port, "80");
}

TEST_F(SettingsTest, FlagsAreOnForNonZeroIntegersOnlyAndANonNumberGivesTheDefault)
{
    const struct
    {
        const char* value;
        bool on;      // UseProxy, StrictVerdicts: off by default
        bool onTrash; // UseTrash, RemoveEmptyFolders: on by default
    } cases[] = {{"1", true, true},    {"-1", true, true},   {"0x1", true, true},
                 {"$A", true, true},   {"0", false, false},  {"-0", false, false},
                 {"$0", false, false}, {"", false, true},    {"yes", false, true},
                 {"1x", false, true},  {"off", false, true}, {"4294967296", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        writeConfig(std::string("[Options]\nUseProxy=") + c.value + "\nStrictVerdicts=" + c.value +
                    "\nUseTrash=" + c.value + "\nRemoveEmptyFolders=" + c.value + "\n");
        Settings settings;
        settings.load(config());
        EXPECT_EQ(settings.proxy.useProxy, c.on);
        EXPECT_EQ(settings.strictVerdicts, c.on);
        EXPECT_EQ(settings.useTrash, c.onTrash);
        EXPECT_EQ(settings.removeEmptyFolders, c.onTrash);
    }
}

TEST_F(SettingsTest, FileThatCannotBeReadGivesDefaultsAndIsNeverSavedOver)
{
    // Too big to be read, though it could be replaced: a save would lose
    // everything that was never seen.
    writeConfig("[Options]\nProxy=kept\n");
    std::filesystem::resize_file(config(), ReadFileLimit + 1);
    Settings settings = changed();
    EXPECT_EQ(settings.load(config()), Settings::LoadStatus::Unreadable);
    EXPECT_EQ(settings.proxy.address, "");
    EXPECT_EQ(settings.proxy.port, "80");

    const Settings::SaveResult result = changed().saveOptions(config());
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.error.contains(QString::fromStdString(config().string())));
    EXPECT_EQ(std::filesystem::file_size(config()), std::uintmax_t(ReadFileLimit + 1));
}

TEST_F(SettingsTest, SavingWritesTheOptionsInOrderAndKeepsEveryOtherLine)
{
    EXPECT_TRUE(Settings().saveOptions(config()).saved);
    EXPECT_EQ(configBytes(),
              "[Options]\nProxy=\nPort=80\nUseProxy=0\nLinksAtOnce=128\nStrictVerdicts=0\n"
              "UseTrash=1\n");

    writeConfig("[Window]\r\nLeft = 10 ; note\r\n\r\n[Options]\r\nPort=8080\r\nExtra=x\r\n");
    const Settings::SaveResult result = changed().saveOptions(config());
    EXPECT_TRUE(result.saved) << result.error.toStdString();
    EXPECT_EQ(configBytes(),
              "[Window]\r\nLeft = 10 ; note\r\n\r\n"
              "[Options]\r\nPort=1\r\nExtra=x\r\n"
              "Proxy=stale.local\r\nUseProxy=1\r\nLinksAtOnce=7\r\nStrictVerdicts=1\r\n"
              "UseTrash=0\r\n");
}

TEST_F(SettingsTest, SavedValuesLoadBackUnchanged)
{
    Settings saved;
    saved.proxy = ProxySettings{true, QStringLiteral(" \"quoted\" "), QStringLiteral("-8.0")};
    saved.strictVerdicts = true;
    saved.useTrash = false;
    ASSERT_TRUE(saved.saveOptions(config()).saved);
    Settings loaded;
    EXPECT_EQ(loaded.load(config()), Settings::LoadStatus::Read);
    EXPECT_TRUE(loaded.proxy.useProxy);
    EXPECT_EQ(loaded.proxy.address, saved.proxy.address);
    EXPECT_EQ(loaded.proxy.port, saved.proxy.port);
    EXPECT_EQ(loaded.linksAtOnce, saved.linksAtOnce);
    EXPECT_TRUE(loaded.strictVerdicts);
    EXPECT_FALSE(loaded.useTrash);
    saved.useTrash = true;
    ASSERT_TRUE(saved.saveOptions(config()).saved);
    loaded.load(config());
    EXPECT_TRUE(loaded.useTrash);
}

TEST_F(SettingsTest, LinksAtOnceIsClampedAndAnUnreadableValueGivesTheDefault)
{
    const std::pair<const char*, int> cases[] = {
        {"16", 16},   {"1", 1},  {"256", 256},  {"0", 1},  {"-5", 1},          {"257", 256},
        {"0x20", 32}, {"", 128}, {"many", 128}, {"8 ", 8}, {"4294967296", 128}};
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        writeConfig(std::string("[Options]\nLinksAtOnce=") + value + "\n");
        Settings settings = changed();
        settings.load(config());
        EXPECT_EQ(settings.linksAtOnce, expected);
    }
}

TEST_F(SettingsTest, MaxHostWaitIsReadByHandAndNeverWrittenOver)
{
    const std::pair<const char*, int> cases[] = {
        {"60", 60}, {"2", 2}, {"0", 0}, {"-1", 0}, {"", 60}, {"soon", 60}, {"90000", 86400}};
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        writeConfig(std::string("[Options]\nMaxHostWait=") + value + "\n");
        Settings settings = changed();
        settings.loadOptions(config());
        EXPECT_EQ(settings.maxHostWait, expected);
    }
    // The dialog's save keeps the hand-set value as it stands.
    writeConfig("[Options]\nMaxHostWait=5\n");
    Settings settings;
    settings.load(config());
    settings.maxHostWait = 30;
    ASSERT_TRUE(settings.saveOptions(config()).saved);
    EXPECT_TRUE(configBytes().starts_with("[Options]\nMaxHostWait=5\n"));
}

TEST_F(SettingsTest, ScheduledCheckIsAPeriodWordAndOnlyItsOwnSaveWritesIt)
{
    const std::pair<const char*, CheckPeriod> cases[] = {{"weekly", CheckPeriod::Weekly},
                                                         {"Daily", CheckPeriod::Daily},
                                                         {"MONTHLY", CheckPeriod::Monthly},
                                                         {"off", CheckPeriod::Off},
                                                         {"", CheckPeriod::Off},
                                                         {"1", CheckPeriod::Off},
                                                         {"hourly", CheckPeriod::Off},
                                                         {"weeklyish", CheckPeriod::Off}};
    for (const auto& [value, period] : cases) {
        SCOPED_TRACE(value);
        writeConfig(std::string("[Options]\nScheduledCheck=") + value + "\n");
        Settings settings;
        settings.scheduledCheck = CheckPeriod::Daily;
        settings.load(config());
        EXPECT_EQ(settings.scheduledCheck, period);
    }

    writeConfig("[Window]\nLeft=3\n[Options]\nUseTrash=0\n");
    Settings settings;
    settings.scheduledCheck = CheckPeriod::Monthly;
    ASSERT_TRUE(settings.saveScheduledCheck(config()).saved);
    EXPECT_EQ(configBytes(), "[Window]\nLeft=3\n[Options]\nUseTrash=0\nScheduledCheck=monthly\n");
    settings.scheduledCheck = CheckPeriod::Off;
    ASSERT_TRUE(settings.saveOptions(config()).saved);
    EXPECT_NE(configBytes().find("ScheduledCheck=monthly\n"), std::string::npos)
        << "saving the other options leaves the key as it stands";
    ASSERT_TRUE(settings.saveScheduledCheck(config()).saved);
    settings.load(config());
    EXPECT_EQ(settings.scheduledCheck, CheckPeriod::Off);
    EXPECT_NE(configBytes().find("ScheduledCheck=off\n"), std::string::npos);
}

} // namespace

TEST_F(SettingsTest, WindowStateIsWrittenInItsOwnSectionAndReadBackPartByPart)
{
    writeConfig(
        "[Options]\r\nProxy=kept\r\n[Window]\r\nTop=x\r\nExpanded3=old\r\n[Other]\r\nA=1\r\n");
    Settings settings;
    settings.load(config());
    EXPECT_FALSE(settings.window.geometry) << "a part with a key that is no number is absent";
    EXPECT_FALSE(settings.window.columnWidths);
    EXPECT_FALSE(settings.window.expandedFolders);

    settings.window.geometry = QRect(-20, 30, 700, 500);
    settings.window.columnWidths = {{300, 200, 100}};
    settings.window.expandedFolders =
        QStringList{QStringLiteral("."), QStringLiteral("News/Local")};
    settings.window.chosenFavorites = QStringLiteral("/home/u/Links");
    ASSERT_TRUE(settings.saveWindow(config()).saved);
    EXPECT_EQ(configBytes(), "[Options]\r\nProxy=kept\r\n[Window]\r\nTop=30\r\nExpanded3=old\r\n"
                             "Left=-20\r\nWidth=700\r\nHeight=500\r\nNameWidth=300\r\n"
                             "LinkWidth=200\r\nStatusWidth=100\r\nExpandedCount=2\r\n"
                             "Expanded1=.\r\nExpanded2=News/Local\r\nChosenFolder=/home/u/"
                             "Links\r\n[Other]\r\nA=1\r\n");

    Settings loaded;
    loaded.load(config());
    EXPECT_EQ(loaded.window.geometry, QRect(-20, 30, 700, 500));
    EXPECT_EQ(loaded.window.columnWidths, settings.window.columnWidths);
    EXPECT_EQ(loaded.window.expandedFolders, settings.window.expandedFolders)
        << "keys past the count are left over from a longer list";
    EXPECT_EQ(loaded.window.chosenFavorites, settings.window.chosenFavorites);
    EXPECT_EQ(loaded.proxy.address, "kept");

    // Saved without the folder, as on closing, the one chosen stays.
    Settings closing;
    closing.window.geometry = QRect(0, 0, 10, 10);
    ASSERT_TRUE(closing.saveWindow(config()).saved);
    loaded.load(config());
    EXPECT_EQ(loaded.window.chosenFavorites, settings.window.chosenFavorites);
}

TEST_F(SettingsTest, WindowStateIsReadWithinWhatTheFileHoldsAndGeometryWithinReason)
{
    // A count far beyond the keys there are costs only the keys there are;
    // a missing key in the list names no folder.
    writeConfig("[Window]\nExpandedCount=2147483647\nExpanded1=a\nExpanded3=c\nExpanded2=b\n");
    Settings settings;
    settings.load(config());
    EXPECT_EQ(settings.window.expandedFolders, QStringList({"a", "b", "c"}));
    EXPECT_EQ(settings.loadOptions(config()), Settings::LoadStatus::Read);
    EXPECT_FALSE(settings.window.expandedFolders) << "the options alone leave [Window] unread";
    writeConfig("[Window]\nExpandedCount=3\nExpanded1=a\nExpanded3=c\n");
    settings.load(config());
    EXPECT_EQ(settings.window.expandedFolders, QStringList({"a", "c"}));

    // Place and size at the ends of int: room is left for the arithmetic
    // of placing the window.
    writeConfig(
        "[Window]\nLeft=-2147483648\nTop=2147483647\nWidth=2147483647\nHeight=0x7FFFFFFF\n");
    settings.load(config());
    ASSERT_TRUE(settings.window.geometry);
    const QRect far = settings.window.geometry->translated(100000, -100000);
    EXPECT_EQ(far.size(), settings.window.geometry->size());
    EXPECT_FALSE(far.isEmpty());
}

TEST_F(SettingsTest, FiftyThousandOpenFoldersAreSavedWithTheirFavoritesFolderAndReadBack)
{
    Settings settings;
    QStringList folders;
    for (int n = 1; n <= 50000; ++n)
        folders.append(QStringLiteral("Folder %1/Inner").arg(n));
    settings.window.expandedFolders = folders;
    settings.window.expandedFavorites = QStringLiteral("/home/user/Favorites");
    ASSERT_TRUE(settings.saveWindow(config()).saved);
    EXPECT_TRUE(configBytes().starts_with("[Window]\nExpandedFolder=/home/user/Favorites\n"
                                          "ExpandedCount=50000\nExpanded1=Folder 1/Inner\n"));

    Settings loaded;
    loaded.load(config());
    EXPECT_EQ(loaded.window.expandedFolders, settings.window.expandedFolders);
    EXPECT_EQ(loaded.window.expandedFavorites, settings.window.expandedFavorites);
    const std::string bytes = configBytes();
    ASSERT_TRUE(settings.saveWindow(config()).saved);
    EXPECT_EQ(configBytes(), bytes) << "written again in place";
}

TEST_F(SettingsTest, ArchiveLookupIsWrittenOnlyOnceTurnedAndItsAddressOnlyRead)
{
    Settings settings;
    EXPECT_EQ(settings.load(config()), Settings::LoadStatus::Missing);
    EXPECT_FALSE(settings.archiveLookup);
    EXPECT_EQ(settings.archiveAddress, QStringLiteral("https://archive.org"));

    // Left off, the line never appears; turned on and off, it stays.
    writeConfig("[Options]\nUseTrash=1\n");
    ASSERT_TRUE(Settings().saveOptions(config()).saved);
    const std::string untouched = configBytes();
    EXPECT_EQ(untouched.find("Archive"), std::string::npos);
    settings.archiveLookup = true;
    ASSERT_TRUE(settings.saveOptions(config()).saved);
    EXPECT_EQ(configBytes(), untouched + "ArchiveLookup=1\n");
    settings.archiveLookup = false;
    ASSERT_TRUE(settings.saveOptions(config()).saved);
    EXPECT_EQ(configBytes(), untouched + "ArchiveLookup=0\n");

    const std::pair<const char*, const char*> addresses[] = {
        {"ArchiveAddress=http://127.0.0.1:8/\n", "http://127.0.0.1:8/"},
        {"ArchiveAddress= \n", "https://archive.org"},
        {"", "https://archive.org"},
    };
    for (const auto& [line, address] : addresses) {
        SCOPED_TRACE(line);
        writeConfig(std::string("[Options]\nArchiveLookup=1\n") + line);
        Settings loaded;
        loaded.load(config());
        EXPECT_TRUE(loaded.archiveLookup);
        EXPECT_EQ(loaded.archiveAddress, QString::fromLatin1(address));
        // A save of the options keeps the address line as the person wrote it.
        ASSERT_TRUE(loaded.saveOptions(config()).saved);
        EXPECT_NE(configBytes().find(std::string("ArchiveLookup=1\n") + line), std::string::npos);
    }
}
