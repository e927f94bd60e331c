#pragma once

#include <functional>
#include <vector>

class BookmarkModel;
class BookmarkNode;

// Deletes the selected entries, on disk and in the tree: the selection is
// resolved to its top-most nodes (a folder covers what lies in it), each is
// deleted from disk (a folder with everything in it, a link's shortcut file),
// then all of them leave the tree in one update. A failure on disk is not
// reported; the row goes all the same.
void DeleteSelectedEntries(BookmarkModel& tree,
                           const std::function<bool(BookmarkNode*)>& isSelected);

// Deletes every link whose last probe found it dead, file and row, in one
// update. Folders are never removed. Returns how many links went.
int DeleteDeadLinks(BookmarkModel& tree);
