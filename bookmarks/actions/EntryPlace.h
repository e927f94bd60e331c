#pragma once

#include "EntryWalk.h"
#include "FileId.h"

#include <string>
#include <vector>

class BookmarkNode;

// Where an entry of the tree lies on disk as the scan found it: the
// Favorites folder, the folders down to the entry and the entry's own name.
// A copy of what the tree knew, so it stays usable after the node is gone.
struct EntryPlace
{
    std::string root;
    FileId rootId;
    std::vector<PathStep> folders;
    PathStep target;
    FileStamp stamp; // the target's, when it was read
};

// The place of node, a row below the root entry, along the folders the tree
// shows above it.
EntryPlace PlaceOf(const std::string& favoritesPath, const BookmarkNode* node);

// The entry's folder, found again one checked folder at a time.
CheckedParent WalkToPlace(const EntryPlace& place);
