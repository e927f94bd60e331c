#include "OwnFolder.h"

#include "AtomicFile.h"
#include "RegularFile.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString decoded(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Why the open folder may not be used; empty when it may.
QString folderRefusal(int fd, const QString& shown)
{
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return shown + QStringLiteral(" cannot be looked at");
    if (info.st_uid != ::geteuid())
        return shown + QStringLiteral(" belongs to another user");
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return shown + QStringLiteral(" may be written by other users");
    return {};
}

// The refusals of ReadOwnFileAt, in words; empty for a plain failure (also
// for something that is no file, which cannot be read but lets nothing through).
QString fileRefusal(int error, const QString& shown)
{
    switch (error) {
    case ELOOP:
        return shown + QStringLiteral(" is a symbolic link");
    case EPERM:
        return shown + QStringLiteral(" belongs to another user");
    default:
        return {};
    }
}

bool renameNoReplace(int dirFd, const std::string& from, const std::string& to)
{
    if (::renameat2(dirFd, from.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that cannot refuse by itself: looked at first.
    struct stat taken;
    if (::fstatat(dirFd, to.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(dirFd, from.c_str(), dirFd, to.c_str()) == 0;
}

constexpr int MaxAsideNames = 1000;

} // namespace

OwnFolder::OwnFolder(const std::filesystem::path& path)
    : path_(path),
      fd_(::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (!fd_.isOpen()) {
        error_ = errno;
        return;
    }
    refusal_ = folderRefusal(fd_.get(), decoded(path.native()));
    if (!refusal_.isEmpty())
        fd_.reset();
}

QString OwnFolder::shown(const std::string& name) const
{
    return decoded((path_ / name).native());
}

int OwnFolder::read(const std::string& name, qint64 limit, QByteArray& bytes,
                    QString* refusal) const
{
    bytes.resize(0);
    if (!isUsable()) {
        if (refusal)
            *refusal = refusal_;
        return refusal_.isEmpty() ? error_ : EACCES;
    }
    const int error = ReadOwnFileAt(fd_.get(), name.c_str(), limit, bytes);
    if (refusal)
        *refusal = fileRefusal(error, shown(name));
    return error;
}

bool OwnFolder::write(const std::string& name, const QByteArray& bytes, QString* error) const
{
    if (!isUsable()) {
        if (error)
            *error = refusal_.isEmpty() ? QStringLiteral("Cannot create a file in %1: %2")
                                              .arg(decoded(path_.native()),
                                                   QString::fromLocal8Bit(std::strerror(error_)))
                                        : refusal_;
        return false;
    }
    return WritePrivateFileAt(fd_.get(), name, bytes, error, shown(name));
}

bool OwnFolder::remove(const std::string& name, QString* error) const
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!isUsable())
        return fail(refusal_.isEmpty() ? decoded(path_.native()) + QStringLiteral(": ") +
                                             QString::fromLocal8Bit(std::strerror(error_))
                                       : refusal_);
    struct stat info;
    if (::fstatat(fd_.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || fail(shown(name) + QStringLiteral(": ") +
                                       QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISLNK(info.st_mode))
        return fail(fileRefusal(ELOOP, shown(name)));
    if (!S_ISREG(info.st_mode))
        return fail(shown(name) + QStringLiteral(" is no regular file"));
    if (info.st_uid != ::geteuid())
        return fail(fileRefusal(EPERM, shown(name)));
    if (::unlinkat(fd_.get(), name.c_str(), 0) != 0 && errno != ENOENT)
        return fail(shown(name) + QStringLiteral(": ") +
                    QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}

std::string OwnFolder::renameAside(const std::string& name, const std::string& aside) const
{
    if (!isUsable()) {
        errno = refusal_.isEmpty() ? error_ : EACCES;
        return {};
    }
    for (int count = 1; count <= MaxAsideNames; ++count) {
        const std::string candidate = count == 1 ? aside : aside + '-' + std::to_string(count);
        if (renameNoReplace(fd_.get(), name, candidate))
            return candidate;
        if (errno != EEXIST && errno != ENOTEMPTY)
            return {};
    }
    return {};
}

QString OwnFileRefusal(const std::filesystem::path& file)
{
    const OwnFolder folder(file.parent_path());
    if (!folder.isUsable())
        return folder.refusal();
    // Only looked at: a file with contents stops at the limit of none.
    QByteArray bytes;
    QString refusal;
    folder.read(file.filename().native(), 0, bytes, &refusal);
    return refusal;
}
