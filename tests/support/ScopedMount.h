#pragma once

#include <filesystem>

#include <sys/mount.h>

// A mount for the test's lifetime, gone again before its folder is removed.
class ScopedMount final
{
public:
    ScopedMount(const char* source, const std::filesystem::path& target, const char* type,
                unsigned long flags)
        : target_(target), mounted_(::mount(source, target.c_str(), type, flags, nullptr) == 0)
    {
    }
    ~ScopedMount()
    {
        if (mounted_)
            ::umount2(target_.c_str(), MNT_DETACH);
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;

    bool mounted() const { return mounted_; }

private:
    std::filesystem::path target_;
    bool mounted_;
};
