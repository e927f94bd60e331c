#pragma once

#include "BookmarkNode.h"

#include <vector>

// The rows the view sees while the model shows only some nodes: the row
// each shown node hangs below and its place there. A new filter empties
// only the nodes the last one showed, as long as no node came or went.
// The row queries are inline, as the view asks them for every row it lays out.
class ShownRows final
{
public:
    bool filtered() const { return filtered_; }
    // Whether the rows are duplicate groups, and node the copy kept of one.
    bool grouped() const { return grouped_; }
    bool isKept(const BookmarkNode* node) const { return grouped_ && node->shownKept_; }
    // Whether node has a row in the view (a hidden node has no index).
    bool isShown(const BookmarkNode* node) const { return !filtered_ || node->shownParent_; }
    // The rows as the view sees them, filtered or not.
    int rowsBelow(const BookmarkNode* owner) const
    {
        return filtered_ ? int(owner->shownChildren_.size()) : owner->childCount();
    }
    BookmarkNode* rowBelow(const BookmarkNode* owner, int row) const
    {
        return filtered_ ? owner->shownChildren_[size_t(row)] : owner->child(row);
    }
    BookmarkNode* rowParent(const BookmarkNode* node) const
    {
        return filtered_ ? node->shownParent_ : node->parent_;
    }
    int rowOf(const BookmarkNode* node) const { return filtered_ ? node->shownRow_ : node->row_; }

    // order: every node below root in pre-order; parentAt: the place of each
    // one's parent in it, -1 for a top-level node.
    void showOnly(BookmarkNode* root, const std::vector<BookmarkNode*>& order,
                  const std::vector<int>& parentAt, const std::vector<bool>& matching);
    void showGroups(BookmarkNode* root, const std::vector<BookmarkNode*>& order,
                    std::vector<std::vector<BookmarkNode*>> groups,
                    const std::vector<BookmarkNode*>& kept);
    void showAll(BookmarkNode* root, const std::vector<BookmarkNode*>& order);
    // A new tree is shown whole.
    void clear(BookmarkNode* root);
    // A node came or went: the nodes shown may be gone by the next filter.
    void treeChanged();
    // Takes the row of node, which lies in the subtree of top about to
    // leave, out of the shown structure; the rows left are closed up by
    // closeUp().
    void hide(BookmarkNode* node, const BookmarkNode* top);
    void closeUp();

private:
    // Empties the shown structure, for a new one.
    void forget(BookmarkNode* root, const std::vector<BookmarkNode*>& order);
    // Shows node as the next row below owner.
    void showRow(BookmarkNode* node, BookmarkNode* owner);

    bool filtered_ = false;
    bool grouped_ = false;
    std::vector<BookmarkNode*> gaps_; // shown parents that lost rows in this bracket
    // The nodes that carry shown rows; unknown once nodes came or went, and
    // then every node is visited.
    std::vector<BookmarkNode*> shownNodes_;
    bool shownNodesKnown_ = true;
};
