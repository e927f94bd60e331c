#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

// Owns one file descriptor and closes it when it goes away, so no way out of
// a function can leak one. Closing keeps errno, so a caller can still report
// why the call before it failed.
class UniqueFd final
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int get() const { return fd_; } // -1 when nothing is owned

    // Closes what is owned, then owns fd.
    void reset(int fd = -1)
    {
        if (fd_ >= 0) {
            const int saved = errno;
            ::close(fd_);
            errno = saved;
        }
        fd_ = fd;
    }
    // Gives up ownership without closing.
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};
