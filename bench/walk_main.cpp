// The bare walk and read as a process of its own: what the program's
// start-up is measured against.

#include "BareScan.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FAVORITES-FOLDER\n", argv[0]);
        return 2;
    }
    const BareScanResult result = BareWalkAndRead(argv[1]);
    std::printf("%d folders, %d files, %llu bytes\n", result.folders, result.files,
                static_cast<unsigned long long>(result.bytes));
    return result.files > 0 ? 0 : 1;
}
