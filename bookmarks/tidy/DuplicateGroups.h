#pragma once

#include <QList>
#include <QString>
#include <utility>
#include <vector>

// The groups of links with one DuplicateKey, as positions in links: only
// groups of two or more, each in the order of links, the groups in the order
// of their first link. Links with an empty key belong to no group.
std::vector<std::vector<qsizetype>> DuplicatePositions(const QList<QString>& links);

// The same over (id, link) pairs in tree order, as ids.
template <typename Id>
std::vector<std::vector<Id>> DuplicateGroups(const std::vector<std::pair<Id, QString>>& links)
{
    QList<QString> texts;
    texts.reserve(qsizetype(links.size()));
    for (const auto& item : links)
        texts.append(item.second);
    std::vector<std::vector<Id>> groups;
    for (const std::vector<qsizetype>& positions : DuplicatePositions(texts)) {
        std::vector<Id>& group = groups.emplace_back();
        for (const qsizetype position : positions)
            group.push_back(links[size_t(position)].first);
    }
    return groups;
}

class BookmarkModel;
class BookmarkNode;

// The copy of a group "Select duplicates" keeps: its first link inside the
// Favorites folder; nullptr when every copy lies below folder links.
BookmarkNode* KeptCopy(const std::vector<BookmarkNode*>& group);

struct DuplicateSelection
{
    std::vector<BookmarkNode*> extras;
    int leftOutside = 0; // duplicates below folder links, which take no part
};

// What "Select duplicates" selects in the tree: the links inside the
// Favorites folder, grouped and ordered as the tree shows them. Links below
// folder links leading out of it are left out, so that none is deleted as a
// copy of another, nor kept as the original of one.
DuplicateSelection DuplicateLinksToSelect(const BookmarkModel& tree);
