#include "ResidentMemory.h"

#include <fstream>
#include <sstream>
#include <string>

long residentKibibytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(6));
        long kibibytes = -1;
        fields >> kibibytes;
        return kibibytes;
    }
    return -1;
}

bool residentMemoryIsComparable()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return false;
#else
    return true;
#endif
}
