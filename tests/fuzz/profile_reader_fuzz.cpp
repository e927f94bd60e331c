#include "FuzzTarget.h"
#include "ProfileReaderCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReportFinding(CheckProfileReader(data, size));
    return 0;
}
