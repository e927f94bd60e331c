#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken property is a finding: say which, and crash so the fuzzer keeps
// the input.
inline void ReportFinding(const std::string& problem)
{
    if (problem.empty())
        return;
    std::fprintf(stderr, "FINDING: %s\n", problem.c_str());
    std::abort();
}
