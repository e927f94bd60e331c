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

void showDuplicates(BookmarkModel& tree, const SearchText& text)
{
    std::vector<std::pair<BookmarkNode*, QString>> links;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        if (!node->entry.IsFolder)
            links.emplace_back(node, node->entry.Link);
    }
    std::vector<std::vector<BookmarkNode*>> groups = DuplicateGroups(links);
    std::erase_if(groups, [&text](const std::vector<BookmarkNode*>& group) {
        return std::none_of(group.begin(), group.end(), [&text](const BookmarkNode* link) {
            return text.matchesEntry(link->entry);
        });
    });
    tree.showGroups(std::move(groups));
}

} // namespace

void ShowFound(BookmarkModel& tree, SearchIndex& index, const SearchText& text, FindChoice choice,
               const MovedLinks& moved)
{
    if (choice == FindChoice::Duplicates) {
        showDuplicates(tree, text);
        return;
    }
    if (choice == FindChoice::All && text.isEmpty()) {
        tree.showAll();
        return;
    }
    std::vector<bool> matching = index.find(tree, text);
    // With every link asked for, all the text finds is shown, folders too.
    if (choice != FindChoice::All)
        keepChosenLinks(tree.nodesInOrder(), choice, moved, matching);
    tree.showOnly(matching);
}
