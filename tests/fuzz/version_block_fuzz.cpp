#include "FuzzTarget.h"
#include "VersionBlockCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReportFinding(CheckVersionBlock(data, size));
    return 0;
}
