#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system temp dir, removed with everything in it
// when the object goes away.
class TempDir final
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes bytes to a file below the folder, creating parent folders.
    std::filesystem::path write(const std::string& relative, const std::string& bytes) const;
    std::filesystem::path mkdir(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& path);
