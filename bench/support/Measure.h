#pragma once

#include <functional>
#include <vector>

// Wall-clock seconds one call of work takes.
double SecondsOf(const std::function<void()>& work);

// The middle value (the mean of the two middle ones for an even count);
// 0 for none.
double Median(std::vector<double> values);

struct Comparison
{
    double subject = 0;  // median seconds of the code measured
    double baseline = 0; // median seconds of what it is measured against
    double ratio() const { return baseline > 0 ? subject / baseline : 0; }
};

// Runs each once unmeasured (so both find the same warm caches), then
// rounds times both, interleaved (A-B, B-A, ...) so that a slow stretch of
// the machine falls on both alike, and compares the medians. tidy, when
// given, runs untimed after every run of subject (to free what it made).
Comparison CompareAlternating(int rounds, const std::function<void()>& subject,
                              const std::function<void()>& baseline,
                              const std::function<void()>& tidy = {});
