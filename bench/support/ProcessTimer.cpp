#include "ProcessTimer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

class SpawnActions final
{
public:
    explicit SpawnActions(const std::string& outputPath)
    {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, 1, outputPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions_, 1, 2);
    }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

} // namespace

ProcessRun RunProcess(const std::string& program, const std::vector<std::string>& args,
                      const std::string& outputPath, double timeoutSeconds)
{
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const SpawnActions actions(outputPath);
    ProcessRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), actions.get(), nullptr, argv.data(), environ) != 0)
        return run;
    // A process descriptor wakes poll() the moment the child ends, so the
    // time is exact and a child that hangs can still be given up on.
    const int pidFd = int(::syscall(SYS_pidfd_open, child, 0));
    if (pidFd >= 0) {
        pollfd ended{pidFd, POLLIN, 0};
        const int timeoutMs = int(timeoutSeconds * 1000);
        int ready = 0;
        while ((ready = ::poll(&ended, 1, timeoutMs)) < 0 && errno == EINTR) {
        }
        ::close(pidFd);
        if (ready == 0) {
            ::kill(child, SIGKILL);
            run.timedOut = true;
        }
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return run;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(status) && !run.timedOut)
        run.exitCode = WEXITSTATUS(status);
    return run;
}
