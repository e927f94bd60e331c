#include "ProcessFiles.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs check in a child process, whose limits and descriptors the test may
// change freely; the child's exit status is check's first failed step, or 0.
int InChild(int (*check)())
{
    const pid_t child = fork();
    if (child == 0)
        _exit(check());
    int status = -1;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

TEST(ProcessFiles, TheSoftLimitRisesToTheHardOneAndFreeDescriptorsAreCounted)
{
    EXPECT_EQ(InChild([] {
                  const rlimit lowered{64, 256};
                  if (setrlimit(RLIMIT_NOFILE, &lowered) != 0 || FreeFileDescriptors() >= 64)
                      return 1;
                  if (!RaiseOpenFilesLimit())
                      return 2;
                  rlimit now{};
                  getrlimit(RLIMIT_NOFILE, &now);
                  if (now.rlim_cur != 256)
                      return 3;
                  const int free = FreeFileDescriptors();
                  return dup(STDIN_FILENO) >= 0 && FreeFileDescriptors() == free - 1 ? 0 : 4;
              }),
              0);
}
