#include "FigureRow.h"

#include <cstdio>

namespace {

std::string field(std::string text)
{
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

std::string metText(const std::optional<bool>& met)
{
    if (!met)
        return "-";
    return *met ? "yes" : "NO";
}

} // namespace

std::string RowLine(const FigureRow& row)
{
    return "ROW\t" + field(row.figure) + '\t' + field(row.value) + '\t' + field(row.baseline) +
           '\t' + field(row.ratio) + '\t' + field(row.target) + '\t' + metText(row.met);
}

void PrintRow(const FigureRow& row)
{
    std::printf("%s\n", RowLine(row).c_str());
    std::fflush(stdout);
}

std::string FormatNumber(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string FormatSeconds(double seconds)
{
    if (seconds >= 1)
        return FormatNumber(seconds, 2) + " s";
    if (seconds >= 1e-3)
        return FormatNumber(seconds * 1e3, seconds >= 0.1 ? 0 : 1) + " ms";
    return FormatNumber(seconds * 1e6, 0) + " us";
}

std::string FormatRatio(double ratio)
{
    return FormatNumber(ratio, 2) + "x";
}

std::string FormatCount(long long count)
{
    std::string digits = std::to_string(count < 0 ? -count : count);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(size_t(at), 1, ',');
    return count < 0 ? "-" + digits : digits;
}
