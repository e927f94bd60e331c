#pragma once

#include <filesystem>

class QWidget;

// The platform's folder chooser, opened where the folder shown lies; empty
// when the user cancels.
std::filesystem::path AskForFavoritesFolder(QWidget* parent, const std::filesystem::path& shown);
