#pragma once

#include <curl/curl.h>
#include <gtest/gtest.h>

// libcurl's process-wide set-up, done once before any test as main() does it
// in the program (it is not safe to leave it to the first handle on a thread).
class CurlGlobalEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_ALL), CURLE_OK); }
    void TearDown() override { curl_global_cleanup(); }
};
