#include "NodeOrder.h"

const std::vector<BookmarkNode*>& NodeOrder::nodes(const BookmarkNode* root)
{
    if (current_)
        return order_;
    order_.clear();
    parentAt_.clear();
    std::vector<int> ancestors; // places of the folders above the node reached
    for (BookmarkNode* node = root->childCount() ? root->child(0) : nullptr; node;
         node = node->next()) {
        while (!ancestors.empty() && order_[size_t(ancestors.back())] != node->parent())
            ancestors.pop_back();
        parentAt_.push_back(ancestors.empty() ? -1 : ancestors.back());
        ancestors.push_back(int(order_.size()));
        order_.push_back(node);
    }
    current_ = true;
    return order_;
}
