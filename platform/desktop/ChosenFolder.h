#pragma once

#include <QString>
#include <filesystem>
#include <string>

// The Favorites folder the window starts with: FindFavoritesFolder with the
// folder last chosen in the window, as Config.ini remembers it.
std::filesystem::path FindStartFolder(const std::string& commandLineFolder);

// Remembers folder as the one chosen, keeping every other line of
// Config.ini. False, with *error saying why, when it could not be saved.
bool RememberChosenFolder(const std::filesystem::path& folder, QString* error = nullptr);

// The folder as the window's title names it, "~" standing for the home
// folder; empty for the usual Favorites folder ($HOME/Favorites) and for none.
QString ShownFolderName(const std::filesystem::path& folder);
