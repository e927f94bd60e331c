#include "FindFilter.h"

#include "BookmarkModel.h"
#include "DuplicateGroups.h"
#include "MovedLinks.h"
#include "SearchIndex.h"
#include "SearchText.h"

#include <algorithm>

namespace {

bool hasChosenStatus(const BookmarkEntry& link, FindChoice choice)
{
    switch (choice) {
    case FindChoice::Dead:
        return link.Status == StatusDead;
    case FindChoice::NotSure:
        return link.Status == StatusUnsure;
    case FindChoice::NotChecked:
        // No verdict either way: never requested, or no run reached it yet.
        return link.Status == StatusUnchecked || link.Status == StatusUnverified;
    default:
        return true;
    }
}

// Of the nodes found, only the links of the chosen kind.
void keepChosenLinks(const std::vector<BookmarkNode*>& order, FindChoice choice,
                     const MovedLinks& moved, std::vector<bool>& found)
{
    for (size_t at = 0; at < order.size(); ++at) {
        if (!found[at])
            continue;
        const BookmarkNode* node = order[at];
        if (node->entry.IsFolder)
            found[at] = false;
        else if (choice == FindChoice::Moved)
            found[at] = moved.isMoved(node);
        else
            found[at] = hasChosenStatus(node->entry, choice);
    }
}

// The duplicate groups with a link among those found, each whole.
void showDuplicates(BookmarkModel& tree, const std::vector<bool>& found)
{
    const std::vector<BookmarkNode*>& order = tree.nodesInOrder();
    std::vector<std::pair<size_t, QString>> links;
    for (size_t at = 0; at < order.size(); ++at) {
        if (!order[at]->entry.IsFolder)
            links.emplace_back(at, order[at]->entry.Link);
    }
    std::vector<std::vector<BookmarkNode*>> shown;
    std::vector<BookmarkNode*> kept;
    for (const std::vector<size_t>& group : DuplicateGroups(links)) {
        if (std::none_of(group.begin(), group.end(), [&found](size_t at) { return found[at]; }))
            continue;
        std::vector<BookmarkNode*>& nodes = shown.emplace_back();
        for (const size_t at : group)
            nodes.push_back(order[at]);
        kept.push_back(KeptCopy(nodes));
    }
    tree.showGroups(std::move(shown), kept);
}

} // namespace

void ShowFound(BookmarkModel& tree, SearchIndex& index, const SearchText& text, FindChoice choice,
               const MovedLinks& moved)
{
    if (choice == FindChoice::All && text.isEmpty()) {
        tree.showAll();
        return;
    }
    std::vector<bool> matching = index.find(tree, text);
    if (choice == FindChoice::Duplicates) {
        showDuplicates(tree, matching);
        return;
    }
    // With every link asked for, all the text finds is shown, folders too.
    if (choice != FindChoice::All)
        keepChosenLinks(tree.nodesInOrder(), choice, moved, matching);
    tree.showOnly(matching);
}
