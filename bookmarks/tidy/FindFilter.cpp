#include "FindFilter.h"

#include "BookmarkModel.h"
#include "DuplicateGroups.h"
#include "MovedLinks.h"
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

void ShowFound(BookmarkModel& tree, const SearchText& text, FindChoice choice,
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
    tree.showOnly([&](const BookmarkNode* node) {
        const BookmarkEntry& e = node->entry;
        if (e.IsFolder)
            return choice == FindChoice::All && !text.isEmpty() && text.matchesEntry(e);
        if (choice == FindChoice::Moved && !moved.isMoved(node))
            return false;
        return hasChosenStatus(e, choice) && text.matchesEntry(e);
    });
}
