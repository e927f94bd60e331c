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

// What the file held when it was looked at, beyond which file it is: a
// write in place, a truncation, a touch, a new name or new attributes all
// move one of these, so a file with the same stamp is still the one read.
struct FileStamp
{
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since the epoch
    std::int64_t changed = 0;  // the change time, which no one can set back
    bool operator==(const FileStamp&) const = default;
};

inline std::int64_t Nanoseconds(const struct timespec& time)
{
    return std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

inline FileStamp FileStampOf(const struct stat& st)
{
    return {std::int64_t(st.st_size), Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}
