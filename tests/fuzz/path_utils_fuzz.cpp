#include "FuzzTarget.h"
#include "PathUtilsCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReportFinding(CheckPathUtils(data, size));
    return 0;
}
