#pragma once

#include "FileId.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <filesystem>
#include <string>

#include <sys/stat.h>

// Replaces the file at path with bytes so that a reader sees either the old
// or the new contents, never a mix: a temporary file in the same folder,
// flushed to disk, then renamed over the target (through a symbolic link to
// where it points). An existing target keeps its permission bits and, where
// allowed, its owner. A target whose owner-write bit is off is refused
// before anything is touched, also for root. The folder is never created.
// On failure the temporary file is gone and *error (if given) says why.
// The temporary file has one fixed name per target, locked while in use: a
// save killed halfway leaves that one file behind, and the next save of the
// target takes it over; two saves of one target at once take turns. Whatever
// else sits at that name (a symbolic link, a FIFO, an empty directory) is
// removed without being followed; a directory with contents is left alone
// and the next of a few spare names is used instead.
bool WriteFileAtomically(const std::filesystem::path& path, const QByteArray& bytes,
                         QString* error = nullptr);

// What a file replaced inside a checked folder must still be, and the times
// the new one gets (utimensat's pair: access, then modification; UTIME_NOW
// allowed).
struct FileReplacement
{
    FileId expected;
    FileStamp expectedStamp;
    std::array<struct timespec, 2> times{};
};

// The same replacement for the file name inside the folder open as dirFd,
// for code that found that folder by a checked walk: name must already be a
// regular file (a link there is refused, never followed) and still be
// how.expected with how.expectedStamp, which is looked at again just before
// the rename. The new file keeps the old one's extended attributes of the
// user namespace as well. *replaced (if given) says what name is afterwards.
bool ReplaceFileAtomicallyAt(int dirFd, const std::string& name, const QByteArray& bytes,
                             const FileReplacement& how, struct stat* replaced = nullptr,
                             QString* error = nullptr);

// The same replacement for a file of the program's own in the folder open as
// dirFd: what name is now must be a regular file of the effective user (a
// link there is refused, never followed) or nothing, and the new file is
// readable by its owner only (0600), whatever the old one allowed. *error
// names the file as shown, or by name when that is empty.
bool WritePrivateFileAt(int dirFd, const std::string& name, const QByteArray& bytes,
                        QString* error = nullptr, const QString& shown = {});
