#pragma once

#include <cstdint>

#include <sys/stat.h>

// What a name led to when it was looked at: device and inode. A later look
// that finds another pair means the name was replaced in the meantime.
struct FileId
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

inline FileId FileIdOf(const struct stat& st)
{
    return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}
