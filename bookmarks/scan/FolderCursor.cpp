#include "FolderCursor.h"

#include "BookmarkNode.h"
#include "PathUtils.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Held besides the root and the current folder: a path through more directory
// links than this opens the ones let go again from above when it comes back.
constexpr size_t MaxHeld = 8;

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

} // namespace

FolderCursor::FolderCursor(BookmarkNode* root, UniqueFd rootFolder)
{
    path_.push_back({root, std::move(rootFolder)});
}

int FolderCursor::open(BookmarkNode* node, size_t depth)
{
    error_ = 0;
    // From node up to the deepest folder it shares with the current path.
    std::vector<BookmarkNode*> down;
    while (depth >= path_.size() || path_[depth].node != node) {
        down.push_back(node);
        node = node->parent();
        --depth;
    }
    if (!climbTo(depth))
        return -1;
    for (auto step = down.rbegin(); step != down.rend(); ++step) {
        if (!descend(*step))
            return -1;
    }
    return path_.back().folder.get();
}

bool FolderCursor::climbTo(size_t depth)
{
    while (path_.size() > depth + 1) {
        const Level& child = path_.back();
        Level& parent = path_[path_.size() - 2];
        if (!parent.folder.isOpen()) {
            if (child.node->entry.IsDirLink)
                break;
            parent.folder = openChecked(child.folder.get(), "..", FolderFlags, parent.node);
            if (!parent.folder.isOpen())
                break;
        }
        popTo(path_.size() - 2);
    }
    return path_.size() == depth + 1 || reopen(depth);
}

// Opens the folder at depth from the deepest open one above it, one name at a
// time; on failure the cursor stays at that open one.
bool FolderCursor::reopen(size_t depth)
{
    popTo(depth);
    size_t from = depth;
    while (!path_[from].folder.isOpen())
        --from;
    UniqueFd folder;
    for (size_t level = from + 1; level <= depth; ++level) {
        const int parent = level == from + 1 ? path_[from].folder.get() : folder.get();
        folder = openChild(parent, path_[level].node);
        if (!folder.isOpen()) {
            popTo(from);
            return false;
        }
    }
    if (depth > from)
        path_[depth].folder = std::move(folder);
    return true;
}

bool FolderCursor::descend(BookmarkNode* child)
{
    UniqueFd folder = openChild(path_.back().folder.get(), child);
    if (!folder.isOpen())
        return false;
    const size_t top = path_.size() - 1;
    if (top > 0 && child->entry.IsDirLink) {
        held_.push_back(top);
        if (held_.size() > MaxHeld) {
            path_[held_.front()].folder.reset();
            held_.erase(held_.begin());
        }
    } else if (top > 0) {
        path_[top].folder.reset();
    }
    path_.push_back({child, std::move(folder)});
    return true;
}

// A plain folder must still be one, not a link put in its place.
UniqueFd FolderCursor::openChild(int parent, const BookmarkNode* child)
{
    const int flags = child->entry.IsDirLink ? FolderFlags : FolderFlags | O_NOFOLLOW;
    return openChecked(parent, FileNamePart(child->entry.Path), flags, child);
}

UniqueFd FolderCursor::openChecked(int dir, const std::string& name, int flags,
                                   const BookmarkNode* node)
{
    UniqueFd folder(::openat(dir, name.c_str(), flags));
    struct stat st;
    if (!folder.isOpen() || ::fstat(folder.get(), &st) != 0) {
        error_ = errno;
        return {};
    }
    if (FileIdOf(st) != node->entry.Id) {
        error_ = 0;
        return {};
    }
    return folder;
}

// The folder at depth becomes the current one; those below it close.
void FolderCursor::popTo(size_t depth)
{
    path_.resize(depth + 1);
    while (!held_.empty() && held_.back() >= depth)
        held_.pop_back();
}
