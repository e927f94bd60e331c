#include "Deletion.h"

#include "BookmarkModel.h"
#include "EntryPlace.h"
#include "FileDeletion.h"
#include "PathUtils.h"
#include "StillAsRead.h"
#include "Trash.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include <sys/stat.h>

namespace {

enum class Fate
{
    Trashed, // the row goes
    Deleted, // permanently: the row goes
    Missing, // no longer on disk: the row goes
    Kept,    // left on disk: the row stays
    Changed, // not what its verdict was about: the row stays, unjudged
    NoTrash, // not to the Trash: deleted permanently if the user agreed
};

// What an entry must still be on disk to go.
enum class Check
{
    None,
    Verdict, // the shortcut its verdict was about (IsStillAsRead)
    Empty,   // a folder that holds nothing
};

// The entry's folder, found again from the Favorites folder along the
// folders the tree shows above it.
CheckedParent locate(const std::string& favoritesPath, BookmarkNode* node)
{
    return WalkToPlace(PlaceOf(favoritesPath, node));
}

// Where the walk ends, whether the entry may be touched there at all.
std::optional<Fate> settledByWalk(const BookmarkEntry& entry, const CheckedParent& where,
                                  Check check)
{
    if (where.outcome == WalkOutcome::Missing)
        return Fate::Missing;
    if (check == Check::Verdict && !IsStillAsRead(where, entry))
        return Fate::Changed;
    if (where.outcome == WalkOutcome::Changed)
        return Fate::Kept;
    if (check == Check::Empty && !FolderHoldsNothingAt(where.dir.get(), FileNamePart(entry.Path)))
        return Fate::Kept;
    // The rule Config.ini follows too: a file its owner may not write stays.
    if (!entry.IsFolder && !(where.entry.st_mode & S_IWUSR))
        return Fate::Kept;
    return std::nullopt;
}

Fate toTrash(Trash& trash, const std::string& favoritesPath, BookmarkNode* node, Check check,
             Untrashable& untrashable)
{
    const CheckedParent where = locate(favoritesPath, node);
    if (const std::optional<Fate> settled = settledByWalk(node->entry, where, check))
        return *settled;
    const TrashOutcome outcome = trash.move(where.dir.get(), FileNamePart(node->entry.Path));
    if (outcome == TrashOutcome::Moved)
        return Fate::Trashed;
    if (outcome == TrashOutcome::Failed)
        return Fate::Kept;
    ++untrashable.count;
    if (std::find(untrashable.causes.begin(), untrashable.causes.end(), outcome) ==
        untrashable.causes.end())
        untrashable.causes.push_back(outcome);
    return Fate::NoTrash;
}

Fate deletePermanently(const std::string& favoritesPath, BookmarkNode* node, Check check,
                       const std::vector<FileId>& spared)
{
    // Found again: the question gave the disk time to change.
    const CheckedParent where = locate(favoritesPath, node);
    if (const std::optional<Fate> settled = settledByWalk(node->entry, where, check))
        return *settled;
    const std::string name = FileNamePart(node->entry.Path);
    const bool deleted = node->entry.IsFolder ? DeleteFolderAt(where.dir.get(), name, spared)
                                              : DeleteFileAt(where.dir.get(), name);
    return deleted ? Fate::Deleted : Fate::Kept;
}

// A folder inside the Favorites folder that a deletion may take when it
// empties it: never the root entry, a folder link or what lies below one.
bool mayBeEmptied(const BookmarkNode* node)
{
    const BookmarkEntry& entry = node->entry;
    const bool belowRoot = node->parent() && node->parent()->parent();
    return belowRoot && entry.IsFolder && !entry.IsDirLink && !entry.OutsideFavorites;
}

// The folders above the rows about to go: only those can be emptied.
std::unordered_set<const BookmarkNode*> foldersAbove(const std::vector<BookmarkNode*>& gone)
{
    std::unordered_set<const BookmarkNode*> above;
    for (const BookmarkNode* node : gone) {
        const BookmarkNode* folder = node->parent();
        while (folder && above.insert(folder).second)
            folder = folder->parent();
    }
    return above;
}

// Of the folders that lost rows, those left holding only folders like
// themselves (a folder empty before keeps the one above it); the outermost,
// in tree order, are the ones to take.
void findEmptied(const BookmarkModel& tree, const std::unordered_set<const BookmarkNode*>& lostRows,
                 DeletionOutcome& outcome)
{
    std::unordered_map<const BookmarkNode*, bool> known;
    const auto isEmptied = [&](const BookmarkNode* folder, auto& self) -> bool {
        if (!lostRows.contains(folder) || !mayBeEmptied(folder))
            return false;
        if (const auto found = known.find(folder); found != known.end())
            return found->second;
        bool holdsNothing = true;
        for (int row = 0; row < folder->childCount() && holdsNothing; ++row)
            holdsNothing = self(folder->child(row), self);
        known[folder] = holdsNothing;
        return holdsNothing;
    };
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        if (!isEmptied(node, isEmptied))
            continue;
        ++outcome.emptiedCount;
        if (!isEmptied(node->parent(), isEmptied))
            outcome.emptied.push_back(node);
    }
}

// An emptied folder counts with the emptied folders in it, as the question
// about them counted; any other entry counts once.
int countOf(const BookmarkNode* node, Check check)
{
    if (check != Check::Empty)
        return 1;
    int folders = 1;
    for (int row = 0; row < node->childCount(); ++row)
        folders += countOf(node->child(row), check);
    return folders;
}

// Trash first for all, then one question for what no trash took, then the
// rows that went leave the tree together. Without the Trash, the question
// the user already answered covers every entry.
DeletionOutcome deleteNodes(BookmarkModel& tree, const std::string& favoritesPath,
                            const std::vector<BookmarkNode*>& nodes, bool useTrash,
                            const PermanentDeletionQuestion& askPermanent,
                            const std::function<Check(const BookmarkNode*)>& checkOf)
{
    std::vector<Check> checks;
    for (BookmarkNode* node : nodes)
        checks.push_back(checkOf ? checkOf(node) : Check::None);
    std::vector<Fate> fates(nodes.size(), Fate::NoTrash);
    Untrashable untrashable;
    if (useTrash) {
        Trash trash;
        for (size_t i = 0; i < nodes.size(); ++i)
            fates[i] = toTrash(trash, favoritesPath, nodes[i], checks[i], untrashable);
    }
    const bool permanently = !useTrash || (untrashable.count > 0 && askPermanent(untrashable));
    const std::vector<FileId> spared =
        permanently ? FolderAndAncestors(favoritesPath) : std::vector<FileId>();

    DeletionOutcome outcome;
    std::vector<BookmarkNode*> gone;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (fates[i] == Fate::NoTrash)
            fates[i] = permanently ? deletePermanently(favoritesPath, nodes[i], checks[i], spared)
                                   : Fate::Kept;
        if (fates[i] == Fate::Changed) {
            ReadShortcutAgain(tree, nodes[i], PlaceOf(favoritesPath, nodes[i]));
            ++outcome.changed;
        }
        const int count = countOf(nodes[i], checks[i]);
        if (fates[i] == Fate::Kept || fates[i] == Fate::Changed) {
            outcome.leftAlone += count;
            continue;
        }
        gone.push_back(nodes[i]);
        outcome.removed += count;
        outcome.trashed += fates[i] == Fate::Trashed ? count : 0;
        outcome.deletedPermanently += fates[i] == Fate::Deleted ? count : 0;
    }
    const std::unordered_set<const BookmarkNode*> lostRows = foldersAbove(gone);
    tree.deleteNodes(gone);
    findEmptied(tree, lostRows, outcome);
    return outcome;
}

bool isDeadLink(const BookmarkEntry* entry)
{
    return entry && !entry->IsFolder && entry->Status == StatusDead;
}

} // namespace

DeletionOutcome DeleteSelectedEntries(BookmarkModel& tree, const std::string& favoritesPath,
                                      const std::vector<BookmarkNode*>& chosen, bool useTrash,
                                      const PermanentDeletionQuestion& askPermanent,
                                      const RestsOnVerdict& restsOnVerdict)
{
    std::vector<BookmarkNode*> nodes = chosen;
    // The root entry stands for the Favorites folder itself; it never goes.
    std::erase_if(nodes, [](BookmarkNode* node) { return !BookmarkModel::entry(node->parent()); });
    return deleteNodes(tree, favoritesPath, nodes, useTrash, askPermanent,
                       [&restsOnVerdict](const BookmarkNode* node) {
                           const bool forVerdict =
                               restsOnVerdict && !node->entry.IsFolder && restsOnVerdict(node);
                           return forVerdict ? Check::Verdict : Check::None;
                       });
}

DeadLinkCounts CountDeadLinks(const BookmarkModel& tree)
{
    DeadLinkCounts counts;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (isDeadLink(entry))
            ++(entry->OutsideFavorites ? counts.outside : counts.inside);
        else if (entry && !entry->IsFolder && entry->Status == StatusUnsure)
            ++counts.unsure;
    }
    return counts;
}

DeletionOutcome DeleteDeadLinks(BookmarkModel& tree, const std::string& favoritesPath,
                                bool useTrash, const PermanentDeletionQuestion& askPermanent)
{
    std::vector<BookmarkNode*> nodes;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (isDeadLink(entry) && !entry->OutsideFavorites)
            nodes.push_back(node);
    }
    return deleteNodes(tree, favoritesPath, nodes, useTrash, askPermanent,
                       [](const BookmarkNode*) { return Check::Verdict; });
}

DeletionOutcome DeleteEmptiedFolders(BookmarkModel& tree, const std::string& favoritesPath,
                                     const std::vector<BookmarkNode*>& emptied, bool useTrash,
                                     const PermanentDeletionQuestion& askPermanent)
{
    return deleteNodes(tree, favoritesPath, emptied, useTrash, askPermanent,
                       [](const BookmarkNode*) { return Check::Empty; });
}
