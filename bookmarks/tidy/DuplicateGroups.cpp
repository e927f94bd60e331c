#include "DuplicateGroups.h"

#include "BookmarkModel.h"
#include "DuplicateKey.h"

#include <QHash>

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

DuplicateSelection DuplicateLinksToSelect(const BookmarkModel& tree)
{
    std::vector<std::pair<BookmarkNode*, QString>> links;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        if (!node->entry.IsFolder)
            links.emplace_back(node, node->entry.Link);
    }
    // Grouped over every link, so that the count of those left out names
    // only duplicates.
    std::vector<std::vector<BookmarkNode*>> groups = DuplicateGroups(links);
    DuplicateSelection selection;
    for (std::vector<BookmarkNode*>& group : groups)
        selection.leftOutside += int(std::erase_if(
            group, [](const BookmarkNode* node) { return node->entry.OutsideFavorites; }));
    std::erase_if(groups, [](const std::vector<BookmarkNode*>& group) { return group.size() < 2; });
    selection.extras = DuplicatesToSelect(groups);
    return selection;
}
