#include "FileDeletion.h"

#include "DirectoryHandle.h"
#include "UniqueFd.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool removeTree(int parent, const std::string& name, std::uint64_t device,
                const std::vector<FileId>& spared)
{
    const UniqueFd dir(
        ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!dir.isOpen() || ::fstat(dir.get(), &st) != 0)
        return false;
    // A mount point, or a bind mount of the Favorites folder inside itself.
    if (st.st_dev != device ||
        std::find(spared.begin(), spared.end(), FileIdOf(st)) != spared.end())
        return false;
    bool emptied = true;
    for (const std::string& inside : NamesIn(dir.get())) {
        struct stat found;
        if (::fstatat(dir.get(), inside.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0)
            emptied = false;
        else if (S_ISDIR(found.st_mode))
            emptied = removeTree(dir.get(), inside, device, spared) && emptied;
        else
            emptied = ::unlinkat(dir.get(), inside.c_str(), 0) == 0 && emptied;
    }
    return emptied && ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace

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
