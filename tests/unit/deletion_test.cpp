#include "BookmarkModel.h"
#include "ChosenEntries.h"
#include "Deletion.h"
#include "FavoritesScan.h"
#include "MovedLinks.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string_view>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kShortcut = "[InternetShortcut]\r\nURL=http://127.0.0.1/\r\n";

BookmarkNode* Find(BookmarkModel& tree, const QString& text)
{
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* e = BookmarkModel::entry(node);
        if (e->Name == text || (!e->IsFolder && e->Title == text))
            return node;
    }
    return nullptr;
}

QStringList Rows(BookmarkModel& tree)
{
    QStringList rows;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* e = BookmarkModel::entry(node);
        rows << (e->IsFolder ? e->Name : e->Title);
    }
    return rows;
}

// Points the home trash into the test's folder and puts the old value back.
class DataHome final
{
public:
    explicit DataHome(const fs::path& path)
    {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            saved_ = old;
        ::setenv("XDG_DATA_HOME", path.c_str(), 1);
    }
    ~DataHome()
    {
        if (saved_)
            ::setenv("XDG_DATA_HOME", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }

private:
    std::optional<std::string> saved_;
};

struct DeletionFixture : ::testing::Test
{
    TempDir home;
    fs::path favorites = home / "Favorites";
    fs::path trash = home / "data/Trash";
    DataHome dataHome{home / "data"};
    BookmarkModel tree;
    // What the permanent-deletion question was asked with; -1 when not asked.
    int askedFor = -1;
    std::vector<TrashOutcome> askedWhy;
    bool answer = false;
    bool useTrash = true; // the Options dialog's setting

    void load() { LoadFavorites(tree, favorites); }
    void markDead(const QString& title)
    {
        BookmarkModel::entry(Find(tree, title))->Status = StatusDead;
    }
    PermanentDeletionQuestion question()
    {
        return [this](const Untrashable& untrashable) {
            askedFor = untrashable.count;
            askedWhy = untrashable.causes;
            return answer;
        };
    }
    DeletionOutcome deleteSelected(std::set<BookmarkNode*> selected)
    {
        const ChosenEntries chosen = ChooseEntries(
            tree, [&](BookmarkNode* n) { return selected.count(n) > 0; }, Reach::Entries);
        return DeleteSelectedEntries(tree, favorites.native(), chosen.entries, useTrash,
                                     question());
    }
    DeletionOutcome deleteDead()
    {
        return DeleteDeadLinks(tree, favorites.native(), useTrash, question());
    }
};

} // namespace

TEST_F(DeletionFixture, AFolderSelectedWithItsOwnLinksIsDeletedOnceAsATree)
{
    home.write("Favorites/Travel/Maps.url", kShortcut);
    home.write("Favorites/Travel/Trains.url", kShortcut);
    home.write("Favorites/Travel/Deep/Ferry.url", kShortcut);
    home.write("Favorites/Mail.url", kShortcut);
    load();

    deleteSelected({Find(tree, "Travel"), Find(tree, "Maps"), Find(tree, "Ferry")});

    EXPECT_FALSE(fs::exists(favorites / "Travel"));
    EXPECT_TRUE(fs::exists(trash / "files/Travel/Deep/Ferry.url"));
    EXPECT_FALSE(fs::exists(trash / "files/Maps.url"));
    EXPECT_TRUE(fs::exists(favorites / "Mail.url"));
    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Mail"}));
}

TEST_F(DeletionFixture, NothingSelectedDeletesNothing)
{
    home.write("Favorites/Mail.url", kShortcut);
    load();
    deleteSelected({});
    EXPECT_TRUE(fs::exists(favorites / "Mail.url"));
    EXPECT_EQ(Rows(tree).size(), 2);
}

TEST_F(DeletionFixture, AFileAlreadyGoneFromDiskJustLeavesTheTree)
{
    home.write("Favorites/Gone.url", kShortcut);
    home.write("Favorites/Kept.url", kShortcut);
    load();
    fs::remove(favorites / "Gone.url");
    EXPECT_EQ(deleteSelected({Find(tree, "Gone")}).leftAlone, 0);
    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Kept"}));
}

TEST_F(DeletionFixture, AFolderOrShortcutThatIsALinkLosesOnlyTheLink)
{
    home.write("Elsewhere/Precious.url", kShortcut);
    fs::create_directories(favorites);
    fs::create_directory_symlink(home / "Elsewhere", favorites / "Linked");
    fs::create_symlink(home / "Elsewhere/Precious.url", favorites / "Alias.url");
    load();
    EXPECT_EQ(BookmarkModel::entry(Find(tree, "Alias"))->Link, "http://127.0.0.1/");

    deleteSelected({Find(tree, "Linked"), Find(tree, "Alias")});

    EXPECT_FALSE(fs::exists(fs::symlink_status(favorites / "Linked")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(favorites / "Alias.url")));
    EXPECT_TRUE(fs::is_symlink(trash / "files/Linked"));
    EXPECT_TRUE(fs::is_symlink(trash / "files/Alias.url"));
    EXPECT_TRUE(fs::exists(home / "Elsewhere/Precious.url"));
}

TEST_F(DeletionFixture, DeadLinksSideBySideAreAllDeletedAndFoldersStay)
{
    home.write("Favorites/News/A.url", kShortcut);
    home.write("Favorites/News/B.url", kShortcut);
    home.write("Favorites/News/C.url", kShortcut);
    home.write("Favorites/Empty/D.url", kShortcut);
    home.write("Favorites/E.url", kShortcut);
    load();
    markDead("A");
    markDead("B");
    markDead("D");
    markDead("E");
    BookmarkModel::entry(Find(tree, "C"))->Status = StatusAlive;

    EXPECT_EQ(deleteDead().removed, 4);

    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Empty", "News", "C"}));
    EXPECT_FALSE(fs::exists(favorites / "News/A.url"));
    EXPECT_FALSE(fs::exists(favorites / "News/B.url"));
    EXPECT_TRUE(fs::exists(favorites / "News/C.url"));
    EXPECT_TRUE(fs::is_directory(favorites / "Empty"));
}

TEST_F(DeletionFixture, UnverifiedLinksAreNotDeadLinks)
{
    home.write("Favorites/A.url", kShortcut);
    load();
    EXPECT_EQ(deleteDead().removed, 0);
    EXPECT_TRUE(fs::exists(favorites / "A.url"));
}

TEST_F(DeletionFixture, ADeadLinkReplacedByADirectoryIsLeftAloneAndKeepsItsRow)
{
    home.write("Favorites/Swap.url", kShortcut);
    load();
    markDead("Swap");
    fs::remove(favorites / "Swap.url");
    home.write("Favorites/Swap.url/inside.txt", "keep me");

    EXPECT_EQ(deleteDead().leftAlone, 1);

    EXPECT_TRUE(fs::exists(favorites / "Swap.url/inside.txt"));
    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Swap"}));
}

TEST_F(DeletionFixture, EmptyTreeDeletesNothing)
{
    EXPECT_EQ(deleteDead().removed, 0);
    deleteSelected({});
    EXPECT_EQ(tree.firstNode(), nullptr);
}

TEST_F(DeletionFixture, TrashedEntriesCarryTheirRecordAndComeBackWhole)
{
    home.write("Favorites/My Mail.url", kShortcut);
    home.write("Favorites/Travel/Maps.url", "maps bytes");
    load();
    const std::string folder = fs::canonical(favorites).native();

    deleteSelected({Find(tree, "My Mail"), Find(tree, "Travel")});
    EXPECT_FALSE(fs::exists(favorites / "My Mail.url"));
    EXPECT_EQ(askedFor, -1);
    const std::string info = ReadFileBytes(trash / "info/My Mail.url.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + folder + "/My%20Mail.url\nDeletionDate=", 0), 0u)
        << info;
    EXPECT_EQ(ReadFileBytes(trash / "info/Travel.trashinfo").find("Path=" + folder + "/Travel\n"),
              13u);
    EXPECT_EQ(fs::status(trash / "files").permissions() & fs::perms::all, fs::perms::owner_all);

    // A second entry of the same name gets the next free one.
    home.write("Favorites/My Mail.url", "second");
    load();
    deleteSelected({Find(tree, "My Mail")});
    EXPECT_EQ(ReadFileBytes(trash / "files/My Mail.url.2"), "second");
    EXPECT_TRUE(fs::exists(trash / "info/My Mail.url.2.trashinfo"));

    // Restoring is moving back what the record names.
    fs::rename(trash / "files/My Mail.url", favorites / "My Mail.url");
    fs::rename(trash / "files/Travel", favorites / "Travel");
    EXPECT_EQ(ReadFileBytes(favorites / "My Mail.url"), kShortcut);
    EXPECT_EQ(ReadFileBytes(favorites / "Travel/Maps.url"), "maps bytes");
}

TEST_F(DeletionFixture, WhatNoTrashTakesIsDeletedPermanentlyOnlyAfterYes)
{
    home.write("Favorites/Mail.url", kShortcut);
    home.write("Favorites/Travel/Maps.url", kShortcut);
    home.write("Favorites/Kept.url", kShortcut);
    // No trash can be made below a plain file, and the entries share its file system.
    home.write("blocker", "x");
    const DataHome unusable(home / "blocker/data");
    load();

    DeletionOutcome outcome = deleteSelected({Find(tree, "Mail"), Find(tree, "Travel")});
    EXPECT_EQ(askedFor, 2);
    EXPECT_EQ(askedWhy, std::vector<TrashOutcome>{TrashOutcome::Unreachable});
    EXPECT_EQ(outcome.leftAlone, 2);
    EXPECT_TRUE(fs::exists(favorites / "Mail.url"));
    EXPECT_TRUE(fs::exists(favorites / "Travel/Maps.url"));
    EXPECT_EQ(Rows(tree).size(), 5);

    answer = true;
    outcome = deleteSelected({Find(tree, "Mail"), Find(tree, "Travel")});
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.leftAlone, 0);
    EXPECT_FALSE(fs::exists(favorites / "Mail.url"));
    EXPECT_FALSE(fs::exists(favorites / "Travel"));
    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Kept"}));
}

TEST_F(DeletionFixture, WithoutTheTrashEntriesAreDeletedPermanentlyAndNothingElseIsAsked)
{
    home.write("Favorites/Mail.url", kShortcut);
    home.write("Favorites/Travel/Maps.url", kShortcut);
    home.write("Elsewhere/Precious.url", kShortcut);
    fs::create_directory_symlink(home / "Elsewhere", favorites / "Travel/Linked");
    home.write("Favorites/Locked.url", kShortcut);
    fs::permissions(favorites / "Locked.url", fs::perms::owner_write, fs::perm_options::remove);
    home.write("Favorites/Dead.url", kShortcut);
    home.write("Favorites/Alive.url", kShortcut);
    load();
    useTrash = false;

    DeletionOutcome outcome =
        deleteSelected({Find(tree, "Mail"), Find(tree, "Travel"), Find(tree, "Locked")});
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.deletedPermanently, 2);
    EXPECT_EQ(outcome.trashed, 0);
    EXPECT_EQ(outcome.leftAlone, 1) << "a read-only shortcut stays either way";
    EXPECT_FALSE(fs::exists(favorites / "Mail.url"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(favorites / "Travel")));
    EXPECT_TRUE(fs::exists(home / "Elsewhere/Precious.url")) << "the folder link was not followed";
    EXPECT_TRUE(fs::exists(favorites / "Locked.url"));

    markDead("Dead");
    outcome = deleteDead();
    EXPECT_EQ(outcome.deletedPermanently, 1);
    EXPECT_FALSE(fs::exists(favorites / "Dead.url"));
    EXPECT_TRUE(fs::exists(favorites / "Alive.url"));

    EXPECT_EQ(askedFor, -1) << "the caller's question was the only one";
    EXPECT_FALSE(fs::exists(trash));
    EXPECT_EQ(Rows(tree), (QStringList{"Internet Explorer - Favorites", "Alive", "Locked"}));
}

TEST_F(DeletionFixture, AnEntryChangedOnDiskSinceTheScanIsRefusedAndKeepsItsRow)
{
    home.write("Favorites/News/Today.url", kShortcut);
    home.write("Favorites/Swapped.url", kShortcut);
    home.write("Favorites/Locked.url", kShortcut);
    load();
    // The parent folder becomes a link to a look-alike.
    fs::rename(favorites / "News", home / "Old");
    fs::create_directory_symlink(home / "Old", favorites / "News");
    // The shortcut itself is replaced by another file.
    home.write("Favorites/Other.url", "other");
    fs::rename(favorites / "Other.url", favorites / "Swapped.url");
    // A shortcut its owner may not write is read-only and stays.
    fs::permissions(favorites / "Locked.url", fs::perms::owner_write, fs::perm_options::remove);

    const DeletionOutcome outcome =
        deleteSelected({Find(tree, "Today"), Find(tree, "Swapped"), Find(tree, "Locked")});

    EXPECT_EQ(outcome.leftAlone, 3);
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(askedFor, -1);
    EXPECT_TRUE(fs::exists(home / "Old/Today.url"));
    EXPECT_TRUE(fs::is_symlink(favorites / "News"));
    EXPECT_EQ(ReadFileBytes(favorites / "Swapped.url"), "other");
    EXPECT_TRUE(fs::exists(favorites / "Locked.url"));
    EXPECT_EQ(Rows(tree).size(), 5);
    EXPECT_FALSE(fs::exists(trash / "files"));
}

TEST_F(DeletionFixture, DeadLinksBelowAFolderLinkAreLeftOutOfTheBulkDeletion)
{
    home.write("Elsewhere/Far.url", kShortcut);
    home.write("Favorites/Near.url", kShortcut);
    fs::create_directory_symlink(home / "Elsewhere", favorites / "Linked");
    load();
    EXPECT_TRUE(BookmarkModel::entry(Find(tree, "Linked"))->IsDirLink);
    EXPECT_FALSE(BookmarkModel::entry(Find(tree, "Linked"))->OutsideFavorites);
    EXPECT_TRUE(BookmarkModel::entry(Find(tree, "Far"))->OutsideFavorites);
    EXPECT_FALSE(BookmarkModel::entry(Find(tree, "Near"))->OutsideFavorites);
    // The folder's tooltip says where its contents really are.
    const QModelIndex linked = tree.indexOf(Find(tree, "Linked"), ColumnName);
    EXPECT_EQ(linked.data(Qt::ToolTipRole).toString(),
              QStringLiteral("Link to ") + QString::fromStdString((home / "Elsewhere").string()));
    EXPECT_FALSE(linked.siblingAtColumn(ColumnStatus).data(Qt::ToolTipRole).isValid());
    markDead("Far");
    markDead("Near");

    const DeadLinkCounts counts = CountDeadLinks(tree);
    EXPECT_EQ(counts.inside, 1);
    EXPECT_EQ(counts.outside, 1);
    EXPECT_EQ(deleteDead().removed, 1);
    EXPECT_FALSE(fs::exists(favorites / "Near.url"));
    EXPECT_TRUE(fs::exists(home / "Elsewhere/Far.url"));

    // Selected, it goes all the same, through the link.
    EXPECT_EQ(deleteSelected({Find(tree, "Far")}).removed, 1);
    EXPECT_FALSE(fs::exists(home / "Elsewhere/Far.url"));
    EXPECT_TRUE(fs::is_directory(home / "Elsewhere"));
}

TEST_F(DeletionFixture, AFavoritesFolderThatIsItselfALinkIsWalkedThroughTheLink)
{
    home.write("Real/Mail.url", kShortcut);
    fs::create_directory_symlink(home / "Real", favorites);
    load();

    EXPECT_EQ(deleteSelected({Find(tree, "Mail")}).removed, 1);
    EXPECT_FALSE(fs::exists(home / "Real/Mail.url"));
    EXPECT_NE(ReadFileBytes(trash / "info/Mail.url.trashinfo").find("/Real/Mail.url\n"),
              std::string::npos);
}

namespace {

// Waits until the file system's clock has moved past file's change time, so
// that a write from now on shows in it; the clock ticks every few
// milliseconds.
void AfterTheNextTick(const fs::path& file)
{
    struct stat seen;
    ASSERT_EQ(::lstat(file.c_str(), &seen), 0);
    const fs::path probe = file.parent_path().parent_path() / "tick";
    for (struct stat now;;) {
        std::ofstream(probe) << 'x';
        if (::lstat(probe.c_str(), &now) == 0 &&
            Nanoseconds(now.st_ctim) > Nanoseconds(seen.st_ctim))
            break;
    }
    fs::remove(probe);
}

// Writes bytes over the file at offset, in place.
void Overwrite(const fs::path& file, std::string_view bytes, off_t offset)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), ssize_t(bytes.size()));
    ::close(fd);
}

} // namespace

TEST_F(DeletionFixture, WhatRestsOnAVerdictLeavesAShortcutChangedSinceItWasReadAlone)
{
    const std::string shortcut =
        "[InternetShortcut]\r\nURL=http://127.0.0.1:9/old\r\nIconIndex=1\r\n";
    const fs::path file = favorites / "Moved.url";
    struct Change
    {
        const char* what;
        std::function<void()> make; // nothing: the file stays as it was read
    };
    const Change changes[] = {
        {"nothing", nullptr},
        {"bytes rewritten in place",
         [&] {
             AfterTheNextTick(file);
             const std::string bytes = ReadFileBytes(file);
             Overwrite(file, "2", off_t(bytes.find("IconIndex=") + 10));
         }},
        {"size", [&] { std::ofstream(file, std::ios::app) << "Extra=1\r\n"; }},
        {"times only",
         [&] {
             const struct timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
             ::utimensat(AT_FDCWD, file.c_str(), times, 0);
         }},
        {"inode replaced",
         [&] {
             home.write("Other.url", ReadFileBytes(file));
             fs::rename(home / "Other.url", file);
         }},
        // The link fixed by hand, in place and to the same length: the times
        // may not show it within one tick of the clock.
        {"link changed",
         [&] {
             const std::string bytes = ReadFileBytes(file);
             Overwrite(file, "X", off_t(bytes.find("\r\nIconIndex") - 1));
         }},
    };
    enum class Action
    {
        Update,
        Undo,
        DeleteDead,
    };
    const auto all = [](BookmarkNode*) { return true; };
    for (const Action action : {Action::Update, Action::Undo, Action::DeleteDead}) {
        for (const Change& change : changes) {
            const std::string what =
                std::string(change.what) + " before action " + std::to_string(int(action));
            fs::remove_all(home / "data");
            home.write("Favorites/Moved.url", shortcut);
            load();
            BookmarkNode* node = Find(tree, "Moved");
            MovedLinks moved(tree);
            const bool dead = action == Action::DeleteDead;
            tree.setStatus(node, dead ? StatusDead : StatusAlive, "said");
            moved.noteVerdict(node, "http://127.0.0.1:9/new", true, !dead);
            if (action == Action::Undo) {
                ASSERT_EQ(moved.update(favorites.native(), all).updated, 1) << what;
            }
            const std::string before = ReadFileBytes(file);
            if (change.make)
                change.make();
            const std::string changed = ReadFileBytes(file);

            int done = 0;
            int skipped = 0;
            if (action == Action::DeleteDead) {
                const DeletionOutcome outcome = deleteDead();
                std::tie(done, skipped) = std::pair(outcome.removed, outcome.changed);
                EXPECT_EQ(outcome.leftAlone, skipped) << what;
            } else {
                const LinkUpdateOutcome outcome = action == Action::Update
                                                      ? moved.update(favorites.native(), all)
                                                      : moved.undoLast();
                std::tie(done, skipped) = std::pair(outcome.updated, outcome.changed);
                EXPECT_TRUE(outcome.failures.isEmpty()) << what;
            }
            if (!change.make) {
                EXPECT_EQ(std::pair(done, skipped), std::pair(1, 0)) << what;
                EXPECT_NE(fs::exists(file) ? ReadFileBytes(file) : "", before) << what;
                continue;
            }
            EXPECT_EQ(std::pair(done, skipped), std::pair(0, 1)) << what;
            EXPECT_EQ(ReadFileBytes(file), changed) << what;
            if (Find(tree, "Moved") != node) {
                ADD_FAILURE() << "the row went: " << what;
                continue;
            }
            EXPECT_EQ(node->entry.Status, StatusUnverified) << what;
            EXPECT_FALSE(moved.isMoved(node)) << what;
            // The row shows the file as it is now, so a verdict on that goes.
            const size_t url = changed.find("URL=") + 4;
            EXPECT_EQ(node->entry.Link.toStdString(),
                      changed.substr(url, changed.find('\r', url) - url))
                << what;
            markDead("Moved");
            EXPECT_EQ(deleteDead().removed, 1) << what;
        }
    }
}

TEST_F(DeletionFixture, FoldersADeletionEmptiedGoAfterItOnlyWhileTheyStillHoldNothing)
{
    const struct
    {
        const char* name;
        // below Favorites; a name ending in '/' is a folder, in '@' a link
        // to the folder Elsewhere holding Far.url
        std::vector<std::string> files;
        QStringList dead;               // deleted as dead links
        QStringList selected;           // or deleted as a selection
        std::vector<std::string> after; // written between the two deletions
        int emptiedCount;
        QStringList emptied; // the outermost, in tree order
        QStringList rows;    // once the emptied folders went
        std::vector<std::string> kept;
    } cases[] = {
        {"nested folders go with the outermost",
         {"A/B/C/x.url", "A/y.url", "Keep.url"},
         {"x", "y"},
         {},
         {},
         3,
         {"A"},
         {"Keep"},
         {"Keep.url"}},
        {"a folder empty before stays and keeps the one above",
         {"Empty/", "P/Old/", "P/z.url", "Q/w.url"},
         {"z", "w"},
         {},
         {},
         1,
         {"Q"},
         {"Empty", "P", "Old"},
         {"Empty", "P", "P/Old"}},
        {"the root stays", {"x.url"}, {"x"}, {}, {}, 0, {}, {}, {}},
        {"a folder holding a stray file stays; a lone desktop.ini goes with its folder",
         {"S/x.url", "D/y.url", "D/desktop.ini"},
         {"x", "y"},
         {},
         {"S/notes.txt"},
         2,
         {"D", "S"},
         {"S"},
         {"S", "S/notes.txt"}},
        {"a selection empties folders too",
         {"Sel/Sub/x.url", "Sel/Other/y.url", "Stay/z.url"},
         {},
         {"Sub", "y"},
         {},
         2,
         {"Sel"},
         {"Stay", "z"},
         {"Stay", "Stay/z.url"}},
        {"a folder link and what lies below it stay",
         {"Linked@", "Keep.url"},
         {},
         {"Far"},
         {},
         0,
         {},
         {"Linked", "Keep"},
         {"Keep.url", "Linked"}},
    };
    for (const bool trash : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (trash ? ", to the Trash" : ", permanently"));
            fs::remove_all(favorites);
            fs::create_directories(favorites);
            for (const std::string& file : c.files) {
                if (file.ends_with('/')) {
                    fs::create_directories(favorites / file);
                } else if (file.ends_with('@')) {
                    home.write("Elsewhere/Far.url", kShortcut);
                    fs::create_directory_symlink(home / "Elsewhere",
                                                 favorites / file.substr(0, file.size() - 1));
                } else
                    home.write("Favorites/" + file, kShortcut);
            }
            load();
            useTrash = trash;
            std::set<BookmarkNode*> selected;
            for (const QString& title : c.selected)
                selected.insert(Find(tree, title));
            for (const QString& title : c.dead)
                markDead(title);
            const DeletionOutcome first =
                c.dead.isEmpty() ? deleteSelected(selected) : deleteDead();
            EXPECT_EQ(first.emptiedCount, c.emptiedCount);
            QStringList emptied;
            for (BookmarkNode* folder : first.emptied)
                emptied << folder->entry.Name;
            EXPECT_EQ(emptied, c.emptied);

            for (const std::string& file : c.after)
                home.write("Favorites/" + file, "stray");
            const DeletionOutcome second =
                DeleteEmptiedFolders(tree, favorites.native(), first.emptied, useTrash, question());
            EXPECT_EQ(second.leftAlone, int(c.after.size()));
            EXPECT_EQ(second.removed + second.leftAlone, c.emptiedCount);
            EXPECT_TRUE(second.emptied.empty());
            EXPECT_EQ(Rows(tree), QStringList{"Internet Explorer - Favorites"} + c.rows);
            std::vector<std::string> onDisk;
            for (const auto& found : fs::recursive_directory_iterator(favorites))
                onDisk.push_back(found.path().lexically_relative(favorites).native());
            std::sort(onDisk.begin(), onDisk.end());
            EXPECT_EQ(onDisk, c.kept);
        }
    }
}
