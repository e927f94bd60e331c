#include "FuzzTarget.h"
#include "ProfileRoundTripCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReportFinding(CheckProfileRoundTrip(data, size));
    return 0;
}
