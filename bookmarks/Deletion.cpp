#include "Deletion.h"

#include "BookmarkModel.h"
#include "FileDeletion.h"

namespace {

void DeleteFromDisk(const BookmarkEntry& entry)
{
    if (entry.IsFolder)
        DeleteFolder(entry.Path);
    else
        DeleteShortcutFile(entry.Path);
}

} // namespace

void DeleteSelectedEntries(BookmarkModel& tree,
                           const std::function<bool(BookmarkNode*)>& isSelected)
{
    const std::vector<BookmarkNode*> nodes = tree.sortedSelection(isSelected);
    for (BookmarkNode* node : nodes) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        // The root entry stands for the Favorites folder itself and has no
        // path of its own; it is never deleted from disk.
        if (entry && !entry->Path.empty())
            DeleteFromDisk(*entry);
    }
    tree.deleteNodes(nodes);
}

int DeleteDeadLinks(BookmarkModel& tree)
{
    int deleted = 0;
    tree.beginUpdate();
    for (BookmarkNode* node = tree.firstNode(); node;) {
        // Take the successor first: the node is gone once deleted.
        BookmarkNode* next = tree.nextNode(node);
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (entry && !entry->IsFolder && entry->Status == StatusDead) {
            DeleteShortcutFile(entry->Path);
            tree.deleteNode(node);
            ++deleted;
        }
        node = next;
    }
    tree.endUpdate();
    return deleted;
}
