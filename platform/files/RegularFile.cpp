#include "RegularFile.h"

#include "UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int ReadRegularFile(const std::filesystem::path& path, QByteArray& bytes)
{
    return ReadRegularFileAt(AT_FDCWD, path.c_str(), bytes);
}

int ReadRegularFile(const std::filesystem::path::value_type* path, QByteArray& bytes)
{
    return ReadRegularFileAt(AT_FDCWD, path, bytes);
}

namespace {

// What to do with a file longer than the limit.
enum class PastLimit
{
    Refuse,
    Cut,
};

// Whose file may be read.
enum class Owner
{
    Anyone,
    Us,
};

int readRegular(int dirFd, const char* name, qint64 limit, PastLimit pastLimit, QByteArray& bytes,
                FileId* nameId = nullptr, FileStamp* stamp = nullptr, int extraFlags = 0,
                Owner owner = Owner::Anyone)
{
    bytes.resize(0);
    const bool ours = owner == Owner::Us;
    // O_NONBLOCK: opening a FIFO that has no writer would otherwise wait.
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (nameId || ours ? O_NOFOLLOW : 0);
    UniqueFd file(::openat(dirFd, name, flags | extraFlags));
    // O_NOATIME is only for the file's owner (and root).
    if (!file.isOpen() && errno == EPERM && (extraFlags & O_NOATIME))
        file.reset(::openat(dirFd, name, flags));
    if (!file.isOpen())
        return errno;
    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return errno;
    if (nameId)
        *nameId = FileIdOf(info);
    if (stamp)
        *stamp = FileStampOf(info);
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return EINVAL;
    if (ours && info.st_uid != ::geteuid())
        return EPERM;
    const bool cut = pastLimit == PastLimit::Cut;
    if (info.st_size > limit && !cut)
        return EFBIG;

    // One byte more than the size, so a file that did not change is read
    // in a single call that comes back short.
    const qsizetype expected = qsizetype(std::min<qint64>(info.st_size, limit));
    bytes.resize(expected + 1);
    qsizetype total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total > limit) {
                if (!cut)
                    return EFBIG;
                total = qsizetype(limit);
                break;
            }
            bytes.resize(std::min<qint64>(total * 2, limit + 1));
        }
        const ssize_t count =
            ::read(file.get(), bytes.data() + total, size_t(bytes.size() - total));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            bytes.resize(0);
            return error;
        }
        total += count;
        // A short read of a regular file is its end; files whose size fstat
        // does not know (size 0) are read until read() says so.
        if (count == 0 || (expected > 0 && total >= expected && total < bytes.size()))
            break;
    }
    bytes.resize(total);
    return 0;
}

} // namespace

int ReadRegularFileAt(int dirFd, const char* name, QByteArray& bytes)
{
    return readRegular(dirFd, name, ReadFileLimit, PastLimit::Refuse, bytes);
}

int ReadFileStartAt(int dirFd, const char* name, qint64 limit, QByteArray& bytes, FileId* nameId,
                    FileStamp* stamp)
{
    return readRegular(dirFd, name, limit, PastLimit::Cut, bytes, nameId, stamp);
}

int ReadFileQuietlyAt(int dirFd, const char* name, qint64 limit, QByteArray& bytes, FileId& nameId,
                      FileStamp& stamp)
{
    return readRegular(dirFd, name, limit, PastLimit::Cut, bytes, &nameId, &stamp, O_NOATIME);
}

int ReadOwnFileAt(int dirFd, const char* name, qint64 limit, QByteArray& bytes)
{
    return readRegular(dirFd, name, limit, PastLimit::Refuse, bytes, nullptr, nullptr, 0,
                       Owner::Us);
}
