#pragma once

#include <filesystem>

class BookmarkModel;
class BookmarkNode;

// Builds the tree from the Favorites folder: clears it, adds the root entry,
// its folders (depth first) and links, all inside one update bracket, and
// expands nothing (the view expands the root entry).
void LoadFavorites(BookmarkModel& tree, const std::filesystem::path& favoritesPath);
