#include "DuplicateGroups.h"

#include "BookmarkModel.h"
#include "DuplicateKey.h"

#include <QHash>
#include <algorithm>

std::vector<std::vector<qsizetype>> DuplicatePositions(const QList<QString>& links)
{
    // Every link's group, a group of one included, in the order first met.
    std::vector<std::vector<qsizetype>> all;
    QHash<QString, size_t> groupOfKey;
    for (qsizetype position = 0; position < links.size(); ++position) {
        const QString key = DuplicateKey(links[position]);
        if (key.isEmpty())
            continue;
        auto found = groupOfKey.constFind(key);
        if (found == groupOfKey.cend()) {
            found = groupOfKey.insert(key, all.size());
            all.emplace_back();
        }
        all[*found].push_back(position);
    }
    std::erase_if(all, [](const std::vector<qsizetype>& group) { return group.size() < 2; });
    return all;
}

BookmarkNode* KeptCopy(const std::vector<BookmarkNode*>& group)
{
    const auto inside = std::find_if(group.begin(), group.end(), [](const BookmarkNode* node) {
        return !node->entry.OutsideFavorites;
    });
    return inside == group.end() ? nullptr : *inside;
}

DuplicateSelection DuplicateLinksToSelect(const BookmarkModel& tree)
{
    std::vector<std::pair<BookmarkNode*, QString>> links;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        if (!node->entry.IsFolder)
            links.emplace_back(node, node->entry.Link);
    }
    // Grouped over every link, so that the count of those left out names
    // only duplicates.
    DuplicateSelection selection;
    for (const std::vector<BookmarkNode*>& group : DuplicateGroups(links)) {
        const BookmarkNode* kept = KeptCopy(group);
        for (BookmarkNode* node : group) {
            if (node->entry.OutsideFavorites)
                ++selection.leftOutside;
            else if (node != kept)
                selection.extras.push_back(node);
        }
    }
    return selection;
}
