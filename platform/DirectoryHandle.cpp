#include "DirectoryHandle.h"

#include <fcntl.h>
#include <unistd.h>

DirectoryHandle::DirectoryHandle(const std::filesystem::path::value_type* path)
    : fd_(::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

DirectoryHandle::~DirectoryHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
}
