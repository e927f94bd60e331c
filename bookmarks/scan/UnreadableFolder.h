#pragma once

#include <QString>
#include <string>
#include <vector>

// A folder of the Favorites tree whose contents could not be read. It is
// still shown, without contents, and the user is told which it is.
struct UnreadableFolder
{
    std::string path; // native bytes
    // errno of what failed; 0 when the folder found there was no longer the
    // one that was listed.
    int error = 0;
};

// "cannot read PATH: why".
QString UnreadableFolderLine(const UnreadableFolder& folder);
// One short line for the status bar ("2 folders could not be read"); empty
// when every folder was read.
QString UnreadableFoldersText(const std::vector<UnreadableFolder>& folders);
// The first few of them, a line each, for a tooltip over that line.
QString UnreadableFoldersDetail(const std::vector<UnreadableFolder>& folders);
