// Start-up of the real program on a 100,000-entry Favorites folder, until
// its window is first painted, against the bare walk and read of the same
// folder as a process of its own.

#include "FigureRow.h"
#include "Measure.h"
#include "ProcessTimer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr int Rounds = 5;
constexpr double TimeoutSeconds = 120;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s HOME-WITH-FAVORITES ORVANTA-BINARY WALK-BINARY\n", argv[0]);
        return 2;
    }
    const std::filesystem::path home = argv[1];
    const std::string program = argv[2];
    const std::string walk = argv[3];
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("ORVANTA_EXIT_AFTER_FIRST_PAINT", "1", 1);

    bool allEnded = true;
    const auto check = [&](const ProcessRun& run, const std::string& what) {
        if (run.exitCode != 0) {
            std::fprintf(stderr, "startup: %s %s\n", what.c_str(),
                         run.timedOut ? "did not end in time" : "failed");
            allEnded = false;
        }
    };
    const std::string favorites = (home / "Favorites").string();
    const Comparison times = CompareAlternating(
        Rounds, [&] { check(RunProcess(program, {}, "/dev/null", TimeoutSeconds), program); },
        [&] { check(RunProcess(walk, {favorites}), walk); });
    PrintRow({"7 start-up to first paint, orvanta vs bare walk+read process",
              FormatSeconds(times.subject), FormatSeconds(times.baseline),
              FormatRatio(times.ratio()), "(reported)",
              allEnded ? std::nullopt : std::optional(false)});
    return allEnded ? 0 : 1;
}
