#include "ShownRows.h"

#include <algorithm>
#include <unordered_map>

void ShownRows::clear(BookmarkNode* root)
{
    filtered_ = false;
    grouped_ = false;
    root->shownChildren_.clear();
    gaps_.clear();
}

void ShownRows::treeChanged()
{
    shownNodes_.clear();
    shownNodesKnown_ = false;
}

void ShownRows::forget(BookmarkNode* root, const std::vector<BookmarkNode*>& order)
{
    root->shownChildren_.clear();
    for (BookmarkNode* node : shownNodesKnown_ ? shownNodes_ : order) {
        node->shownParent_ = nullptr;
        node->shownKept_ = false;
        node->shownChildren_.clear();
    }
    grouped_ = false;
    shownNodes_.clear();
    shownNodesKnown_ = true;
}

void ShownRows::showRow(BookmarkNode* node, BookmarkNode* owner)
{
    node->shownParent_ = owner;
    node->shownRow_ = int(owner->shownChildren_.size());
    owner->shownChildren_.push_back(node);
    shownNodes_.push_back(node);
}

void ShownRows::showOnly(BookmarkNode* root, const std::vector<BookmarkNode*>& order,
                         const std::vector<int>& parentAt, const std::vector<bool>& matching)
{
    forget(root, order);
    // Backwards, every node comes after all of its subtree, so a folder
    // knows whether anything below it is shown before its turn.
    std::vector<bool> shown(order.size());
    for (size_t i = order.size(); i-- > 0;) {
        const int above = parentAt[i];
        if (above >= 0 && !shown[i] && !(i < matching.size() && matching[i]))
            continue;
        shown[i] = true;
        if (above >= 0)
            shown[size_t(above)] = true;
    }
    // Forwards, each node's rows come in tree order; only shown nodes are touched.
    for (size_t i = 0; i < order.size(); ++i) {
        if (shown[i])
            showRow(order[i], order[i]->parent_);
    }
    filtered_ = true;
}

void ShownRows::showGroups(BookmarkNode* root, const std::vector<BookmarkNode*>& order,
                           std::vector<std::vector<BookmarkNode*>> groups,
                           const std::vector<BookmarkNode*>& kept)
{
    forget(root, order);
    for (const auto& top : root->children_)
        showRow(top.get(), root);
    std::unordered_map<const BookmarkNode*, size_t> place;
    for (size_t i = 0; i < order.size(); ++i)
        place.emplace(order[i], i);
    const auto placeOf = [&place](const std::vector<BookmarkNode*>& group) {
        const auto found = group.empty() ? place.end() : place.find(group.front());
        return found == place.end() ? place.size() : found->second;
    };
    std::stable_sort(groups.begin(), groups.end(),
                     [&](const auto& a, const auto& b) { return placeOf(a) < placeOf(b); });
    BookmarkNode* rootEntry = root->children_.empty() ? nullptr : root->children_.front().get();
    for (const auto& group : groups) {
        for (BookmarkNode* link : group) {
            // Only links of this tree, each once.
            if (!rootEntry || !place.contains(link) || link->shownParent_ || link->entry.IsFolder)
                continue;
            showRow(link, rootEntry);
        }
    }
    for (BookmarkNode* copy : kept) {
        if (copy && copy->shownParent_)
            copy->shownKept_ = true;
    }
    grouped_ = true;
    filtered_ = true;
}

void ShownRows::showAll(BookmarkNode* root, const std::vector<BookmarkNode*>& order)
{
    forget(root, order);
    filtered_ = false;
}

void ShownRows::hide(BookmarkNode* node, const BookmarkNode* top)
{
    BookmarkNode* above = node->shownParent_;
    if (!above)
        return;
    node->shownParent_ = nullptr;
    if (!above->isWithin(top))
        gaps_.push_back(above);
}

void ShownRows::closeUp()
{
    for (BookmarkNode* owner : gaps_) {
        auto& rows = owner->shownChildren_;
        std::erase_if(rows,
                      [owner](const BookmarkNode* row) { return row->shownParent_ != owner; });
        for (size_t row = 0; row < rows.size(); ++row)
            rows[row]->shownRow_ = int(row);
    }
    gaps_.clear();
}
