#include "PseudoFileSystem.h"

#include "UniqueFd.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <array>
#include <cstdint>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace {

// Magic numbers of the kernel's pseudo file systems. Some are missing from
// older <linux/magic.h>, so all are spelled out.
constexpr std::array<std::uint32_t, 22> PseudoMagics = {
    0x9fa0,     // proc
    0x62656572, // sysfs
    0x27e0eb,   // cgroup
    0x63677270, // cgroup2
    0x64626720, // debugfs
    0x74726163, // tracefs
    0x73636673, // securityfs
    0x6165676c, // pstore
    0xcafe4a11, // bpf
    0x1cd1,     // devpts
    0x19800202, // mqueue
    0x62656570, // configfs
    0x65735543, // fusectl
    0x42494e4d, // binfmt_misc
    0xde5e81e4, // efivarfs
    0xf97cff8c, // selinuxfs
    0x43415d53, // smackfs
    0x6e736673, // nsfs
    0x67596969, // rpc_pipefs
    0x9fa2,     // usbdevfs
    0x50495045, // pipefs
    0x534f434b, // sockfs
};

// devtmpfs carries tmpfs's magic, and a tmpfs folder (often /tmp) may well
// hold Favorites. The mount table names the file system type of each device,
// so the two are told apart there; it is read only for tmpfs-like folders.
bool isDevtmpfs(dev_t device)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray numbers =
        QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    // "36 35 0:5 / /dev rw,nosuid shared:2 - devtmpfs udev rw,size=..."
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3 || fields[2] != numbers)
            continue;
        const qsizetype separator = fields.indexOf(QByteArrayLiteral("-"));
        if (separator >= 0 && separator + 1 < fields.size() && fields[separator + 1] == "devtmpfs")
            return true;
    }
    return false;
}

} // namespace

bool IsPseudoFileSystem(const char* path)
{
    const UniqueFd folder(::open(path, O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    struct statfs kind;
    if (!folder.isOpen() || ::fstatfs(folder.get(), &kind) != 0)
        return false;
    const auto magic = static_cast<std::uint32_t>(kind.f_type);
    if (std::find(PseudoMagics.begin(), PseudoMagics.end(), magic) != PseudoMagics.end())
        return true;
    struct stat info;
    return magic == TMPFS_MAGIC && ::fstat(folder.get(), &info) == 0 && isDevtmpfs(info.st_dev);
}
