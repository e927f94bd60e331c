#pragma once

#include <filesystem>

// A directory held open while files in it are opened by name alone (the
// *At readers), which spares resolving the directory's whole path for each.
class DirectoryHandle final
{
public:
    explicit DirectoryHandle(const std::filesystem::path::value_type* path);
    ~DirectoryHandle();
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; } // -1 when the directory could not be opened

private:
    int fd_;
};
