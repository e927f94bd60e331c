#pragma once

#include <string>

// Windows wildcard match ('*', '?', "*.*" matches every name), letters
// compared without regard to case.
bool MatchesPattern(const std::string& name, const std::string& pattern);
