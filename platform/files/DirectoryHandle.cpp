#include "DirectoryHandle.h"

#include <fcntl.h>
#include <unistd.h>

DirectoryHandle::DirectoryHandle(const std::filesystem::path::value_type* path)
    : fd_(::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

DIR* OpenDirectoryStream(int dir)
{
    UniqueFd copy(::dup(dir));
    DIR* stream = copy.isOpen() ? ::fdopendir(copy.get()) : nullptr;
    if (!stream)
        return nullptr;
    copy.release();
    // The copy shares the position of dir, which an earlier listing may have moved.
    ::rewinddir(stream);
    return stream;
}

std::vector<std::string> NamesIn(int dir)
{
    std::vector<std::string> names;
    DIR* stream = OpenDirectoryStream(dir);
    if (!stream)
        return names;
    while (const dirent* found = ::readdir(stream)) {
        const std::string name = found->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(stream);
    return names;
}
