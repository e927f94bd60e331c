#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

enum FileAttribute : int
{
    faReadOnly = 1,
    faHidden = 2,
    faSysFile = 4,
    faVolumeID = 8,
    faDirectory = 16,
    faArchive = 32,
};

inline constexpr int MaskDirectories = 16;
inline constexpr int MaskAnyFile = 63;

// faHidden: the name begins with '.'. faDirectory: a directory, links followed
// (a dangling link is a plain file). faArchive: a regular file. faReadOnly: the
// owner-write bit is off; read for directories and links only, since plain
// files are taken from readdir's type without a stat. No system or volume bits.
struct DirEntry
{
    std::string name; // native bytes
    int attributes = 0;
    // Of what the name leads to (links followed); filled for directories and
    // links, 0 for plain files.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool isLink = false; // the name itself is a symbolic link
};

// Lists dir's entries whose names match pattern. Entries carrying hidden,
// system, volume-label or directory attributes that mask lacks are skipped.
// Sorted the way NTFS lists a folder (upper-cased UTF-16 order, ties by raw
// bytes). "." and ".." are included, like FindFirstFile does.
// Returns false when the directory cannot be opened.
bool ListDirectory(const std::filesystem::path& dir, const std::string& pattern, int mask,
                   std::vector<DirEntry>& out);
// The same for a folder the caller holds open; false when it cannot be read.
bool ListDirectoryAt(int dir, const std::string& pattern, int mask, std::vector<DirEntry>& out);
