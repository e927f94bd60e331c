// The program's own folders, Config.ini's and the results store's, against
// another user's folders and planted links. The tests run as root, as the
// program does under sudo with the user's HOME: root could write anywhere,
// so only the checks keep it out.
#include "OwnFolder.h"
#include "ResultsStore.h"
#include "Settings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const QDateTime Now = QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
// Someone else: nobody.
constexpr uid_t OtherUser = 65534;

// What the program said about a file of its own, and whether it wrote it.
struct Use
{
    QString said;
    bool saved = false;
};

// Reads the file in folder as the program does, changes it, runs beforeSave
// and writes it.
using UseFile = std::function<Use(const fs::path& folder, const std::function<void()>& beforeSave)>;

Use useConfig(const fs::path& folder, const std::function<void()>& beforeSave)
{
    const fs::path file = folder / "Config.ini";
    Settings settings;
    const bool refused = settings.load(file) == Settings::LoadStatus::Refused;
    beforeSave();
    settings.window.geometry = QRect(10, 20, 300, 200);
    const Settings::SaveResult result = settings.saveWindow(file);
    return {refused ? OwnFileRefusal(file) : result.error, result.saved};
}

Use useStore(const fs::path& folder, const std::function<void()>& beforeSave)
{
    ResultsStore store(folder, "/favorites");
    const QString said = store.load(Now);
    const Judgement alive{Verdict::Alive, QStringLiteral("Alive: 200 OK"),
                          QStringLiteral("200 OK")};
    store.record("a.url", QStringLiteral("http://a/"), alive, Now);
    beforeSave();
    QString error;
    const bool saved = store.save(&error);
    return {said.isEmpty() ? error : said, saved};
}

struct OwnFile
{
    const char* name;
    std::string fileName;
    UseFile use;
};

// What a case expects of one kind of file: a part of what was said (empty:
// nothing) and whether it was written.
struct Expect
{
    const char* said;
    bool saved;
};

struct Place
{
    fs::path folder;
    fs::path file;
    fs::path outside;           // a file elsewhere, which nothing may touch
    std::function<void()> seed; // writes the file as the program would
};

mode_t modeOf(const fs::path& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().native());
    return names;
}

void touch(const fs::path& file)
{
    std::ofstream(file) << "unit\n";
}

} // namespace

TEST(OwnFolder, ForeignOrOpenFoldersAndLinksAreNeitherReadNorWrittenAndSaidWhy)
{
    struct Case
    {
        const char* what;
        std::function<void(const Place&)> arrange;
        bool plantLinkBeforeSave;
        Expect config;
        Expect store;
    };
    const auto chmod = [](const fs::path& path, mode_t mode) { ::chmod(path.c_str(), mode); };
    const auto chown = [](const fs::path& path) { ::lchown(path.c_str(), OtherUser, OtherUser); };
    const Case cases[] = {
        {"a folder of ours, nothing in it yet", [](const Place&) {}, false, {"", true}, {"", true}},
        {"a file open to all in a folder open to reading",
         [&](const Place& s) {
             s.seed();
             chmod(s.file, 0644);
             chmod(s.folder, 0755);
         },
         false,
         {"", true},
         {"", true}},
        {"a folder of another user's",
         [&](const Place& s) { chown(s.folder); },
         false,
         {"belongs to another user", false},
         {"belongs to another user", false}},
        {"a folder its group may write",
         [&](const Place& s) { chmod(s.folder, 0775); },
         false,
         {"may be written by other users", false},
         {"may be written by other users", false}},
        {"a folder anyone may write",
         [&](const Place& s) { chmod(s.folder, 0757); },
         false,
         {"may be written by other users", false},
         {"may be written by other users", false}},
        // The store sets an unusable file aside and starts anew; the link
        // goes, never what it leads to.
        {"the file a link to a file elsewhere",
         [](const Place& s) { fs::create_symlink(s.outside, s.file); },
         false,
         {"is a symbolic link", false},
         {"set aside", true}},
        {"the file another user's",
         [&](const Place& s) {
             s.seed();
             chown(s.file);
         },
         false,
         {"belongs to another user", false},
         {"set aside", true}},
        {"a link planted while the program runs",
         [](const Place&) {},
         true,
         {"is a symbolic link", false},
         {"is a symbolic link", false}},
    };
    const OwnFile files[] = {
        {"Config.ini", "Config.ini", useConfig},
        {"results store", ResultsStore("/", "/favorites").filePath().filename().native(), useStore},
    };
    const mode_t savedMask = ::umask(022);
    for (const Case& c : cases) {
        for (const OwnFile& kind : files) {
            SCOPED_TRACE(std::string(kind.name) + ": " + c.what);
            const TempDir dir;
            Place setup{dir / "Orvanta",
                        dir / "Orvanta" / kind.fileName,
                        dir.write("outside", "the user's own\n"),
                        {}};
            ::mkdir(setup.folder.c_str(), 0700);
            setup.seed = [&] { ASSERT_TRUE(kind.use(setup.folder, [] {}).saved); };
            c.arrange(setup);
            const std::set<std::string> before = namesIn(setup.folder);
            const Expect& expect = kind.fileName == "Config.ini" ? c.config : c.store;

            const Use use = kind.use(setup.folder, [&] {
                if (c.plantLinkBeforeSave)
                    fs::create_symlink(setup.outside, setup.file);
            });

            EXPECT_EQ(use.saved, expect.saved);
            if (*expect.said == '\0')
                EXPECT_EQ(use.said, QString());
            else
                EXPECT_TRUE(use.said.contains(QLatin1String(expect.said)))
                    << use.said.toStdString();
            EXPECT_EQ(ReadFileBytes(setup.outside), "the user's own\n");
            EXPECT_EQ(modeOf(setup.outside), 0644u);
            if (use.saved) {
                // Private whatever was there before, and ours.
                struct stat st;
                ASSERT_EQ(::lstat(setup.file.c_str(), &st), 0);
                EXPECT_TRUE(S_ISREG(st.st_mode));
                EXPECT_EQ(st.st_mode & 07777, 0600u);
                EXPECT_EQ(st.st_uid, ::geteuid());
            } else if (!c.plantLinkBeforeSave) {
                EXPECT_EQ(namesIn(setup.folder), before);
            }
        }
    }
    ::umask(savedMask);
}

TEST(OwnFolder, RemoveTakesOnlyARegularFileOfOursAndNeverFollowsALink)
{
    const struct
    {
        const char* what;
        std::function<void(const fs::path& file, const fs::path& outside)> arrange;
        bool removed;
        const char* said;
    } cases[] = {
        {"a file of ours", [](const fs::path& file, const fs::path&) { touch(file); }, true, ""},
        {"nothing", [](const fs::path&, const fs::path&) {}, true, ""},
        {"a link",
         [](const fs::path& file, const fs::path& outside) { fs::create_symlink(outside, file); },
         false, "is a symbolic link"},
        {"a folder", [](const fs::path& file, const fs::path&) { fs::create_directory(file); },
         false, "is no regular file"},
        {"another user's file",
         [](const fs::path& file, const fs::path&) {
             touch(file);
             ::lchown(file.c_str(), OtherUser, OtherUser);
         },
         false, "belongs to another user"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir dir;
        const fs::path folder = dir.mkdir("units");
        ::chmod(folder.c_str(), 0700);
        const fs::path outside = dir.write("outside", "the user's own\n");
        c.arrange(folder / "name", outside);
        QString said;
        EXPECT_EQ(OwnFolder(folder).remove("name", &said), c.removed);
        EXPECT_TRUE(said.contains(QLatin1String(c.said))) << said.toStdString();
        EXPECT_EQ(fs::exists(fs::symlink_status(folder / "name")), !c.removed);
        EXPECT_EQ(ReadFileBytes(outside), "the user's own\n");
    }
    const TempDir dir;
    const fs::path open = dir.mkdir("open");
    ::chmod(open.c_str(), 0777);
    touch(open / "name");
    QString said;
    EXPECT_FALSE(OwnFolder(open).remove("name", &said));
    EXPECT_TRUE(said.contains(QLatin1String("may be written by other users")));
    EXPECT_TRUE(fs::exists(open / "name"));
}
