#pragma once

#include <QByteArray>
#include <filesystem>

// Reads a whole regular file with one open(), never blocking: a FIFO, a
// socket, a device or a directory is refused after fstat, before any read.
// Returns 0, or the errno value that says why nothing was read (EISDIR for
// a directory, EINVAL for another kind of file, EFBIG past ReadFileLimit).
// bytes is resized to the contents; its capacity is reused between calls.
int ReadRegularFile(const std::filesystem::path& path, QByteArray& bytes);

// No profile or shortcut file is this big; refusing it keeps a stray disk
// image in the Favorites folder from eating the memory.
inline constexpr qint64 ReadFileLimit = qint64(256) * 1024 * 1024;
