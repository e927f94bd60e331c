#pragma once

#include <string>

// The key NTFS sorts a name by: the name as UTF-16, every code unit upper-cased.
// Bytes that are not valid UTF-8 become U+DC80 + (byte - 0x80), so every name
// has a stable place.
std::u16string NtfsSortKey(const std::string& name);

// Name order for two names whose keys are already known.
bool NtfsKeyLess(const std::u16string& keyA, const std::string& a, const std::u16string& keyB,
                 const std::string& b);

// The NTFS listing order of two names.
bool NtfsNameLess(const std::string& a, const std::string& b);
