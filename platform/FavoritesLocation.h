#pragma once

#include <filesystem>
#include <string>

// The Favorites folder to show, first found of: the folder named on the
// command line (a relative name taken from the current directory),
// $HOME/Favorites, and the Favorites folder of a Wine prefix ($WINEPREFIX,
// then ~/.wine), where the user's own folder is tried before the others.
// When none is found, $HOME/Favorites all the same (empty without a HOME).
// Paths keep their bytes.
std::filesystem::path FindFavoritesFolder(const std::string& commandLineFolder);
