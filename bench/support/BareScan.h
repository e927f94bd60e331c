#pragma once

#include <cstdint>
#include <filesystem>

struct BareScanResult
{
    int folders = 0; // below the root
    int files = 0;   // shortcut files read
    std::uint64_t bytes = 0;
};

// The least a scan of a Favorites folder has to do: list every folder once
// (opendir/readdir) and read every ".url" file whole (open/read/close).
// No sorting, no decoding, no tree; what the real scan is measured against.
BareScanResult BareWalkAndRead(const std::filesystem::path& root);
