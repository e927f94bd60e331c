#pragma once

#include <optional>
#include <string>

// One line of the benchmark table. The programs print rows; bench/run
// gathers them from all programs into one table.
struct FigureRow
{
    std::string figure;
    std::string value;
    std::string baseline; // "-" when the figure has none
    std::string ratio;    // "-" when the figure has none
    std::string target;
    std::optional<bool> met; // empty: nothing to meet, or not measured
};

// "ROW" and the fields, tab-separated, on one line of stdout (tabs or line
// breaks inside a field become spaces).
std::string RowLine(const FigureRow& row);
void PrintRow(const FigureRow& row);

// Numbers as the table shows them.
std::string FormatSeconds(double seconds); // "1.23 s", "45.6 ms", "789 us"
std::string FormatRatio(double ratio);     // "1.23x"
std::string FormatNumber(double value, int decimals);
std::string FormatCount(long long count); // "100,000"
