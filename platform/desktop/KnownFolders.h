#pragma once

#include <QString>
#include <filesystem>

// "AppData": $XDG_CONFIG_HOME when set and absolute, else $HOME/.config.
// "Favorites": $HOME/Favorites. Anything else: empty.
QString GetShellFolder(const QString& name);

// The "AppData" folder + "/Orvanta", worked out afresh on every call. Both
// paths keep the environment's bytes, which need not be valid UTF-8; decode
// them (QFile::decodeName) only to show them.
std::filesystem::path DataFolderPath();
// DataFolderPath() + "/Config.ini".
std::filesystem::path ConfigFilePath();
// Creates the data folder with any missing parents (mode 0700), each inside
// a folder of the effective user's or root's only; a folder that exists is
// left as it is, and a failure is ignored.
void EnsureDataFolder();

// $XDG_STATE_HOME when set and absolute, else $HOME/.local/state, + "/Orvanta":
// where the results of past runs are kept. Empty without either variable.
std::filesystem::path StateFolderPath();
// Creates the state folder as EnsureDataFolder does the data folder.
void EnsureStateFolder();

// The "AppData" folder + "/systemd/user": where a user's own systemd units
// go. Empty without $XDG_CONFIG_HOME or $HOME.
std::filesystem::path SystemdUserFolderPath();
// Creates it as EnsureDataFolder does the data folder.
void EnsureSystemdUserFolder();

// The Favorites folder path (no trailing separator), empty when unknown.
std::filesystem::path FavoritesFolder();

bool DirectoryExists(const std::filesystem::path& path);
