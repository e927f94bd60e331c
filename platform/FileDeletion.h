#pragma once

#include <filesystem>

// Removes one shortcut file. Never removes a directory (a shortcut replaced
// by a folder in the meantime is left alone). Returns success.
bool DeleteShortcutFile(const std::filesystem::path& path);

// Removes a folder with everything in it, permanently. A path that is itself
// a directory link loses the link only; links inside are never followed.
bool DeleteFolder(const std::filesystem::path& path);
