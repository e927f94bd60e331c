#pragma once

#include "BookmarkNode.h"

#include <vector>

// Every node below a root in pre-order, with the place of each one's parent
// in it (-1 for a top-level node): the one array that work over every node
// runs through. Made again on first use after a node came or went.
class NodeOrder final
{
public:
    const std::vector<BookmarkNode*>& nodes(const BookmarkNode* root);
    // Belongs to the last nodes().
    const std::vector<int>& parentAt() const { return parentAt_; }
    void treeChanged() { current_ = false; }

private:
    std::vector<BookmarkNode*> order_;
    std::vector<int> parentAt_;
    bool current_ = false;
};
