#include "AtomicFile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// Creates a new file next to target; the umask applies, as for any new file.
int createTemporary(const std::filesystem::path& target, std::filesystem::path& temporary)
{
    const std::string base = "." + target.filename().string() + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint32 tag = QRandomGenerator::global()->generate();
        temporary = target.parent_path() /
                    (base + QByteArray::number(tag, 16).rightJustified(8, '0').toStdString());
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void syncFolder(const std::filesystem::path& folder)
{
    // Makes the rename itself durable; a folder that cannot be opened for
    // this still got the new file, so a failure here is not reported.
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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

    std::filesystem::path temporary;
    int fd = createTemporary(target, temporary);
    if (fd < 0)
        return failWithErrno(
            error, QStringLiteral("Cannot create a file in ") + displayPath(target.parent_path()),
            errno);

    const auto abandon = [&](const QString& what) {
        const int code = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.c_str());
        return failWithErrno(error, what, code);
    };
    const QString name = displayPath(target);
    if (!writeAll(fd, bytes))
        return abandon(QStringLiteral("Cannot write ") + name);
    if (exists) {
        // Owner first: a change of owner may clear mode bits.
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
            if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
                // Not allowed for an ordinary user; the file is then ours.
            }
        }
        if (::fchmod(fd, existing.st_mode & 07777) != 0)
            return abandon(QStringLiteral("Cannot set the permissions of ") + name);
    }
    if (::fsync(fd) != 0)
        return abandon(QStringLiteral("Cannot write ") + name);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(QStringLiteral("Cannot write ") + name);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon(QStringLiteral("Cannot replace ") + name);
    syncFolder(target.parent_path());
    return true;
}
