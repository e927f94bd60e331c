#pragma once

#include <filesystem>

class BookmarkModel;
class BookmarkNode;

// Builds the tree from the Favorites folder: clears it, adds the root entry
// (whose Detail is the folder's full path, for its tooltip), its folders (depth first) and links,
// all inside one update bracket, and expands nothing (the view expands the root entry).
void LoadFavorites(BookmarkModel& tree, const std::filesystem::path& favoritesPath);
