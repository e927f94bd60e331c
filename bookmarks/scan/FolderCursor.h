#pragma once

#include "UniqueFd.h"

#include <cstddef>
#include <string>
#include <vector>

class BookmarkNode;

// The scan's way from one folder of the tree to the next. However deep the
// tree, only a few folders stay open: the Favorites folder, the current one,
// and a bounded number of those above it whose next folder down is reached
// through a directory link, since ".." out of a link's target leads to the
// target's own parent rather than back. Folders are reached down by name and
// up by ".."; each is checked to be the directory (device and inode) its
// listing recorded, so a folder replaced in the meantime is never read as the
// one shown. What cannot be reached that way is opened again from the nearest
// folder still open above it.
class FolderCursor final
{
public:
    // root: the node of the Favorites folder, which rootFolder holds open.
    FolderCursor(BookmarkNode* root, UniqueFd rootFolder);

    // Makes the folder of node (depth levels below the root) the current one
    // and returns it open; -1 when it cannot be reached, error() telling why.
    int open(BookmarkNode* node, size_t depth);
    // errno of the step that failed; 0 when the folder found was not the one
    // listed.
    int error() const { return error_; }

private:
    struct Level
    {
        BookmarkNode* node;
        UniqueFd folder; // open for the root, the current folder and the held ones
    };

    bool climbTo(size_t depth);
    bool reopen(size_t depth);
    bool descend(BookmarkNode* child);
    UniqueFd openChild(int parent, const BookmarkNode* child);
    UniqueFd openChecked(int dir, const std::string& name, int flags, const BookmarkNode* node);
    void popTo(size_t depth);

    std::vector<Level> path_;  // from the root down to the current folder
    std::vector<size_t> held_; // open levels between the two, shallowest first
    int error_ = 0;
};
