#include "DirectoryHandle.h"

#include <fcntl.h>

DirectoryHandle::DirectoryHandle(const std::filesystem::path::value_type* path)
    : fd_(::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}
