#pragma once

#include "FileId.h"

#include <string>
#include <vector>

// Permanent deletion, relative to a folder already checked by the caller.

// Removes one shortcut file (or a link). Never removes a directory. Returns
// success.
bool DeleteFileAt(int dir, const std::string& name);

// Removes a folder with everything in it. A link loses the link only; links
// inside are never followed, a folder on another file system is left (and so
// is every folder above it), and no folder in spared is ever removed.
bool DeleteFolderAt(int dir, const std::string& name, const std::vector<FileId>& spared);

// Whether the folder name in dir (never a link) holds nothing but folders
// that hold nothing, each with at most a desktop.ini (Windows' look of a
// folder) beside them: what may go as an empty folder. Anything else, a
// folder that cannot be read or a tree too deep to look through says no.
bool FolderHoldsNothingAt(int dir, const std::string& name);
