#include "Measure.h"

#include <algorithm>
#include <chrono>

double SecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    if (values.size() % 2 == 1)
        return values[middle];
    return (values[middle - 1] + values[middle]) / 2;
}

Comparison CompareAlternating(int rounds, const std::function<void()>& subject,
                              const std::function<void()>& baseline,
                              const std::function<void()>& tidy)
{
    std::vector<double> subjectTimes;
    std::vector<double> baselineTimes;
    const auto runSubject = [&](bool timed) {
        const double seconds = SecondsOf(subject);
        if (timed)
            subjectTimes.push_back(seconds);
        if (tidy)
            tidy();
    };
    const auto runBaseline = [&](bool timed) {
        const double seconds = SecondsOf(baseline);
        if (timed)
            baselineTimes.push_back(seconds);
    };
    runSubject(false);
    runBaseline(false);
    for (int round = 0; round < rounds; ++round) {
        // A-B, then B-A: whichever goes second does not always find the
        // caches the first one left behind.
        if (round % 2 == 0) {
            runSubject(true);
            runBaseline(true);
        } else {
            runBaseline(true);
            runSubject(true);
        }
    }
    return {Median(subjectTimes), Median(baselineTimes)};
}
