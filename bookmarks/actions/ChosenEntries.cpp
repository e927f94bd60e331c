#include "ChosenEntries.h"

#include "BookmarkModel.h"

#include <unordered_set>

namespace {

class Chooser
{
public:
    Chooser(const BookmarkModel& tree, Reach reach)
        : tree_(tree), reach_(reach), filtered_(tree.isFiltered())
    {
    }

    // Takes node, a row selected (direct) or shown below one; true when it
    // went whole.
    bool take(BookmarkNode* node, bool direct)
    {
        if (leftOut(node->entry, direct)) {
            noteOutside(node);
            return false;
        }
        if (!node->entry.IsFolder) {
            chosen.entries.push_back(node);
            return true;
        }
        const size_t first = chosen.entries.size();
        // The root entry is the Favorites folder itself: never taken whole.
        bool whole = BookmarkModel::entry(node->parent()) != nullptr;
        for (int row = 0; row < node->childCount(); ++row)
            whole = takeBelow(node->child(row)) && whole;
        if (whole) {
            chosen.entries.resize(first);
            chosen.entries.push_back(node);
        }
        return whole;
    }

    ChosenEntries chosen;

private:
    bool takeBelow(BookmarkNode* node)
    {
        if (tree_.isShown(node))
            return take(node, false);
        // A hidden folder may still hold shown rows: the links of a group of
        // duplicates hang below the root entry.
        for (int row = 0; row < node->childCount(); ++row)
            takeBelow(node->child(row));
        return false;
    }

    bool leftOut(const BookmarkEntry& entry, bool direct) const
    {
        if (!entry.OutsideFavorites)
            return false;
        switch (reach_) {
        case Reach::Entries:
            // A folder that goes whole is moved as one, never followed
            // through the folder links it holds.
            return filtered_;
        case Reach::Links:
            return filtered_ || !direct;
        default:
            return false;
        }
    }

    void noteOutside(BookmarkNode* node)
    {
        const BookmarkNode* end = tree_.nextNodeAfterSubtree(node);
        for (BookmarkNode* below = node; below != end; below = tree_.nextNode(below))
            if (!below->entry.IsFolder && tree_.isShown(below))
                chosen.leftOutside.push_back(below);
    }

    const BookmarkModel& tree_;
    const Reach reach_;
    const bool filtered_;
};

} // namespace

ChosenEntries ChooseEntries(const BookmarkModel& tree,
                            const std::function<bool(BookmarkNode*)>& isSelected, Reach reach)
{
    Chooser chooser(tree, reach);
    for (BookmarkNode* node = tree.firstNode(); node;) {
        if (tree.isShown(node) && isSelected(node)) {
            chooser.take(node, true);
            node = tree.nextNodeAfterSubtree(node);
        } else {
            node = tree.nextNode(node);
        }
    }
    ChosenEntries chosen = std::move(chooser.chosen);
    for (const BookmarkNode* node : chosen.entries)
        ++(node->entry.IsFolder ? chosen.folders : chosen.links);
    return chosen;
}

std::vector<BookmarkNode*> LinksOf(const BookmarkModel& tree, const ChosenEntries& chosen,
                                   size_t most)
{
    std::vector<BookmarkNode*> links;
    for (BookmarkNode* top : chosen.entries) {
        const BookmarkNode* end = tree.nextNodeAfterSubtree(top);
        for (BookmarkNode* node = top; node != end && links.size() < most;
             node = tree.nextNode(node))
            if (!node->entry.IsFolder)
                links.push_back(node);
    }
    return links;
}

std::function<bool(BookmarkNode*)> WithinChosen(const ChosenEntries& chosen)
{
    return [tops = std::unordered_set<const BookmarkNode*>(
                chosen.entries.begin(), chosen.entries.end())](const BookmarkNode* node) {
        for (; node; node = node->parent())
            if (tops.contains(node))
                return true;
        return false;
    };
}

QString LeftOutsideLine(qsizetype links)
{
    if (links == 0)
        return {};
    return links == 1 ? QStringLiteral("1 link outside the Favorites folder (below folder links) "
                                       "is left out.")
                      : QStringLiteral("%1 links outside the Favorites folder (below folder "
                                       "links) are left out.")
                            .arg(links);
}
