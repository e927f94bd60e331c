#include "Trash.h"

#include "PathUtils.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <cerrno>
#include <cstdlib>
#include <ctime>
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
};

namespace {

std::string homeTrashPath()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return JoinPath(dataHome, "Trash");
    const char* home = std::getenv("HOME");
    return JoinPath(JoinPath(home ? home : "", ".local/share"), "Trash");
}

// The device a path is or would be on: that of its nearest existing folder.
bool deviceOf(std::string path, dev_t& device)
{
    struct stat st;
    while (::stat(path.c_str(), &st) != 0) {
        const std::string above = WithoutTrailingSeparators(DirectoryPart(path));
        if (above.empty() || above == path)
            return false;
        path = above;
    }
    device = st.st_dev;
    return true;
}

// A folder of the trash: made private when missing, and never a link.
UniqueFd openOrMake(int parent, const char* name)
{
    if (::mkdirat(parent, name, PrivateMode) != 0 && errno != EEXIST)
        return {};
    return UniqueFd(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

bool openParts(Trash::Folders& trash, int base)
{
    trash.files = openOrMake(base, "files");
    trash.info = openOrMake(base, "info");
    return trash.files.isOpen() && trash.info.isOpen();
}

bool openHomeTrash(Trash::Folders& trash, const std::string& path)
{
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
            return false;
        dir.reset(::openat(dir.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    return dir.isOpen() && openParts(trash, dir.get());
}

// $topdir/.Trash/$uid when an administrator made .Trash a sticky folder (and
// no one slipped a link in its place), else $topdir/.Trash-$uid.
bool openTopdirTrash(Trash::Folders& trash, const std::string& topdir)
{
    const UniqueFd top(::open(topdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top.isOpen())
        return false;
    const std::string uid = std::to_string(::getuid());
    struct stat shared;
    if (::fstatat(top.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
        const UniqueFd sharedDir(
            ::openat(top.get(), ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        const UniqueFd own =
            sharedDir.isOpen() ? openOrMake(sharedDir.get(), uid.c_str()) : UniqueFd();
        if (own.isOpen() && openParts(trash, own.get()))
            return true;
    }
    const UniqueFd own = openOrMake(top.get(), (".Trash-" + uid).c_str());
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

// The highest folder above the entry on the entry's file system.
std::string topdirOf(const std::string& folder, dev_t device)
{
    std::string top = folder;
    for (;;) {
        const std::string above = WithoutTrailingSeparators(DirectoryPart(top));
        struct stat st;
        if (above.empty() || above == top || ::stat(above.c_str(), &st) != 0 || st.st_dev != device)
            return top;
        top = above;
    }
}

bool openTrashFor(Trash::Folders& trash, const std::string& folder, dev_t device)
{
    const std::string home = homeTrashPath();
    dev_t homeDevice = 0;
    if (deviceOf(home, homeDevice) && homeDevice == device)
        return openHomeTrash(trash, home);
    trash.topdir = topdirOf(folder, device);
    return openTopdirTrash(trash, trash.topdir);
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
TrashOutcome moveInto(const Trash::Folders& trash, int dir, const std::string& name,
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
        if (!info.isOpen() || !writeAll(info.get(), text)) {
            ::unlinkat(trash.info.get(), infoName.c_str(), 0);
            return TrashOutcome::NoTrash;
        }
        if (::renameat2(dir, name.c_str(), trash.files.get(), trashName.c_str(),
                        RENAME_NOREPLACE) == 0)
            return TrashOutcome::Moved;
        const int error = errno;
        ::unlinkat(trash.info.get(), infoName.c_str(), 0);
        if (error == EEXIST)
            continue;
        return trashCannotTake(error) ? TrashOutcome::NoTrash : TrashOutcome::Failed;
    }
    return TrashOutcome::Failed;
}

} // namespace

Trash::Trash() = default;
Trash::~Trash() = default;

TrashOutcome Trash::move(int dir, const std::string& name)
{
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return TrashOutcome::Failed;
    const std::string folder = realPathOf(dir);
    if (folder.empty())
        return TrashOutcome::Failed;
    auto known = byDevice_.find(std::uint64_t(st.st_dev));
    if (known == byDevice_.end()) {
        auto trash = std::make_unique<Folders>();
        if (!openTrashFor(*trash, folder, st.st_dev))
            trash.reset();
        known = byDevice_.emplace(std::uint64_t(st.st_dev), std::move(trash)).first;
    }
    if (!known->second)
        return TrashOutcome::NoTrash;
    const Folders& trash = *known->second;
    const std::string path = JoinPath(folder, name);
    const std::string recordPath =
        trash.topdir.empty() ? path : path.substr(JoinPath(trash.topdir, "").size());
    return moveInto(trash, dir, name, recordPath);
}
