#include "TreeCensus.h"

#include "BookmarkModel.h"

TreeCensus TakeCensus(const BookmarkModel& tree)
{
    TreeCensus census;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry& entry = *BookmarkModel::entry(node);
        census.characterBytes += 2 * std::size_t(entry.Name.size() + entry.Title.size() +
                                                 entry.Link.size() + entry.Detail.size()) +
                                 entry.Path.size();
        if (entry.IsFolder) {
            ++census.folders;
            continue;
        }
        ++census.links;
        census.alive += entry.Status == StatusAlive || entry.Status == StatusMoved;
        census.dead += entry.Status == StatusDead;
        census.unverified += entry.Status == StatusUnverified;
    }
    return census;
}
