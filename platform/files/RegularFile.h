#pragma once

#include "FileId.h"

#include <QByteArray>
#include <filesystem>

// Reads a whole regular file with one open(), never blocking: a FIFO, a
// socket, a device or a directory is refused after fstat, before any read.
// Returns 0, or the errno value that says why nothing was read (EISDIR for
// a directory, EINVAL for another kind of file, EFBIG past ReadFileLimit).
// bytes is resized to the contents; its capacity is reused between calls.
int ReadRegularFile(const std::filesystem::path& path, QByteArray& bytes);
// The same for a native path string. A scan reads every shortcut file, and a
// std::filesystem::path made for each (it splits the path into components)
// would cost about as much as parsing the file.
int ReadRegularFile(const std::filesystem::path::value_type* path, QByteArray& bytes);
// The same for name inside the directory open as dirFd (see DirectoryHandle):
// the scan reads a folder's shortcuts without resolving the folder's whole
// path again for each of them.
int ReadRegularFileAt(int dirFd, const char* name, QByteArray& bytes);

// The same, except that a file longer than limit is not refused: only its
// first limit bytes are read. With nameId, the name is opened without
// following a link and *nameId says what it is, which spares a scan a second
// look at every file; a name that is a link is then refused with ELOOP.
// *stamp (if given) is what the file was as it was read.
int ReadFileStartAt(int dirFd, const char* name, qint64 limit, QByteArray& bytes,
                    FileId* nameId = nullptr, FileStamp* stamp = nullptr);

// ReadFileStartAt with nameId, leaving the file's access time alone where
// the file is ours (or we are root): a program that reads a file only to
// rewrite it has not used it.
int ReadFileQuietlyAt(int dirFd, const char* name, qint64 limit, QByteArray& bytes, FileId& nameId,
                      FileStamp& stamp);

// ReadRegularFileAt for a file of the program's own, refused past limit: a
// name that is a link is refused with ELOOP, never followed, and a file of
// another owner than the effective user with EPERM.
int ReadOwnFileAt(int dirFd, const char* name, qint64 limit, QByteArray& bytes);

// No profile or shortcut file is this big; refusing it keeps a stray disk
// image in the Favorites folder from eating the memory.
inline constexpr qint64 ReadFileLimit = qint64(256) * 1024 * 1024;
