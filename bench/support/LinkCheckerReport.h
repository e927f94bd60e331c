#pragma once

#include <string>

// How many links LinkChecker's text report says it checked (its closing
// "N links in M URLs checked."); -1 when the report has no such line.
int LinksChecked(const std::string& report);
