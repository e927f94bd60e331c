// Inputs that once broke a fuzzed property, replayed through the same checks
// the fuzz targets run.
#include "../fuzz/PathUtilsCheck.h"
#include "../fuzz/ProfileReaderCheck.h"
#include "../fuzz/ProfileRoundTripCheck.h"
#include "../fuzz/VersionBlockCheck.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using Check = std::function<std::string(const std::uint8_t*, std::size_t)>;

// Returns how many inputs were replayed, so a lost folder cannot pass.
int replayAll(const std::string& folder, const Check& check)
{
    int replayed = 0;
    const std::filesystem::path dir = std::filesystem::path(ORVANTA_TEST_DATA) / "fuzz" / folder;
    for (const auto& file : std::filesystem::directory_iterator(dir)) {
        const std::string bytes = ReadFileBytes(file.path());
        EXPECT_EQ(check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
            << file.path();
        ++replayed;
    }
    return replayed;
}

} // namespace

TEST(FuzzRegressions, ProfileReadersAgreeOnEveryStoredInput)
{
    EXPECT_GT(replayAll("profile_reader", CheckProfileReader), 0);
}

TEST(FuzzRegressions, ProfileEditsReadBackAndKeepOtherLinesOnEveryStoredInput)
{
    EXPECT_GT(replayAll("profile_roundtrip", CheckProfileRoundTrip), 0);
}

TEST(FuzzRegressions, VersionBlockAndPathPiecesHoldOnEveryStoredInput)
{
    EXPECT_GT(replayAll("version_block", CheckVersionBlock), 0);
    EXPECT_GT(replayAll("path_utils", CheckPathUtils), 0);
}
