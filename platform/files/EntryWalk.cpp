#include "EntryWalk.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>

namespace {

WalkOutcome failure()
{
    return errno == ENOENT ? WalkOutcome::Missing : WalkOutcome::Changed;
}

bool isId(int fd, FileId id)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && FileIdOf(st) == id;
}

// A recorded directory link must still be a link and still lead to the
// recorded directory; a plain folder must not have become a link.
WalkOutcome enter(UniqueFd& dir, const PathStep& step)
{
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (step.isDirLink) {
        struct stat st;
        if (::fstatat(dir.get(), step.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return failure();
        if (!S_ISLNK(st.st_mode))
            return WalkOutcome::Changed;
    } else {
        flags |= O_NOFOLLOW;
    }
    UniqueFd next(::openat(dir.get(), step.name.c_str(), flags));
    if (!next.isOpen())
        return failure();
    if (!isId(next.get(), step.id))
        return WalkOutcome::Changed;
    dir = std::move(next);
    return WalkOutcome::Reached;
}

// The entry's own name: a linked folder must still be a link to the recorded
// directory (the link is what goes); anything else must be the recorded file.
WalkOutcome check(int dir, const PathStep& target, struct stat& st)
{
    if (::fstatat(dir, target.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return failure();
    if (!target.isDirLink)
        return FileIdOf(st) == target.id && S_ISDIR(st.st_mode) == target.isFolder
                   ? WalkOutcome::Reached
                   : WalkOutcome::Changed;
    struct stat led;
    if (!S_ISLNK(st.st_mode) || ::fstatat(dir, target.name.c_str(), &led, 0) != 0)
        return WalkOutcome::Changed;
    return FileIdOf(led) == target.id ? WalkOutcome::Reached : WalkOutcome::Changed;
}

} // namespace

CheckedParent WalkToEntry(const std::string& root, FileId rootId,
                          const std::vector<PathStep>& folders, const PathStep& target)
{
    CheckedParent result;
    result.dir.reset(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!result.dir.isOpen()) {
        result.outcome = failure();
        return result;
    }
    if (!isId(result.dir.get(), rootId))
        return result;
    for (const PathStep& step : folders) {
        result.outcome = enter(result.dir, step);
        if (result.outcome != WalkOutcome::Reached)
            return result;
    }
    result.inFolder = true;
    result.outcome = check(result.dir.get(), target, result.entry);
    return result;
}

std::vector<FileId> FolderAndAncestors(const std::string& path)
{
    std::vector<FileId> ids;
    UniqueFd dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    // The file system's root is its own parent, which ends the climb.
    while (dir.isOpen() && ::fstat(dir.get(), &st) == 0 &&
           std::find(ids.begin(), ids.end(), FileIdOf(st)) == ids.end()) {
        ids.push_back(FileIdOf(st));
        dir.reset(::openat(dir.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    return ids;
}
