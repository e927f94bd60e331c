#include "BookmarkModel.h"
#include "FavoritesScan.h"
#include "MovedLinks.h"
#include "PermissionBypass.h"
#include "ScopedLocale.h"
#include "ShortcutRewrite.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>

namespace fs = std::filesystem;

namespace {

std::string realFile(const std::string& name)
{
    return ReadFileBytes(fs::path(ORVANTA_TEST_DATA) / "real-url" / name);
}

// Everything a rewrite could change about a file, in one comparable text,
// read without counting as an access, which would change it.
std::string stateOf(const fs::path& file)
{
    struct stat st;
    if (::lstat(file.c_str(), &st) != 0)
        return "none";
    std::ostringstream state;
    state << st.st_ino << " mode " << st.st_mode << " owner " << st.st_uid << ':' << st.st_gid
          << " times " << st.st_atim.tv_sec << '.' << st.st_atim.tv_nsec << ' ' << st.st_mtim.tv_sec
          << '.' << st.st_mtim.tv_nsec << '\n';
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOATIME | O_NOFOLLOW | O_CLOEXEC);
    char buffer[4096];
    for (ssize_t count; fd >= 0 && (count = ::read(fd, buffer, sizeof buffer)) > 0;)
        state.write(buffer, count);
    if (fd >= 0)
        ::close(fd);
    return state.str();
}

std::map<std::string, std::string> folderState(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = stateOf(entry.path());
    return files;
}

constexpr struct timespec OldTimes[2] = {{1'000'000'000, 123'456'789},
                                         {1'100'000'000, 987'654'321}};

class ShortcutRewriteTest : public testing::Test
{
protected:
    // The place of the shortcut name in the folder, as a scan finds it; its
    // node and link are then scanned and scannedLink.
    EntryPlace placeOf(const std::string& name)
    {
        LoadFavorites(tree, favorites.path());
        for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
            if (node->entry.Path == (folder / name).string()) {
                scanned = node;
                scannedLink = node->entry.Link;
                return PlaceOf(favorites.path().string(), node);
            }
        }
        ADD_FAILURE() << "the scan did not find " << name;
        return {};
    }

    // The shortcut in the folder, with old times, and its place.
    EntryPlace put(const std::string& name, const std::string& bytes)
    {
        const fs::path file = favorites.write("Работа/" + name, bytes);
        EXPECT_EQ(::utimensat(AT_FDCWD, file.c_str(), OldTimes, AT_SYMLINK_NOFOLLOW), 0);
        return placeOf(name);
    }

    TempDir favorites;
    fs::path folder = favorites / "Работа";
    BookmarkModel tree;
    BookmarkNode* scanned = nullptr;
    QString scannedLink;
};

TEST_F(ShortcutRewriteTest, OnlyTheLinkLinesOfRealShortcutsChange)
{
    // The 8-bit lines of the Cyrillic files are in their code page.
    const ScopedLocale russian("ru_RU.UTF-8");
    const std::string motorezina = "\xEC\xEE\xF2\xEE\xF0\xE5\xE7\xE8\xED\xE0.\xF0\xF4";
    const std::string motorezinaUtf7 = "+BDwEPgRCBD4EQAQ1BDcEOAQ9BDA-.+BEAERA-";
    struct Case
    {
        std::string file;
        QString link;
        std::map<int, std::string> lines; // by line number from 0, without the line end
    };
    const Case cases[] = {
        // Plain ASCII says nothing of its code page: the rest is percent-encoded.
        {"crlf-idlist-before-url.url",
         u"http://моторезина.рф/"_qs,
         {{4, "URL=http://"
              "%D0%BC%D0%BE%D1%82%D0%BE%D1%80%D0%B5%D0%B7%D0%B8%D0%BD%D0%B0.%D1%80%D1%84/"}}},
        // What code page 1251 lacks goes percent-encoded into the 8-bit lines.
        {"cp1251-ansi-and-utf7-sections.url",
         u"https://моторезина.рф/日?a=1&b"_qs,
         {{3, "URL=https://" + motorezina + "/%E6%97%A5?a=1&b"},
          {6, "URL=https://" + motorezina + "/%E6%97%A5?a=1&b"},
          {8, "URL=https://" + motorezinaUtf7 + "/+ZeU-?a+AD0-1+ACY-b"}}},
    };
    for (const Case& c : cases) {
        const std::string before = realFile(c.file);
        std::string expected;
        int number = 0;
        for (size_t start = 0, end; start < before.size(); start = end + 1, ++number) {
            end = before.find('\n', start);
            const std::string line = before.substr(start, end + 1 - start);
            const auto changed = c.lines.find(number);
            expected += changed == c.lines.end()
                            ? line
                            : changed->second + line.substr(line.find_first_of("\r\n"));
        }
        const EntryPlace place = put(c.file, before);
        const ShortcutRewrite rewrite = RewriteShortcutLink(place, scannedLink, c.link);
        EXPECT_EQ(rewrite.outcome, RewriteOutcome::Done) << qPrintable(rewrite.error);
        EXPECT_EQ(ReadFileBytes(folder / c.file), expected) << c.file;
        EXPECT_EQ(rewrite.backup.before.toStdString(), before) << c.file;
    }
}

TEST_F(ShortcutRewriteTest, KeepsTheAccessTimeAndUndoPutsEveryByteAndTimeBack)
{
    const EntryPlace place = put("item.url", realFile("crlf-monitored-item.url"));
    const fs::path file = folder / "item.url";
    struct stat before;
    ::lstat(file.c_str(), &before);
    const std::string original = stateOf(file);

    const ShortcutRewrite rewrite = RewriteShortcutLink(place, scannedLink, "https://example.org/");
    ASSERT_EQ(rewrite.outcome, RewriteOutcome::Done) << qPrintable(rewrite.error);
    struct stat after;
    ::lstat(file.c_str(), &after);
    EXPECT_EQ(FileIdOf(after), rewrite.newId);
    EXPECT_EQ(FileStampOf(after), rewrite.newStamp);
    EXPECT_EQ(std::pair(after.st_atim.tv_sec, after.st_atim.tv_nsec),
              std::pair(before.st_atim.tv_sec, before.st_atim.tv_nsec));
    EXPECT_GT(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

    const ShortcutRewrite undo = UndoShortcutRewrite(rewrite.backup);
    ASSERT_EQ(undo.outcome, RewriteOutcome::Done) << qPrintable(undo.error);
    ::lstat(file.c_str(), &after);
    EXPECT_EQ(FileIdOf(after), undo.newId);
    EXPECT_EQ(FileStampOf(after), undo.newStamp);
    // All but the inode number, which a new file cannot keep.
    const std::string restored = stateOf(file);
    EXPECT_EQ(restored.substr(restored.find(' ')), original.substr(original.find(' ')));

    // The file is the undo's now, no longer the rewrite's: nothing to undo.
    EXPECT_EQ(UndoShortcutRewrite(rewrite.backup).outcome, RewriteOutcome::Changed);

    // Rewritten again from what the undo left, then edited in place: the
    // undo keeps the edit.
    const ShortcutRewrite again =
        RewriteShortcutLink(undo.backup.place, scannedLink, "https://example.org/");
    ASSERT_EQ(again.outcome, RewriteOutcome::Done) << qPrintable(again.error);
    favorites.write("Работа/item.url", ReadFileBytes(file) + "Extra=1\r\n");
    const std::string edited = stateOf(file);
    EXPECT_EQ(UndoShortcutRewrite(again.backup).outcome, RewriteOutcome::Changed);
    EXPECT_EQ(stateOf(file), edited);
}

TEST_F(ShortcutRewriteTest, WhatMayNotOrCannotBeWrittenIsLeftExactlyAsItWas)
{
    const std::string shortcut = realFile("crlf-idlist-before-url.url");
    const fs::path file = folder / "a.url";
    struct Case
    {
        const char* what;
        std::function<void()> change; // after the scan, unless scannedAgain
        RewriteOutcome outcome;
        bool scannedAgain = false;
        bool asOwnerOnly = false;         // root's way past permissions dropped
        rlim_t sizeLimit = RLIM_INFINITY; // for the file being written
    };
    const Case cases[] = {
        {"read-only", [&] { ::chmod(file.c_str(), 0444); }, RewriteOutcome::ReadOnly},
        {"replaced",
         [&] { fs::copy_file(file, folder / "b.url"), fs::rename(folder / "b.url", file); },
         RewriteOutcome::Changed},
        {"gone", [&] { fs::remove(file); }, RewriteOutcome::Missing},
        {"a link in its place",
         [&] {
             fs::rename(file, favorites / "elsewhere.url");
             fs::create_symlink("../elsewhere.url", file);
         },
         RewriteOutcome::Failed, true},
        {"no URL line",
         [&] { favorites.write("Работа/a.url", realFile("header-and-key-on-one-line.url")); },
         RewriteOutcome::NoLink, true},
        {"edited since the scan", [&] { favorites.write("Работа/a.url", shortcut + "X=1\r\n"); },
         RewriteOutcome::Changed},
        // The scan checks a link only up to a double quote, and without the
        // quotes around it: the rest would be lost.
        {"a link cut at a double quote",
         [&] {
             favorites.write("Работа/a.url", "[InternetShortcut]\nURL=http://h/old\"tail-kept\n");
         },
         RewriteOutcome::LinkCut, true},
        {"a link in quotes",
         [&] { favorites.write("Работа/a.url", "[InternetShortcut]\nURL=\"http://h/old\"\n"); },
         RewriteOutcome::LinkCut, true},
        {"a Unicode link cut at a double quote",
         [&] {
             favorites.write("Работа/a.url", "[InternetShortcut]\nURL=http://h/old\n"
                                             "[InternetShortcut.W]\nURL=http://h/old+ACI-tail\n");
         },
         RewriteOutcome::LinkCut, true},
        // A new file would leave the other name with the old link.
        {"a second name", [&] { fs::create_hard_link(file, folder / "b.url"); },
         RewriteOutcome::HardLinked, true},
        {"in a folder where no file can be made", [&] { ::chmod(folder.c_str(), 0555); },
         RewriteOutcome::Failed, false, true},
        {"cut short half-way", [] {}, RewriteOutcome::Failed, false, false, 100},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        EntryPlace place = put("a.url", shortcut);
        c.change();
        if (c.scannedAgain)
            place = placeOf("a.url");
        std::optional<WithoutPermissionBypass> ownerOnly;
        if (c.asOwnerOnly)
            ownerOnly.emplace();
        const auto before = folderState(folder);
        const std::string elsewhere = stateOf(favorites / "elsewhere.url");
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN); // as the program does: the write fails instead
            const struct rlimit limit = {c.sizeLimit, c.sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::_exit(
                int(RewriteShortcutLink(place, scannedLink, "https://example.org/moved").outcome));
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, int(c.outcome)) << c.what;
        EXPECT_EQ(folderState(folder), before) << c.what;
        EXPECT_EQ(stateOf(favorites / "elsewhere.url"), elsewhere) << c.what;
    }
}

} // namespace

namespace {

// The attributes of the user namespace a file has, by name.
std::map<std::string, std::string> userAttributesOf(const fs::path& file)
{
    std::map<std::string, std::string> found;
    char names[4096];
    const ssize_t size = ::listxattr(file.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += ssize_t(std::strlen(names + at)) + 1) {
        char value[4096];
        const ssize_t length = ::getxattr(file.c_str(), names + at, value, sizeof value);
        found[names + at] = std::string(value, size_t(std::max<ssize_t>(length, 0)));
    }
    return found;
}

TEST_F(ShortcutRewriteTest, ExtendedAttributesStayWithTheFileThroughRewriteAndUndo)
{
    const fs::path file = favorites.write("Работа/a.url", realFile("crlf-idlist-before-url.url"));
    const std::map<std::string, std::string> attributes = {
        {"user.xdg.origin.url", "https://where.example/from"}, {"user.empty", ""}};
    for (const auto& [name, value] : attributes) {
        if (::setxattr(file.c_str(), name.c_str(), value.data(), value.size(), 0) != 0)
            GTEST_SKIP() << "no user attributes here: " << std::strerror(errno);
    }
    const EntryPlace place = placeOf("a.url");

    const ShortcutRewrite rewrite = RewriteShortcutLink(place, scannedLink, "https://example.org/");
    ASSERT_EQ(rewrite.outcome, RewriteOutcome::Done) << qPrintable(rewrite.error);
    EXPECT_EQ(userAttributesOf(file), attributes);
    const ShortcutRewrite undo = UndoShortcutRewrite(rewrite.backup);
    ASSERT_EQ(undo.outcome, RewriteOutcome::Done) << qPrintable(undo.error);
    EXPECT_EQ(userAttributesOf(file), attributes);
}

TEST_F(ShortcutRewriteTest, AMovedLinkTheScanCutIsNotOfferedAndItsTooltipSaysWhy)
{
    favorites.write("Работа/whole.url", "[InternetShortcut]\nURL=http://h/old\n");
    const std::string cut = "[InternetShortcut]\nURL=http://h/old\"tail-kept\n";
    favorites.write("Работа/cut.url", cut);
    placeOf("cut.url");
    MovedLinks moved(tree);
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        if (node->entry.IsFolder)
            continue;
        EXPECT_EQ(node->entry.Link, "http://h/old");
        tree.setStatus(node, StatusAlive, "Alive");
        moved.noteVerdict(node, "https://h/new", true, true);
    }
    EXPECT_TRUE(scanned->entry.LinkCut);
    EXPECT_FALSE(moved.isMoved(scanned));
    EXPECT_EQ(moved.count(), 1);
    const QString why = "Not updated: the shortcut's link holds characters the check left out";
    for (int column : {ColumnLink, ColumnStatus})
        EXPECT_EQ(tree.indexOf(scanned, column).data(Qt::ToolTipRole).toString(), "Alive\n" + why);

    const LinkUpdateOutcome outcome =
        moved.update(favorites.path().string(), [](BookmarkNode*) { return true; });
    EXPECT_EQ(outcome.updated, 1);
    EXPECT_EQ(ReadFileBytes(folder / "cut.url"), cut);
    EXPECT_EQ(ReadFileBytes(folder / "whole.url"), "[InternetShortcut]\nURL=https://h/new\n");
}

TEST_F(ShortcutRewriteTest, ADeadLinkReplacedGoesTheUpdatesWayAndAnUndoPutsItBackDead)
{
    const std::string dead = "[InternetShortcut]\r\nURL=http://h/gone\r\nModified=01\r\n";
    put("dead.url", dead);
    BookmarkNode* node = scanned;
    tree.setStatus(node, StatusDead, "Dead: 404");
    MovedLinks moved(tree);
    moved.noteVerdict(node, "https://h/moved", true, false); // not alive: no move
    const QString copy = "http://web.archive.org/web/20130919044612/http://h/gone";

    LinkUpdateOutcome outcome =
        moved.replace(favorites.path().string(), node, copy, "Alive: the archived copy");
    EXPECT_EQ(outcome.updated, 1);
    EXPECT_EQ(ReadFileBytes(folder / "dead.url"),
              "[InternetShortcut]\r\nURL=" + copy.toStdString() + "\r\nModified=01\r\n");
    EXPECT_EQ(node->entry.Link, copy);
    EXPECT_EQ(node->entry.Status, StatusAlive);
    EXPECT_EQ(node->entry.Detail, "Alive: the archived copy");
    ASSERT_TRUE(moved.canUndo());
    EXPECT_EQ(moved.firstOfLastUpdate(), node);

    outcome = moved.undoLast();
    EXPECT_EQ(outcome.updated, 1);
    EXPECT_EQ(ReadFileBytes(folder / "dead.url"), dead);
    EXPECT_EQ(node->entry.Link, "http://h/gone");
    EXPECT_EQ(node->entry.Status, StatusDead);
    EXPECT_EQ(node->entry.Detail, "Dead: 404");
    EXPECT_FALSE(moved.isMoved(node)) << "a dead link is not moved once put back";

    // Edited since the run read it: left as it is, and judged again.
    favorites.write("Работа/dead.url", dead + "Extra=1\r\n");
    outcome = moved.replace(favorites.path().string(), node, copy, "Alive: the archived copy");
    EXPECT_EQ(outcome.updated, 0);
    EXPECT_EQ(outcome.changed, 1);
    EXPECT_EQ(ReadFileBytes(folder / "dead.url"), dead + "Extra=1\r\n");
}

} // namespace
