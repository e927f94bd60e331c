#pragma once

#include "UnreadableFolder.h"

#include <filesystem>
#include <vector>

class BookmarkModel;
class BookmarkNode;

// Builds the tree from the Favorites folder: clears it, adds the root entry
// (whose Detail is the folder's full path, for its tooltip), its folders and
// links, all inside one update bracket, and expands nothing (the view expands
// the root entry). Returns the folders whose contents could not be read, the
// Favorites folder itself among them if it is one; each still has its row.
std::vector<UnreadableFolder> LoadFavorites(BookmarkModel& tree,
                                            const std::filesystem::path& favoritesPath);
