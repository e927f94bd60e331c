#include "ProcessFiles.h"

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Asking each number in turn needs no descriptor of its own, so it works
// where /proc is missing or the listing cannot be opened; past this many the
// asking would cost more than the answer is worth.
const int MostNumbersAsked = 1 << 16;

int openDescriptors(rlim_t limit)
{
    if (DIR* listing = opendir("/proc/self/fd")) {
        int open = 0;
        while (const dirent* entry = readdir(listing))
            open += entry->d_name[0] != '.';
        closedir(listing);
        return open - 1; // the listing's own
    }
    const int asked = int(std::min<rlim_t>(limit, MostNumbersAsked));
    int open = 0;
    for (int fd = 0; fd < asked; ++fd)
        open += fcntl(fd, F_GETFD) != -1;
    return open;
}

} // namespace

bool RaiseOpenFilesLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return false;
    if (limit.rlim_cur == limit.rlim_max)
        return true;
    limit.rlim_cur = limit.rlim_max;
    return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

int FreeFileDescriptors()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > rlim_t(INT_MAX))
        return INT_MAX;
    return std::max(int(limit.rlim_cur) - openDescriptors(limit.rlim_cur), 0);
}

void OccupyClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1)
            continue;
        // open() gives the lowest free number, which is fd here unless a
        // lower one is closed too; that one is filled first in this loop.
        const int opened = open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}
