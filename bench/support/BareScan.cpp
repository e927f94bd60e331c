#include "BareScan.h"

#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isShortcutName(const char* name)
{
    const size_t length = std::strlen(name);
    return length > 4 && strcasecmp(name + length - 4, ".url") == 0;
}

std::uint64_t readWhole(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buffer[4096];
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            break;
        total += std::uint64_t(count);
    }
    ::close(fd);
    return total;
}

// A link to a file is read like the file; a link to a folder is not entered,
// so a looping link cannot keep the walk going.
unsigned char typeOf(int dirFd, const dirent& entry)
{
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return entry.d_type;
    struct stat info;
    if (::fstatat(dirFd, entry.d_name, &info, 0) != 0)
        return DT_UNKNOWN;
    if (S_ISREG(info.st_mode))
        return DT_REG;
    return S_ISDIR(info.st_mode) && entry.d_type == DT_UNKNOWN ? DT_DIR : DT_UNKNOWN;
}

void walk(const std::string& dir, BareScanResult& result)
{
    DIR* handle = ::opendir(dir.c_str());
    if (!handle)
        return;
    while (const dirent* entry = ::readdir(handle)) {
        if (entry->d_name[0] == '.')
            continue;
        const unsigned char type = typeOf(::dirfd(handle), *entry);
        if (type == DT_DIR) {
            ++result.folders;
            walk(dir + '/' + entry->d_name, result);
        } else if (type == DT_REG && isShortcutName(entry->d_name)) {
            ++result.files;
            result.bytes += readWhole(dir + '/' + entry->d_name);
        }
    }
    ::closedir(handle);
}

} // namespace

BareScanResult BareWalkAndRead(const std::filesystem::path& root)
{
    BareScanResult result;
    walk(root.native(), result);
    return result;
}
