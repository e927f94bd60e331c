#pragma once

#include "ResultsStore.h"
#include "UnreadableFolder.h"

#include <vector>

class BookmarkModel;
class BookmarkNode;
struct BookmarkEntry;

// How many links of a tree show a verdict kept from an earlier run.
struct KeptCounts
{
    int shown = 0;
    int dead = 0;
    int unsure = 0;
};

// Lights each link's lamp with the verdict kept for its path and link text,
// the tooltip saying when it was made; links without one stay as they are.
KeptCounts ShowKeptVerdicts(BookmarkModel& tree, const ResultsStore& store, const QDateTime& now);

// The links of tree, in tree order, that an earlier run left unasked
// because their host limited it: the next run asks them first.
std::vector<BookmarkNode*> LinksToAskFirst(const BookmarkModel& tree, const ResultsStore& store);

// Adds a run's verdict on the link of entry.
const KeptResult& KeepVerdict(ResultsStore& store, const BookmarkEntry& entry,
                              const Judgement& judgement, const QDateTime& now);

// Keeps what store knows of the links below the folders the scan could not
// read: their links are missing from the tree, not gone.
void HoldUnreadFolders(ResultsStore& store, const std::vector<UnreadableFolder>& unreadable);

// Forgets the links that are no longer in the tree (deleted).
void ForgetLinksGone(ResultsStore& store, const BookmarkModel& tree);

// Writes store, less the links gone from tree, into the state folder
// (made when missing) if anything changed; a refused store is left alone,
// since its load said why. False, with error set, when it could not be
// written.
bool SaveKeptResults(ResultsStore& store, const BookmarkModel& tree, QString* error);

// Links shown alive under another link text than the one kept were
// rewritten to a new address: that one is kept now, alive.
void KeepRewrittenLinks(ResultsStore& store, const BookmarkModel& tree, const QDateTime& now);

// The dead links "Delete all dead links" takes whose verdict was made before
// since, or is dated after now (a clock that was wrong: its age is unknown),
// and when the newest of those was made; invalid when one is of unknown age.
struct EarlierDead
{
    int count = 0;
    QDateTime newest;
};
EarlierDead DeadJudgedBefore(const ResultsStore& store, const BookmarkModel& tree,
                             const QDateTime& since, const QDateTime& now);
