#include "EntryPlace.h"

#include "BookmarkNode.h"
#include "PathUtils.h"

namespace {

PathStep stepOf(const BookmarkEntry& entry)
{
    return {FileNamePart(entry.Path), entry.Id, entry.IsDirLink, entry.IsFolder};
}

} // namespace

EntryPlace PlaceOf(const std::string& favoritesPath, const BookmarkNode* node)
{
    EntryPlace place;
    place.root = favoritesPath;
    place.target = stepOf(node->entry);
    place.stamp = node->entry.Stamp;
    const BookmarkNode* top = node->parent();
    for (; top->parent() && top->parent()->parent(); top = top->parent())
        place.folders.insert(place.folders.begin(), stepOf(top->entry));
    place.rootId = top->entry.Id;
    return place;
}

CheckedParent WalkToPlace(const EntryPlace& place)
{
    return WalkToEntry(place.root, place.rootId, place.folders, place.target);
}
