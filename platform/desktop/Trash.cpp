#include "Trash.h"

#include "PathUtils.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>
#include <string>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t PrivateMode = 0700;

} // namespace

struct Trash::Folders
{
    UniqueFd files;
    UniqueFd info;
    std::string topdir; // empty for the home trash, whose records hold absolute paths
    TrashOutcome refusal = TrashOutcome::Unreachable; // why files/ and info/ are not open
};

namespace {

using Folders = Trash::Folders;

bool refuse(Folders& trash, TrashOutcome why)
{
    trash.refusal = why;
    return false;
}

std::string homeTrashPath()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return JoinPath(dataHome, "Trash");
    const char* home = std::getenv("HOME");
    return JoinPath(JoinPath(home ? home : "", ".local/share"), "Trash");
}

std::optional<std::uint64_t> mountOf(int dir, const char* name, int flags)
{
    struct statx about
    {
    };
    if (::statx(dir, name, flags, STATX_MNT_ID, &about) != 0 || !(about.stx_mask & STATX_MNT_ID))
        return std::nullopt;
    return about.stx_mnt_id;
}

// The mount a path is or would be on: that of its nearest existing folder.
std::optional<std::uint64_t> mountOfNearest(std::string path)
{
    for (;;) {
        if (const std::optional<std::uint64_t> mount = mountOf(AT_FDCWD, path.c_str(), 0))
            return mount;
        const std::string above = WithoutTrailingSeparators(DirectoryPart(path));
        if (above.empty() || above == path)
            return std::nullopt;
        path = above;
    }
}

enum class Privacy
{
    OwnerOnly,      // mode 0700 and nothing else
    NoOtherWriters, // no one but the owner may add or replace what is in it
};

// Checked on the opened folder, so what is checked is what gets used.
bool isUsersOwn(int dir, Privacy privacy)
{
    struct stat st;
    if (::fstat(dir, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    const mode_t permissions = st.st_mode & 07777;
    return privacy == Privacy::OwnerOnly ? permissions == PrivateMode
                                         : (permissions & (S_IWGRP | S_IWOTH)) == 0;
}

// A folder of a trash: made private when missing, never a link, and the
// user's own. Anyone else's folder in its place could read, move or destroy
// what went in.
UniqueFd openFolder(Folders& trash, int parent, const char* name, Privacy privacy)
{
    const bool made = ::mkdirat(parent, name, PrivateMode) == 0;
    if (!made && errno != EEXIST) {
        refuse(trash, TrashOutcome::Unreachable);
        return {};
    }
    UniqueFd dir(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    // The umask may have taken bits the owner needs.
    if (dir.isOpen() && made)
        ::fchmod(dir.get(), PrivateMode);
    if (dir.isOpen() && isUsersOwn(dir.get(), privacy))
        return dir;
    refuse(trash, TrashOutcome::UnsafeTrash);
    return {};
}

bool openParts(Folders& trash, int base)
{
    UniqueFd files = openFolder(trash, base, "files", Privacy::NoOtherWriters);
    UniqueFd info =
        files.isOpen() ? openFolder(trash, base, "info", Privacy::NoOtherWriters) : UniqueFd();
    if (!info.isOpen())
        return false;
    trash.files = std::move(files);
    trash.info = std::move(info);
    return true;
}

bool openHomeTrash(Folders& trash, const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return refuse(trash, TrashOutcome::Unreachable);
    UniqueFd dir(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::string rest = path.substr(1);
    // Each missing folder on the way is made private, as the XDG rules ask.
    while (dir.isOpen() && !rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string name = rest.substr(0, slash);
        rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
        if (name.empty())
            continue;
        if (::mkdirat(dir.get(), name.c_str(), PrivateMode) != 0 && errno != EEXIST)
            return refuse(trash, TrashOutcome::Unreachable);
        dir.reset(::openat(dir.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    if (!dir.isOpen())
        return refuse(trash, TrashOutcome::Unreachable);
    if (!isUsersOwn(dir.get(), Privacy::NoOtherWriters))
        return refuse(trash, TrashOutcome::UnsafeTrash);
    return openParts(trash, dir.get());
}

// $topdir/.Trash/$uid, when an administrator made .Trash a sticky folder (no
// link) and the $uid folder in it is the user's own.
bool openSharedTrash(Folders& trash, int top, const std::string& uid)
{
    const UniqueFd shared(::openat(top, ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!shared.isOpen() || ::fstat(shared.get(), &st) != 0 || !(st.st_mode & S_ISVTX))
        return false;
    const UniqueFd own = openFolder(trash, shared.get(), uid.c_str(), Privacy::NoOtherWriters);
    return own.isOpen() && openParts(trash, own.get());
}

// $topdir/.Trash-$uid: no one but the user may even look into it.
bool openOwnTrash(Folders& trash, int top, const std::string& uid)
{
    const UniqueFd own = openFolder(trash, top, (".Trash-" + uid).c_str(), Privacy::OwnerOnly);
    return own.isOpen() && openParts(trash, own.get());
}

// Where the checked folder really is, links resolved: what a restore needs.
std::string realPathOf(int dir)
{
    char buffer[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(dir);
    const ssize_t size = ::readlink(link.c_str(), buffer, sizeof buffer);
    return size > 0 && size < ssize_t(sizeof buffer) ? std::string(buffer, size_t(size))
                                                     : std::string();
}

// The highest folder above the entry's folder on the same mount.
std::string topdirOf(const std::string& folder, std::uint64_t mount)
{
    std::string top = folder;
    for (;;) {
        const std::string above = WithoutTrailingSeparators(DirectoryPart(top));
        if (above.empty() || above == top ||
            mountOf(AT_FDCWD, above.c_str(), AT_SYMLINK_NOFOLLOW) != mount)
            return top;
        top = above;
    }
}

bool openTrashFor(Folders& trash, const std::string& folder, std::uint64_t mount)
{
    const std::string home = homeTrashPath();
    if (mountOfNearest(home) == mount)
        return openHomeTrash(trash, home);
    trash.topdir = topdirOf(folder, mount);
    const UniqueFd top(::open(trash.topdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The path was read before it was opened: it must still be that mount's.
    if (!top.isOpen() || mountOf(top.get(), "", AT_EMPTY_PATH) != mount)
        return refuse(trash, TrashOutcome::Unreachable);
    const std::string uid = std::to_string(::getuid());
    return openSharedTrash(trash, top.get(), uid) || openOwnTrash(trash, top.get(), uid);
}

// path as a record of the trash at topdir holds it. An entry that is not
// below topdir has no such path, and stays out of that trash.
std::optional<std::string> pathBelow(const std::string& topdir, const std::string& path)
{
    const std::string prefix = JoinPath(topdir, "");
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    return path.substr(prefix.size());
}

std::string record(const std::string& path)
{
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const QByteArray encoded = QByteArray::fromStdString(path).toPercentEncoding("/");
    return "[Trash Info]\nPath=" + encoded.toStdString() + "\nDeletionDate=" + date + "\n";
}

bool writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += size_t(written);
    }
    return true;
}

bool trashCannotTake(int error)
{
    return error == EXDEV || error == EACCES || error == EPERM || error == EROFS;
}

// name, then name.2; after that a random number instead of counting on, so
// the thousandth entry of one name in the Trash costs no thousand tries.
std::string trashNameFor(const std::string& name, int attempt)
{
    if (attempt == 1)
        return name;
    std::string trashName = name;
    trashName += '.';
    trashName += attempt == 2 ? std::string("2") : std::to_string(std::random_device()());
    return trashName;
}

// The record comes first under a free name (name, name.2, ...), so a trashed
// entry is never without one; it goes again when the move fails.
TrashOutcome moveInto(const Folders& trash, int dir, const std::string& name,
                      const std::string& recordPath)
{
    const std::string text = record(recordPath);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string trashName = trashNameFor(name, attempt);
        const std::string infoName = trashName + ".trashinfo";
        const UniqueFd info(::openat(trash.info.get(), infoName.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!info.isOpen() && errno == EEXIST)
            continue;
        if (!info.isOpen())
            return errno == ENAMETOOLONG ? TrashOutcome::NameTooLong : TrashOutcome::Unreachable;
        if (!writeAll(info.get(), text)) {
            ::unlinkat(trash.info.get(), infoName.c_str(), 0);
            return TrashOutcome::Unreachable;
        }
        if (::renameat2(dir, name.c_str(), trash.files.get(), trashName.c_str(),
                        RENAME_NOREPLACE) == 0)
            return TrashOutcome::Moved;
        const int error = errno;
        ::unlinkat(trash.info.get(), infoName.c_str(), 0);
        if (error == EEXIST)
            continue;
        return trashCannotTake(error) ? TrashOutcome::Unreachable : TrashOutcome::Failed;
    }
    return TrashOutcome::Failed;
}

} // namespace

Trash::Trash() = default;
Trash::~Trash() = default;

TrashOutcome Trash::move(int dir, const std::string& name)
{
    const std::optional<std::uint64_t> mount = mountOf(dir, "", AT_EMPTY_PATH);
    const std::string folder = realPathOf(dir);
    if (!mount || folder.empty())
        return TrashOutcome::Failed;
    std::unique_ptr<Folders>& trash = byMount_[*mount];
    if (!trash) {
        trash = std::make_unique<Folders>();
        openTrashFor(*trash, folder, *mount);
    }
    if (!trash->files.isOpen())
        return trash->refusal;
    const std::string path = JoinPath(folder, name);
    const std::optional<std::string> recordPath =
        trash->topdir.empty() ? path : pathBelow(trash->topdir, path);
    if (!recordPath)
        return TrashOutcome::Unreachable;
    return moveInto(*trash, dir, name, *recordPath);
}
