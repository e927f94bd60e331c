#include "BookmarkNode.h"

BookmarkNode::~BookmarkNode()
{
    // Left to themselves, nodes would free their children from inside their
    // own destructors, a stack frame per level, and a folder chain thousands
    // deep would overflow the stack. The subtree is taken apart here instead,
    // each node childless by the time it goes.
    std::vector<std::unique_ptr<BookmarkNode>> pending = std::move(children_);
    while (!pending.empty()) {
        const std::unique_ptr<BookmarkNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children_)
            pending.push_back(std::move(child));
        node->children_.clear();
    }
}

bool BookmarkNode::isWithin(const BookmarkNode* top) const
{
    for (const BookmarkNode* n = this; n; n = n->parent_) {
        if (n == top)
            return true;
    }
    return false;
}

BookmarkNode* BookmarkNode::nextAfterSubtree() const
{
    // Only the invisible root has no parent.
    for (const BookmarkNode* n = this; n->parent_ && !n->detached_; n = n->parent_) {
        const auto& siblings = n->parent_->children_;
        const size_t next = size_t(n->row_) + 1;
        if (next < siblings.size())
            return siblings[next].get();
    }
    return nullptr;
}

// With the allocator's 8-byte header a node of 264 bytes takes one 272-byte
// chunk; a byte more costs 16 for every node of a large tree.
static_assert(sizeof(void*) != 8 || sizeof(BookmarkNode) <= 264);
