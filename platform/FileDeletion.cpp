#include "FileDeletion.h"

#include "PathUtils.h"

#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

bool DeleteShortcutFile(const std::filesystem::path& path)
{
    // "link/" would make the system look through the link; the entry itself
    // is what gets deleted, so trailing separators go.
    const std::string target = WithoutTrailingSeparators(path.native());
    struct stat st;
    if (target.empty() || ::lstat(target.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(target.c_str()) == 0;
}

bool DeleteFolder(const std::filesystem::path& path)
{
    const std::string target = WithoutTrailingSeparators(path.native());
    struct stat st;
    if (target.empty() || ::lstat(target.c_str(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode))
        return ::unlink(target.c_str()) == 0; // the link goes, never what it leads to
    if (!S_ISDIR(st.st_mode))
        return false;
    std::error_code error;
    std::filesystem::remove_all(target, error);
    return !error;
}
