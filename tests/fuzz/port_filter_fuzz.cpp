#include "FuzzTarget.h"
#include "PortFilterCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReportFinding(CheckPortFilter(data, size));
    return 0;
}
