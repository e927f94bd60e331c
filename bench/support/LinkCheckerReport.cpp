#include "LinkCheckerReport.h"

#include <regex>

int LinksChecked(const std::string& report)
{
    static const std::regex summary(R"((\d+) links? in (\d+) URLs? checked)");
    std::smatch found;
    if (!std::regex_search(report, found, summary))
        return -1;
    return std::stoi(found[1].str());
}
