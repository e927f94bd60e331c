#pragma once

#include <QString>
#include <filesystem>

// "AppData": $XDG_CONFIG_HOME when set and absolute, else $HOME/.config.
// "Favorites": $HOME/Favorites. Anything else: empty.
QString GetShellFolder(const QString& name);

// GetShellFolder("AppData") + "/Orvanta", worked out afresh on every call.
QString DataFolderPath();
// DataFolderPath() + "/Config.ini".
QString ConfigFilePath();
// Creates the data folder, one level only; a failure is ignored.
void EnsureDataFolder();

// The Favorites folder path (no trailing separator), empty when unknown.
std::filesystem::path FavoritesFolder();

bool DirectoryExists(const std::filesystem::path& path);
