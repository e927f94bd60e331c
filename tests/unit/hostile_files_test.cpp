// Favorites folders that fight back: huge, deep, oddly named, full of things
// that are not files, or changing while they are scanned. The scan must end,
// never block, and show whatever could be read.
#include "BookmarkModel.h"
#include "FavoritesScan.h"
#include "FileDeletion.h"
#include "TempDir.h"
#include "UniqueFd.h"

#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace {

namespace fs = std::filesystem;

const std::string Shortcut = "[InternetShortcut]\r\nURL=http://example.com/\r\n";

// Quicker than TempDir::write for tens of thousands of files.
void writeFile(const fs::path& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

struct Row
{
    int depth;
    const BookmarkEntry* entry;
};

class HostileFilesTest : public ::testing::Test
{
protected:
    std::vector<Row> scan()
    {
        unreadable = LoadFavorites(model, fav);
        std::vector<Row> rows;
        // Each depth from the parent's, as a climb to the root per row would
        // cost too much in a tree thousands of levels deep.
        std::unordered_map<const BookmarkNode*, int> depths;
        for (BookmarkNode* node = model.firstNode(); node; node = model.nextNode(node)) {
            const auto parent = depths.find(node->parent());
            const int depth = parent == depths.end() ? 0 : parent->second + 1;
            depths.emplace(node, depth);
            rows.push_back({depth, BookmarkModel::entry(node)});
        }
        return rows;
    }

    TempDir temp;
    fs::path fav = temp.mkdir("Favorites");
    BookmarkModel model;
    std::vector<UnreadableFolder> unreadable;
};

// Removes a tree whose paths may be too long for the path-based calls,
// working from open directory handles only.
void removeTreeAt(int parentFd, const std::string& name)
{
    const int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        std::vector<std::string> children;
        if (DIR* dir = ::fdopendir(::dup(fd))) {
            while (const dirent* found = ::readdir(dir)) {
                const std::string child = found->d_name;
                if (child != "." && child != "..")
                    children.push_back(child);
            }
            ::closedir(dir);
        }
        for (const std::string& child : children) {
            if (::unlinkat(fd, child.c_str(), 0) != 0)
                removeTreeAt(fd, child);
        }
        ::close(fd);
    }
    ::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR);
}

} // namespace

TEST_F(HostileFilesTest, TwoHundredLevelsDeepAreShownToTheBottom)
{
    fs::path dir = fav;
    for (int level = 1; level <= 200; ++level) {
        dir /= "d" + std::to_string(level);
        fs::create_directory(dir);
        if (level == 100 || level == 200)
            writeFile(dir / ("at" + std::to_string(level) + ".url"), Shortcut);
    }
    const std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), 1u + 200u + 2u);
    for (int level = 1; level <= 100; ++level)
        EXPECT_EQ(rows[size_t(level)].entry->Name, QString("d%1").arg(level));
    EXPECT_EQ(rows[101].entry->Name, "d101");
    EXPECT_EQ(rows[201].depth, 201);
    EXPECT_EQ(rows[201].entry->Title, "at200");
    EXPECT_EQ(rows[201].entry->Path, (dir / "at200.url").native());
    EXPECT_EQ(rows[201].entry->Link, "http://example.com/");
    EXPECT_EQ(rows[202].depth, 101); // after d101's whole subtree
    EXPECT_EQ(rows[202].entry->Title, "at100");
}

TEST_F(HostileFilesTest, FoldersDeeperThanAPathCanReachAreShownToTheBottom)
{
    // 200 levels of 255-byte names: some 51,000 bytes, far past PATH_MAX,
    // with a shortcut at the bottom.
    const std::string name(255, 'n');
    int fd = ::open(fav.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < 200; ++level) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0) << level;
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        ASSERT_GE(fd, 0) << level;
    }
    const int shortcut = ::openat(fd, "bottom.url", O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(shortcut, 0);
    ASSERT_EQ(::write(shortcut, Shortcut.data(), Shortcut.size()), ssize_t(Shortcut.size()));
    ::close(shortcut);
    ::close(fd);
    struct Cleanup
    {
        const fs::path& fav;
        ~Cleanup() { removeTreeAt(AT_FDCWD, fav.c_str()); }
    } cleanup{fav};

    // Each folder is opened inside the one above, so no path is ever resolved whole.
    const std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), 1u + 200u + 1u);
    for (size_t i = 1; i <= 200; ++i) {
        EXPECT_EQ(rows[i].depth, int(i));
        EXPECT_EQ(rows[i].entry->Name.size(), 255);
        EXPECT_EQ(rows[i].entry->Path.size(), fav.native().size() + 256 * i);
    }
    EXPECT_EQ(rows[201].depth, 201);
    EXPECT_EQ(rows[201].entry->Link, "http://example.com/");
    EXPECT_NE(rows[201].entry->Id, FileId{});
}

TEST_F(HostileFilesTest, ChainsDeeperThanTheOpenFileLimitAndTheStackAreShownWhole)
{
    // A shortcut at the bottom, and 1,100 levels down a folder read only once
    // the scan has climbed back to it. The bottom is past PATH_MAX, so the
    // chain is made from open folders and taken down from the bottom up.
    constexpr int Levels = 18000;
    constexpr int Side = 1100;
    struct Chain
    {
        int fd;
        int depth = 0;
        ~Chain()
        {
            for (::unlinkat(fd, "bottom.url", 0); depth-- > 0;) {
                ::unlinkat(fd, "e", AT_REMOVEDIR);
                const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
                ::close(fd);
                fd = up;
                ::unlinkat(fd, "d", AT_REMOVEDIR);
            }
            ::close(fd);
        }
    } chain{::open(fav.c_str(), O_RDONLY | O_DIRECTORY)};
    for (; chain.depth < Levels; ++chain.depth) {
        if (chain.depth == Side)
            ::mkdirat(chain.fd, "e", 0755);
        ASSERT_EQ(::mkdirat(chain.fd, "d", 0755), 0);
        const int next = ::openat(chain.fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(chain.fd);
        chain.fd = next;
    }
    const int bottom = ::openat(chain.fd, "bottom.url", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(bottom, Shortcut.data(), Shortcut.size()), ssize_t(Shortcut.size()));
    ::close(bottom);

    rlimit files;
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    const rlimit lowered{256, files.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const std::vector<Row> rows = scan();
    ::setrlimit(RLIMIT_NOFILE, &files);
    EXPECT_TRUE(unreadable.empty());
    ASSERT_EQ(rows.size(), size_t(1 + Levels + 2));
    EXPECT_EQ(rows[Levels + 1].depth, Levels + 1);
    EXPECT_EQ(rows[Levels + 1].entry->Link, "http://example.com/");
    EXPECT_EQ(rows[Levels + 2].depth, Side + 1);

    // Taken apart on a stack far smaller than a frame per level would need,
    // in the tree and then on disk, within the lowered limit of open files.
    bool deleted = false;
    const std::unique_ptr<QThread> small(QThread::create([&] {
        model.clear();
        const UniqueFd favorites(::open(fav.c_str(), O_RDONLY | O_DIRECTORY));
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        deleted = DeleteFolderAt(favorites.get(), "d", {});
        ::setrlimit(RLIMIT_NOFILE, &files);
    }));
    small->setStackSize(256 * 1024);
    small->start();
    EXPECT_TRUE(small->wait());
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(std::filesystem::exists(fav / "d"));
}

TEST_F(HostileFilesTest, FiftyThousandShortcutsInOneFolderAreAllListedInOrder)
{
    constexpr int Count = 50000;
    for (int i = 0; i < Count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "link%05d.url", i);
        writeFile(fav / name, i % 2 ? Shortcut : std::string());
        if (HasFatalFailure())
            return;
    }
    const std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), size_t(Count) + 1);
    int wrong = 0;
    for (int i = 0; i < Count; ++i) {
        const BookmarkEntry& entry = *rows[size_t(i) + 1].entry;
        const QString title = QString::asprintf("link%05d", i);
        const QString link = i % 2 ? QStringLiteral("http://example.com/") : QString();
        if (entry.Title != title || entry.Link != link || rows[size_t(i) + 1].depth != 1)
            ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(HostileFilesTest, LongAndUndecodableNamesAreShownWholeAndKeepTheirBytes)
{
    const std::string longFolder(255, 'F');
    const std::string longLink = std::string(251, 'L') + ".url";
    std::string euros; // 83 three-byte characters and ".url": 253 bytes
    for (int i = 0; i < 83; ++i)
        euros += "\xE2\x82\xAC";
    const std::string notUtf8 = "\xC3\x28\xFE\xFF\x80";
    fs::create_directory(fav / longFolder);
    fs::create_directory(fav / notUtf8);
    writeFile(fav / longFolder / longLink, Shortcut);
    writeFile(fav / notUtf8 / (euros + ".url"), Shortcut);
    writeFile(fav / (notUtf8 + ".url"), Shortcut);

    const std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), 6u);
    // Each name's place in the order comes from its own bytes; find by path.
    const auto byPath = [&](const fs::path& path) -> const BookmarkEntry* {
        for (const Row& row : rows) {
            if (row.entry->Path == path.native())
                return row.entry;
        }
        ADD_FAILURE() << "not shown: " << path;
        return nullptr;
    };
    const BookmarkEntry* folder = byPath(fav / longFolder);
    const BookmarkEntry* link = byPath(fav / longFolder / longLink);
    const BookmarkEntry* euroLink = byPath(fav / notUtf8 / (euros + ".url"));
    const BookmarkEntry* oddLink = byPath(fav / (notUtf8 + ".url"));
    ASSERT_TRUE(folder && link && euroLink && oddLink);
    EXPECT_EQ(folder->Name, QString(255, u'F'));
    EXPECT_EQ(link->Title, QString(251, u'L'));
    EXPECT_EQ(link->Link, "http://example.com/");
    EXPECT_EQ(euroLink->Title, QString(83, QChar(0x20AC)));
    EXPECT_EQ(euroLink->Link, "http://example.com/");
    EXPECT_FALSE(oddLink->Title.isEmpty());
    EXPECT_EQ(oddLink->Link, "http://example.com/");
}

TEST_F(HostileFilesTest, ShortcutsThatAreNoPlainFileGiveEmptyLinksWithoutBlocking)
{
    // A FIFO with a writer that never stops, a socket that is listening, a
    // device that never ends, links that loop or lead nowhere, a file too big
    // to be a shortcut, and a folder that only looks like one.
    ASSERT_EQ(::mkfifo((fav / "fed-pipe.url").c_str(), 0600), 0);
    const int pipeReader = ::open((fav / "fed-pipe.url").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(pipeReader, 0);
    const int pipeWriter = ::open((fav / "fed-pipe.url").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(pipeWriter, 0);
    const std::string chunk(4096, 'x');
    while (::write(pipeWriter, chunk.data(), chunk.size()) > 0) {
    }

    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (fav / "socket.url").native();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);

    fs::create_symlink("/dev/zero", fav / "zero.url");
    fs::create_symlink("loop-b.url", fav / "loop-a.url");
    fs::create_symlink("loop-a.url", fav / "loop-b.url");
    fs::create_symlink(fav / "gone" / "x.url", fav / "dangling.url");
    {
        const int fd = ::open((fav / "huge.url").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(::ftruncate(fd, off_t(1) << 32), 0); // 4 GiB, sparse
        ASSERT_EQ(::pwrite(fd, Shortcut.data(), Shortcut.size(), 0), ssize_t(Shortcut.size()));
        ::close(fd);
    }
    fs::create_directory(fav / "folder.url");
    writeFile(fav / "real.url", Shortcut);

    const std::vector<Row> rows = scan();
    ::close(pipeWriter);
    ::close(pipeReader);
    ::close(listener);

    QStringList shown;
    for (const Row& row : rows)
        shown << row.entry->Name + row.entry->Title + "=" + row.entry->Link;
    EXPECT_EQ(shown, QStringList({"Internet Explorer - Favorites=", "folder.url=", "dangling=",
                                  "fed-pipe=", "folder=", "huge=http://example.com/", "loop-a=",
                                  "loop-b=", "real=http://example.com/", "socket=", "zero="}));
}

TEST_F(HostileFilesTest, FoldersThatVanishOrChangeKindDuringTheScanCostOnlyThemselves)
{
    // The steady part of the tree must come out whole every time, whatever
    // happens around it.
    for (const char* folder : {"Steady", "Steady/Inner"}) {
        fs::create_directory(fav / folder);
        writeFile(fav / folder / "kept.url", Shortcut);
    }
    const fs::path target = temp.mkdir("Elsewhere");
    writeFile(target / "there.url", Shortcut);

    std::atomic_bool stop{false};
    std::atomic_int changes{0};
    std::thread changer([&] {
        std::error_code ec;
        const fs::path churn = fav / "Churn";
        const fs::path flip = fav / "Flip";
        const fs::path swap = fav / "Swap";
        while (!stop) {
            // A deep folder that appears with content and goes again.
            fs::create_directories(churn / "a" / "b" / "c", ec);
            for (const char* name : {"a/one.url", "a/b/two.url", "a/b/c/three.url"})
                writeFile(churn / name, Shortcut);
            fs::remove_all(churn, ec);
            // A name that is a folder one moment and a shortcut file the next.
            fs::create_directory(flip, ec);
            writeFile(flip / "inside.url", Shortcut);
            fs::remove_all(flip, ec);
            writeFile(flip, Shortcut);
            fs::remove(flip, ec);
            // A directory link switched between a folder and nowhere.
            const fs::path next = fav / ".swap-next";
            fs::remove(next, ec);
            fs::create_directory_symlink(changes % 2 ? target : fav / "nowhere", next, ec);
            fs::rename(next, swap, ec);
            ++changes;
        }
    });

    int scans = 0;
    for (; scans < 1000 && (scans < 100 || changes < 300); ++scans) {
        const std::vector<Row> rows = scan();
        QStringList steady;
        for (const Row& row : rows) {
            const std::string& path = row.entry->Path;
            if (path.rfind((fav / "Steady").native(), 0) == 0)
                steady << QString("%1 %2%3").arg(row.depth).arg(row.entry->Name, row.entry->Title);
            EXPECT_TRUE(path.empty() || path.rfind(fav.native() + "/", 0) == 0) << path;
        }
        EXPECT_EQ(steady, QStringList({"1 Steady", "2 Inner", "3 kept", "2 kept"}));
        if (HasFailure())
            break;
    }
    stop = true;
    changer.join();
    EXPECT_GT(changes, 0);
    EXPECT_GT(scans, 0);
}

TEST_F(HostileFilesTest, DiamondsOfDirectoryLinksEnterEachFolderOnce)
{
    // Each level holds two links to the next: followed blindly, 2^40 rows.
    // The system follows at most 40 links in one path, so the Favorites
    // folder is the first level and the deepest path holds exactly 40.
    constexpr int Levels = 40;
    const fs::path chain = temp.mkdir("chain");
    const auto level = [&](int n) { return n == 0 ? fav : chain / std::to_string(n); };
    for (int n = 0; n < Levels; ++n) {
        fs::create_directory(level(n + 1));
        fs::create_directory_symlink(level(n + 1), level(n) / "a");
        fs::create_directory_symlink(level(n + 1), level(n) / "b");
    }
    writeFile(level(Levels) / "end.url", Shortcut);

    const std::vector<Row> rows = scan();
    // The root, one entered "a" per level down to the shortcut at the bottom,
    // then on the way back up one "b" per level, leading to a folder that
    // was entered already.
    ASSERT_EQ(rows.size(), size_t(1 + Levels + 1 + Levels));
    for (int n = 1; n <= Levels; ++n) {
        EXPECT_EQ(rows[size_t(n)].entry->Name, "a");
        EXPECT_EQ(rows[size_t(n)].depth, n);
    }
    EXPECT_EQ(rows[Levels + 1].depth, Levels + 1);
    EXPECT_EQ(rows[Levels + 1].entry->Title, "end");
    for (int n = 1; n <= Levels; ++n) {
        const Row& empty = rows[size_t(Levels + 1 + n)];
        EXPECT_EQ(empty.entry->Name, "b");
        EXPECT_EQ(empty.depth, Levels + 1 - n);
    }
}

TEST_F(HostileFilesTest, LinksIntoPseudoFileSystemsShowWithoutContents)
{
    for (const char* target : {"/proc", "/sys", "/proc/self/fd", "/sys/kernel"}) {
        if (fs::is_directory(target))
            fs::create_directory_symlink(target, fav / fs::path(target).filename());
    }
    const std::vector<Row> rows = scan();
    ASSERT_GE(rows.size(), 3u);
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].depth, 1) << rows[i].entry->Path;
        EXPECT_TRUE(rows[i].entry->IsFolder);
    }

    // A Favorites folder that is itself such a tree is shown empty.
    LoadFavorites(model, "/proc");
    EXPECT_EQ(model.nextNode(model.firstNode()), nullptr);
}

TEST_F(HostileFilesTest, HugeShortcutsAreReadOnlyAsFarAsTheirFirstMebibyte)
{
    // Sparse: 255 MB on paper, nothing on disk, all of it zeros past the head.
    for (int i = 0; i < 20; ++i) {
        const fs::path file = fav / ("huge" + std::to_string(10 + i) + ".url");
        writeFile(file, Shortcut);
        fs::resize_file(file, 255u * 1000 * 1000);
    }
    // A key that lies past the first mebibyte is never seen.
    writeFile(fav / "late.url", std::string(1024 * 1024, '\n') + Shortcut);

    const std::vector<Row> rows = scan();
    ASSERT_EQ(rows.size(), 22u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(rows[size_t(i) + 1].entry->Title, QString("huge%1").arg(10 + i));
        EXPECT_EQ(rows[size_t(i) + 1].entry->Link, "http://example.com/");
    }
    EXPECT_EQ(rows[21].entry->Title, "late");
    EXPECT_EQ(rows[21].entry->Link, "");
}
