#include "UniqueFd.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace {

bool isOpenFd(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

int openNull()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

TEST(UniqueFdTest, ExactlyOneOwnerClosesTheDescriptorOnce)
{
    int raw = openNull();
    {
        UniqueFd first(raw);
        UniqueFd second(std::move(first));
        EXPECT_FALSE(first.isOpen());
        EXPECT_EQ(second.get(), raw);

        UniqueFd third;
        third = std::move(second);
        EXPECT_TRUE(isOpenFd(raw)) << "a move must not close";

        // Taking another closes the one held before.
        const int next = openNull();
        third.reset(next);
        EXPECT_FALSE(isOpenFd(raw));
        raw = next;
    }
    EXPECT_FALSE(isOpenFd(raw)) << "the last owner closes on leaving";

    UniqueFd released(openNull());
    const int kept = released.release();
    released.reset();
    EXPECT_TRUE(isOpenFd(kept));

    // Closing keeps errno, so the failure before it can still be reported.
    UniqueFd last(kept);
    errno = ENOENT;
    last.reset();
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(isOpenFd(kept));
}

} // namespace
