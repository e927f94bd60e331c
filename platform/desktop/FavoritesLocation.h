#pragma once

#include <filesystem>
#include <string>

// The Favorites folder to show, first found of: the folder named on the
// command line (a relative name taken from the current directory), the
// folder last chosen in the window (rememberedFolder) while it exists,
// $HOME/Favorites, and the Favorites folder of a Wine prefix ($WINEPREFIX,
// then ~/.wine), where the user's own folder is tried before the others;
// there the prefix, the user folder and the Favorites folder must belong to
// the user or root, and the Favorites folder must not lead out of the prefix.
// When none is found, $HOME/Favorites all the same (empty without a HOME).
// Paths keep their bytes.
std::filesystem::path FindFavoritesFolder(const std::string& commandLineFolder,
                                          const std::string& rememberedFolder = {});
