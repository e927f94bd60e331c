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

// Of the nodes found, only the links of the chosen kind; with every link
// asked for, folders too. Counted in the same sweep, so that the count costs
// no second pass over the tree.
FoundNodes keepChosen(const std::vector<BookmarkNode*>& order, FindChoice choice,
                      const MovedLinks& moved, const HasArchivedCopy& archived,
                      std::vector<bool>& found)
{
    FoundNodes tally;
    for (size_t at = 0; at < order.size(); ++at) {
        if (!found[at])
            continue;
        BookmarkNode* node = order[at];
        const bool folder = node->entry.IsFolder;
        if (choice != FindChoice::All) {
            found[at] = !folder &&
                        (choice == FindChoice::Moved      ? moved.isMoved(node)
                         : choice == FindChoice::Archived ? archived && archived(node)
                                                          : hasChosenStatus(node->entry, choice));
            if (!found[at])
                continue;
        }
        ++(folder ? tally.folders : tally.links);
        if (!tally.first)
            tally.first = node;
    }
    return tally;
}

// The duplicate groups with a link among those found, each whole.
FoundNodes showDuplicates(BookmarkModel& tree, const std::vector<bool>& found)
{
    const std::vector<BookmarkNode*>& order = tree.nodesInOrder();
    std::vector<std::pair<size_t, QString>> links;
    for (size_t at = 0; at < order.size(); ++at) {
        if (!order[at]->entry.IsFolder)
            links.emplace_back(at, order[at]->entry.Link);
    }
    std::vector<std::vector<BookmarkNode*>> shown;
    std::vector<BookmarkNode*> kept;
    FoundNodes tally;
    // The groups come in tree order of their first links, as they are shown.
    for (const std::vector<size_t>& group : DuplicateGroups(links)) {
        if (std::none_of(group.begin(), group.end(), [&found](size_t at) { return found[at]; }))
            continue;
        std::vector<BookmarkNode*>& nodes = shown.emplace_back();
        for (const size_t at : group)
            nodes.push_back(order[at]);
        kept.push_back(KeptCopy(nodes));
        tally.links += int(nodes.size());
        if (!tally.first)
            tally.first = nodes.front();
    }
    tree.showGroups(std::move(shown), kept);
    return tally;
}

} // namespace

FoundNodes ShowFound(BookmarkModel& tree, SearchIndex& index, const SearchText& text,
                     FindChoice choice, const MovedLinks& moved, const HasArchivedCopy& archived)
{
    if (choice == FindChoice::All && text.isEmpty()) {
        tree.showAll();
        return {};
    }
    std::vector<bool> matching = index.find(tree, text);
    if (choice == FindChoice::Duplicates)
        return showDuplicates(tree, matching);
    const FoundNodes found = keepChosen(tree.nodesInOrder(), choice, moved, archived, matching);
    tree.showOnly(matching);
    return found;
}
