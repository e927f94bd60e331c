#include "DirectoryHandle.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

DirectoryHandle::DirectoryHandle(const std::filesystem::path::value_type* path)
    : fd_(::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

std::vector<std::string> NamesIn(int dir)
{
    std::vector<std::string> names;
    // The stream takes over a copy, so the caller's descriptor stays open.
    UniqueFd copy(::dup(dir));
    DIR* stream = copy.isOpen() ? ::fdopendir(copy.get()) : nullptr;
    if (!stream)
        return names;
    copy.release();
    while (const dirent* found = ::readdir(stream)) {
        const std::string name = found->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(stream);
    return names;
}
