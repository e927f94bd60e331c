#include "AtomicFile.h"

#include "ExtendedAttributes.h"
#include "UniqueFd.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString displayPath(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

bool failWithErrno(QString* error, const QString& what, int code)
{
    return fail(error, what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(code)));
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// The temporary names of a target, tried in order. A save killed halfway
// leaves at most the first free one behind, and the next save of the same
// target takes it over. The later ones serve only while a directory that is
// not empty (which may hold what someone cares about, so it is never removed
// or moved) occupies an earlier one.
std::string temporaryFor(const std::string& target, int index)
{
    std::string name = ".";
    name += target;
    name += ".saving";
    if (index > 0) {
        // Appended piece by piece: GCC 12 misreads "." + a temporary string
        // as an overlapping copy at -O3.
        name += '.';
        name += std::to_string(index);
    }
    return name;
}

constexpr int TemporaryNames = 8;

// Something other than a plain file at the temporary name is no save of
// ours: a symbolic link, FIFO, socket or device node loses its name (never
// what it leads to), and so does an empty directory. Returns false with
// errno set when the name stays taken (ENOTEMPTY: a directory with contents).
bool clearNonFile(int dirFd, const std::string& temporary)
{
    struct stat found;
    if (::fstatat(dirFd, temporary.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (S_ISREG(found.st_mode))
        return true;
    const int removed =
        ::unlinkat(dirFd, temporary.c_str(), S_ISDIR(found.st_mode) ? AT_REMOVEDIR : 0);
    if (removed == 0 || errno == ENOENT)
        return true;
    if (errno == EEXIST)
        errno = ENOTEMPTY;
    return false;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the temporary file empty and locked. The lock, held until the file
// has been renamed, keeps two saves of one target apart; a killed save's lock
// dies with it. A new one is created under the umask, as any new file is;
// a left-over one is reused only when the target's permissions will be
// copied onto it anyway.
UniqueFd openTemporary(int dirFd, const std::string& temporary, bool targetExists, mode_t mode)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        bool created = true;
        UniqueFd fd(
            ::openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!fd.isOpen() && errno == EEXIST) {
            if (!clearNonFile(dirFd, temporary))
                return {};
            created = false;
            fd.reset(::openat(dirFd, temporary.c_str(),
                              O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        }
        if (!fd.isOpen()) {
            // Renamed away by another save in the meantime, or cleared just
            // now, or turned into something else than a file since.
            if (errno == ENOENT || errno == ELOOP || errno == EISDIR || errno == ENXIO)
                continue;
            return {};
        }
        struct stat opened;
        struct stat named;
        if (::flock(fd.get(), LOCK_EX) != 0 || ::fstat(fd.get(), &opened) != 0)
            return {};
        // While this save waited for the lock, another one may have renamed
        // the file into place (it is the target now) or removed it.
        const bool stillTemporary =
            ::fstatat(dirFd, temporary.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameFile(opened, named);
        const bool reusable = S_ISREG(opened.st_mode) && opened.st_nlink == 1 && targetExists;
        if (stillTemporary && (created || reusable)) {
            if (created || ::ftruncate(fd.get(), 0) == 0)
                return fd;
        }
        if (stillTemporary)
            ::unlinkat(dirFd, temporary.c_str(), 0);
    }
    errno = EBUSY;
    return {};
}

// What a replacement inside a checked folder asks beyond the bytes.
struct Finish
{
    const FileReplacement* how = nullptr;
    int attributesFrom = -1; // the file replaced, open
    struct stat* replaced = nullptr;
    // The new file's mode instead of the old one's; 0 keeps the old one's.
    mode_t mode = 0;
};

bool isStill(int dirFd, const std::string& name, const FileReplacement& how)
{
    struct stat now;
    return ::fstatat(dirFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
           FileIdOf(now) == how.expected && FileStampOf(now) == how.expectedStamp;
}

// Writes bytes under a temporary name in the folder dirFd and renames it to
// name there. existing is what name was found to be (nullptr: nothing yet);
// its checks are the caller's.
bool replaceIn(int dirFd, const std::string& name, const QString& shown, const QByteArray& bytes,
               const struct stat* existing, const Finish& finish, QString* error)
{
    std::string temporary;
    UniqueFd fd;
    for (int index = 0; index < TemporaryNames && !fd.isOpen(); ++index) {
        temporary = temporaryFor(name, index);
        fd = openTemporary(dirFd, temporary, existing != nullptr, finish.mode ? finish.mode : 0666);
        if (!fd.isOpen() && errno != ENOTEMPTY)
            break;
    }
    if (!fd.isOpen())
        return failWithErrno(error, QStringLiteral("Cannot create a file next to ") + shown, errno);

    const auto abandon = [&](const QString& what) {
        const int code = errno;
        ::unlinkat(dirFd, temporary.c_str(), 0); // still locked: no other save has it
        return failWithErrno(error, what, code);
    };
    // Before the first byte: a left-over temporary file may have been open to others.
    if (finish.mode && ::fchmod(fd.get(), finish.mode) != 0)
        return abandon(QStringLiteral("Cannot set the permissions of ") + shown);
    if (!writeAll(fd.get(), bytes))
        return abandon(QStringLiteral("Cannot write ") + shown);
    if (existing && !finish.mode) {
        // Owner first: a change of owner may clear mode bits.
        if (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) {
            if (::fchown(fd.get(), existing->st_uid, existing->st_gid) != 0) {
                // Not allowed for an ordinary user; the file is then ours.
            }
        }
        if (::fchmod(fd.get(), existing->st_mode & 07777) != 0)
            return abandon(QStringLiteral("Cannot set the permissions of ") + shown);
    }
    if (finish.attributesFrom >= 0 && !CopyUserAttributes(finish.attributesFrom, fd.get()))
        return abandon(QStringLiteral("Cannot keep the extended attributes of ") + shown);
    // After the last write, which would set the modification time again.
    if (finish.how && ::futimens(fd.get(), finish.how->times.data()) != 0)
        return abandon(QStringLiteral("Cannot set the times of ") + shown);
    if (::fsync(fd.get()) != 0)
        return abandon(QStringLiteral("Cannot write ") + shown);
    if (finish.how && !isStill(dirFd, name, *finish.how)) {
        errno = ESTALE;
        return abandon(shown + QStringLiteral(" changed while it was written"));
    }
    // Renamed while still locked, so no other save can take the file over
    // in between; the data is on disk, so closing can no longer lose it.
    if (::renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) != 0)
        return abandon(QStringLiteral("Cannot replace ") + shown);
    // Looked at after the rename, which moves the change time.
    if (finish.replaced && ::fstat(fd.get(), finish.replaced) != 0)
        *finish.replaced = {};
    fd.reset();
    // Makes the rename itself durable; the folder got the new file either
    // way, so a failure here is not reported.
    ::fsync(dirFd);
    return true;
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& path, const QByteArray& bytes, QString* error)
{
    std::filesystem::path target = path;
    struct stat existing;
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return failWithErrno(error, displayPath(path), errno);
    if (exists) {
        if (!S_ISREG(existing.st_mode))
            return fail(error, displayPath(path) + QStringLiteral(" is not a regular file"));
        // access() would say yes to root; the owner-write bit is what makes
        // a file read-only for the user, so that is what counts.
        if (!(existing.st_mode & S_IWUSR))
            return fail(error, displayPath(path) + QStringLiteral(" is read-only"));
        std::error_code ec;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec)))
            target = std::filesystem::canonical(path, ec);
        if (ec)
            return failWithErrno(error, displayPath(path), ec.value());
    }
    const std::filesystem::path folder = target.parent_path();
    const UniqueFd dir(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.isOpen())
        return failWithErrno(
            error, QStringLiteral("Cannot create a file in ") + displayPath(folder), errno);
    return replaceIn(dir.get(), target.filename().string(), displayPath(target), bytes,
                     exists ? &existing : nullptr, {}, error);
}

bool ReplaceFileAtomicallyAt(int dirFd, const std::string& name, const QByteArray& bytes,
                             const FileReplacement& how, struct stat* replaced, QString* error)
{
    const QString shown = QFile::decodeName(QByteArray::fromStdString(name));
    // Opened without being read, which would change its access time, for
    // its attributes.
    const UniqueFd old(
        ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat existing;
    if (!old.isOpen() || ::fstat(old.get(), &existing) != 0)
        return failWithErrno(error, shown, errno);
    if (!S_ISREG(existing.st_mode))
        return fail(error, shown + QStringLiteral(" is not a regular file"));
    if (FileIdOf(existing) != how.expected || FileStampOf(existing) != how.expectedStamp)
        return fail(error, shown + QStringLiteral(" was changed"));
    if (!(existing.st_mode & S_IWUSR))
        return fail(error, shown + QStringLiteral(" is read-only"));
    return replaceIn(dirFd, name, shown, bytes, &existing, {&how, old.get(), replaced}, error);
}

bool WritePrivateFileAt(int dirFd, const std::string& name, const QByteArray& bytes, QString* error,
                        const QString& shownAs)
{
    const QString shown =
        shownAs.isEmpty() ? QFile::decodeName(QByteArray::fromStdString(name)) : shownAs;
    struct stat existing;
    const bool exists = ::fstatat(dirFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return failWithErrno(error, shown, errno);
    if (exists) {
        if (S_ISLNK(existing.st_mode))
            return fail(error, shown + QStringLiteral(" is a symbolic link"));
        if (!S_ISREG(existing.st_mode))
            return fail(error, shown + QStringLiteral(" is not a regular file"));
        if (existing.st_uid != ::geteuid())
            return fail(error, shown + QStringLiteral(" belongs to another user"));
        if (!(existing.st_mode & S_IWUSR))
            return fail(error, shown + QStringLiteral(" is read-only"));
    }
    Finish finish;
    finish.mode = S_IRUSR | S_IWUSR;
    return replaceIn(dirFd, name, shown, bytes, exists ? &existing : nullptr, finish, error);
}
