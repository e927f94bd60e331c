#include "DirectoryListing.h"

#include "DirectoryHandle.h"
#include "NtfsOrder.h"
#include "WildcardMatch.h"

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The attributes that hide an entry unless the mask asks for them.
constexpr int FilteringAttributes = faHidden | faSysFile | faVolumeID | faDirectory;

class DirStream final
{
public:
    explicit DirStream(DIR* dir) : dir_(dir) {}
    ~DirStream()
    {
        if (dir_)
            ::closedir(dir_);
    }
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;

    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

void applyStat(const struct stat& st, DirEntry& entry)
{
    if (S_ISDIR(st.st_mode))
        entry.attributes |= faDirectory;
    else if (S_ISREG(st.st_mode))
        entry.attributes |= faArchive;
    if (!(st.st_mode & S_IWUSR))
        entry.attributes |= faReadOnly;
    entry.device = static_cast<std::uint64_t>(st.st_dev);
    entry.inode = static_cast<std::uint64_t>(st.st_ino);
}

// Fills the attributes of one entry, following links. A scan lists every
// folder twice, so a plain file, which readdir already names as one, is not
// looked at further: a stat per file would double the cost of a listing.
void describe(int dirFd, const dirent& raw, DirEntry& entry)
{
    const std::string& name = entry.name;
    if (name.front() == '.' && name != "." && name != "..")
        entry.attributes |= faHidden;
    if (raw.d_type == DT_REG) {
        entry.attributes |= faArchive;
        return;
    }
    // Some file systems give no type; only there does telling a link apart
    // cost a look of its own.
    struct stat own;
    entry.isLink =
        raw.d_type == DT_LNK ||
        (raw.d_type == DT_UNKNOWN && ::fstatat(dirFd, raw.d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(own.st_mode));

    struct stat st;
    if (::fstatat(dirFd, raw.d_name, &st, 0) == 0) {
        applyStat(st, entry);
        return;
    }
    // Gone in the meantime, or a link that leads nowhere: what readdir saw is
    // all there is, and a dangling link is a plain file.
    if (raw.d_type == DT_DIR)
        entry.attributes |= faDirectory;
    else if (raw.d_type == DT_REG || raw.d_type == DT_LNK)
        entry.attributes |= faArchive;
}

struct Listed
{
    std::u16string key;
    DirEntry entry;
};

} // namespace

bool ListDirectory(const std::filesystem::path& dir, const std::string& pattern, int mask,
                   std::vector<DirEntry>& out)
{
    out.clear();
    const DirectoryHandle handle(dir.c_str());
    return handle.isOpen() && ListDirectoryAt(handle.fd(), pattern, mask, out);
}

bool ListDirectoryAt(int dir, const std::string& pattern, int mask, std::vector<DirEntry>& out)
{
    out.clear();
    const DirStream handle(OpenDirectoryStream(dir));
    if (!handle.get())
        return false;
    const int dirFd = ::dirfd(handle.get());

    std::vector<Listed> listed;
    while (const dirent* raw = ::readdir(handle.get())) {
        DirEntry entry;
        entry.name = raw->d_name;
        if (!MatchesPattern(entry.name, pattern))
            continue;
        describe(dirFd, *raw, entry);
        if (entry.attributes & FilteringAttributes & ~mask)
            continue;
        listed.push_back({NtfsSortKey(entry.name), std::move(entry)});
    }

    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
        return NtfsKeyLess(a.key, a.entry.name, b.key, b.entry.name);
    });
    out.reserve(listed.size());
    for (auto& item : listed)
        out.push_back(std::move(item.entry));
    return true;
}
