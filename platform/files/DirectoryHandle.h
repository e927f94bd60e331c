#pragma once

#include "UniqueFd.h"

#include <dirent.h>
#include <filesystem>
#include <string>
#include <vector>

// A directory held open while files in it are opened by name alone (the
// *At readers), which spares resolving the directory's whole path for each.
class DirectoryHandle final
{
public:
    explicit DirectoryHandle(const std::filesystem::path::value_type* path);

    bool isOpen() const { return fd_.isOpen(); }
    int fd() const { return fd_.get(); } // -1 when the directory could not be opened

private:
    UniqueFd fd_;
};

// A stream over the entries of the open folder dir, from the first, on a copy
// of the descriptor, so dir stays open once the stream is closed; null when
// none can be made.
DIR* OpenDirectoryStream(int dir);

// Every name in the open folder dir but "." and "..", in the order the system
// gives them. All are read before the caller acts, since removing names while
// a listing is read may skip some.
std::vector<std::string> NamesIn(int dir);
