#include "FileDeletion.h"

#include "DirectoryHandle.h"
#include "UniqueFd.h"

#include <algorithm>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One folder on the way down, with the names in it still to remove.
struct Level
{
    FileId id;
    std::string name; // in the folder above
    std::vector<std::string> names;
    bool emptied = true;
};

bool isSpared(const struct stat& st, std::uint64_t device, const std::vector<FileId>& spared)
{
    // A mount point, or a bind mount of the Favorites folder inside itself.
    return std::uint64_t(st.st_dev) != device ||
           std::find(spared.begin(), spared.end(), FileIdOf(st)) != spared.end();
}

// The folder name in parent, opened only when it is a folder of the same
// file system that may go; its names are read before anything is removed.
bool enter(int parent, const std::string& name, std::uint64_t device,
           const std::vector<FileId>& spared, UniqueFd& opened, Level& level)
{
    opened.reset(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!opened.isOpen() || ::fstat(opened.get(), &st) != 0 || isSpared(st, device, spared))
        return false;
    level = {FileIdOf(st), name, NamesIn(opened.get()), true};
    return true;
}

// The folder above, by "..", and only when it is still the one the walk
// came down from: a folder moved meanwhile ends the deletion there.
UniqueFd climb(int dir, const FileId& above)
{
    UniqueFd up(::openat(dir, "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!up.isOpen() || ::fstat(up.get(), &st) != 0 || !(FileIdOf(st) == above))
        return {};
    return up;
}

// Depth first without recursion, and with one folder open at a time beside
// the caller's: a tree handed over may be far deeper than the stack or the
// limit of open files allows.
bool removeTree(int parent, const std::string& name, std::uint64_t device,
                const std::vector<FileId>& spared)
{
    std::vector<Level> path(1);
    UniqueFd dir;
    if (!enter(parent, name, device, spared, dir, path.back()))
        return false;
    for (;;) {
        Level& level = path.back();
        if (!level.names.empty()) {
            const std::string inside = std::move(level.names.back());
            level.names.pop_back();
            struct stat found;
            if (::fstatat(dir.get(), inside.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0) {
                level.emptied = false;
            } else if (!S_ISDIR(found.st_mode)) {
                level.emptied = ::unlinkat(dir.get(), inside.c_str(), 0) == 0 && level.emptied;
            } else {
                UniqueFd below;
                Level next;
                if (enter(dir.get(), inside, device, spared, below, next)) {
                    path.push_back(std::move(next));
                    dir = std::move(below);
                } else {
                    level.emptied = false;
                }
            }
            continue;
        }
        const Level done = std::move(path.back());
        path.pop_back();
        if (path.empty())
            return done.emptied && ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
        dir = climb(dir.get(), path.back().id);
        if (!dir.isOpen())
            return false;
        const bool removed =
            done.emptied && ::unlinkat(dir.get(), done.name.c_str(), AT_REMOVEDIR) == 0;
        path.back().emptied = removed && path.back().emptied;
    }
}

// Deeper than any folder a person made: taken for not empty.
constexpr int MaxEmptyDepth = 64;

bool holdsNothing(int parent, const std::string& name, std::uint64_t device, int depth)
{
    if (depth > MaxEmptyDepth)
        return false;
    UniqueFd dir(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!dir.isOpen() || ::fstat(dir.get(), &st) != 0 || std::uint64_t(st.st_dev) != device)
        return false;
    for (const std::string& inside : NamesIn(dir.get())) {
        struct stat found;
        if (::fstatat(dir.get(), inside.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        const bool folderLook =
            S_ISREG(found.st_mode) && ::strcasecmp(inside.c_str(), "desktop.ini") == 0;
        if (!folderLook &&
            !(S_ISDIR(found.st_mode) && holdsNothing(dir.get(), inside, device, depth + 1)))
            return false;
    }
    return true;
}

} // namespace

bool FolderHoldsNothingAt(int dir, const std::string& name)
{
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return holdsNothing(dir, name, std::uint64_t(st.st_dev), 0);
}

bool DeleteFileAt(int dir, const std::string& name)
{
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlinkat(dir, name.c_str(), 0) == 0;
}

bool DeleteFolderAt(int dir, const std::string& name, const std::vector<FileId>& spared)
{
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISLNK(st.st_mode))
        return ::unlinkat(dir, name.c_str(), 0) == 0; // the link goes, never what it leads to
    return S_ISDIR(st.st_mode) && removeTree(dir, name, std::uint64_t(st.st_dev), spared);
}
