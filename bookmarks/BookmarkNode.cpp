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
