#pragma once

#include "Trash.h"

#include <functional>
#include <string>
#include <vector>

class BookmarkModel;
class BookmarkNode;

// How a deletion went: rows that left the tree (moved to the Trash, deleted
// permanently, or already gone from disk), and entries left on disk (changed
// since the scan, read-only, or not deletable) whose rows stay. Of those,
// changed counts the links deleted for a verdict whose shortcuts changed
// since they were checked; their lamps are grey now.
struct DeletionOutcome
{
    int removed = 0;
    int leftAlone = 0;
    int changed = 0;
    int trashed = 0;
    int deletedPermanently = 0;
    // The folders the deletion left empty that held something before,
    // nested ones included (never the root, a folder link or what lies
    // below one); emptied names the outermost of them, whose rows are
    // still in the tree.
    int emptiedCount = 0;
    std::vector<BookmarkNode*> emptied;
};

// What no trash took in one deletion: how many entries, and why (each cause
// once, in the order met).
struct Untrashable
{
    int count = 0;
    std::vector<TrashOutcome> causes;
};

// Asked once, with what no trash would take, whether to delete those
// permanently. No keeps them, on disk and in the tree.
using PermanentDeletionQuestion = std::function<bool(const Untrashable&)>;

// Which links go for what a run judged of them (a dead link picked for being
// dead): each goes only while its shortcut is still what the run read (see
// IsStillAsRead), since that is what the verdict was about.
using RestsOnVerdict = std::function<bool(const BookmarkNode*)>;

// Moves the chosen entries (what ChooseEntries resolved a selection to; a
// folder covers what lies in it) to the Trash, or without useTrash deletes
// them permanently at once (the caller has asked): each is first found again
// from favoritesPath, one checked folder at a time, and left alone when
// anything on its way changed. An entry already gone from disk just leaves
// the tree. The rows that go leave it in one update. What restsOnVerdict
// picks (nothing when empty) is checked as that says.
DeletionOutcome DeleteSelectedEntries(BookmarkModel& tree, const std::string& favoritesPath,
                                      const std::vector<BookmarkNode*>& chosen, bool useTrash,
                                      const PermanentDeletionQuestion& askPermanent,
                                      const RestsOnVerdict& restsOnVerdict = {});

struct DeadLinkCounts
{
    int inside = 0;  // what "Delete all dead links" moves to the Trash
    int outside = 0; // below directory links: never deleted in bulk
    int unsure = 0;  // links not sure, anywhere: the bulk deletion keeps them
};
DeadLinkCounts CountDeadLinks(const BookmarkModel& tree);

// Moves every dead link inside the Favorites folder to the Trash (or deletes
// it), the same way, each for its verdict. Folders are never removed.
DeletionOutcome DeleteDeadLinks(BookmarkModel& tree, const std::string& favoritesPath,
                                bool useTrash, const PermanentDeletionQuestion& askPermanent);

// Moves the folders a deletion emptied (its emptied) to the Trash, or
// deletes them, as DeleteSelectedEntries does, each only while on disk it
// still holds nothing (FolderHoldsNothingAt); one that does stays.
DeletionOutcome DeleteEmptiedFolders(BookmarkModel& tree, const std::string& favoritesPath,
                                     const std::vector<BookmarkNode*>& emptied, bool useTrash,
                                     const PermanentDeletionQuestion& askPermanent);
