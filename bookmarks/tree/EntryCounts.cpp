#include "EntryCounts.h"

#include "BookmarkModel.h"

#include <algorithm>

EntryCounts CountEntries(BookmarkModel& tree)
{
    int folders = 0;
    int links = 0;
    tree.beginUpdate();
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (!entry)
            continue;
        if (entry->IsFolder)
            ++folders;
        else
            ++links;
    }
    tree.endUpdate();
    // The root entry stands for the Favorites folder itself, not a category.
    return {std::max(folders - 1, 0), links};
}

QString CategoriesText(const EntryCounts& counts)
{
    return QStringLiteral("Categories : ") + QString::number(counts.categories);
}

QString LinksText(const EntryCounts& counts)
{
    return QStringLiteral("Links : ") + QString::number(counts.links);
}
