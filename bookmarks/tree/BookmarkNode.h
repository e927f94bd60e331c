#pragma once

#include "BookmarkEntry.h"

#include <memory>
#include <vector>

// One row of the bookmark tree. The entry lives inline, so reaching it from
// the node (the model's internalPointer) is one step.
class BookmarkNode final
{
public:
    // The entry's tail padding holds row_: a node of 100,000 stays within
    // its allocation size class.
    [[no_unique_address]] BookmarkEntry entry;

    BookmarkNode() = default;
    ~BookmarkNode();
    BookmarkNode(const BookmarkNode&) = delete;
    BookmarkNode& operator=(const BookmarkNode&) = delete;

    BookmarkNode* parent() const { return parent_; }
    int row() const { return row_; }
    int childCount() const { return int(children_.size()); }
    BookmarkNode* child(int row) const { return children_[size_t(row)].get(); }
    // Whether this is top itself or lies below it.
    bool isWithin(const BookmarkNode* top) const;
    // The next node in pre-order, collapsed subtrees included; nullptr after
    // the last node of the tree, or of a subtree taken out of it.
    BookmarkNode* next() const { return children_.empty() ? nextAfterSubtree() : child(0); }
    // The first node after this one's whole subtree in pre-order (its next
    // sibling, else the next sibling of the nearest ancestor that has one).
    BookmarkNode* nextAfterSubtree() const;

private:
    friend class BookmarkModel;
    friend class ShownRows;
    // The members are in the order that leaves no padding between them.
    int row_ = 0;
    BookmarkNode* parent_ = nullptr;
    std::vector<std::unique_ptr<BookmarkNode>> children_;
    // Where the row stands while the model shows only some nodes: the row it
    // hangs below (nullptr while hidden), its row there, and its shown rows.
    BookmarkNode* shownParent_ = nullptr;
    int shownRow_ = 0;
    // Set on the top of a subtree that was taken out of the tree while an
    // update bracket keeps its memory alive.
    bool detached_ = false;
    bool shownKept_ = false; // the copy of a shown duplicate group that is kept
    std::vector<BookmarkNode*> shownChildren_;
};
