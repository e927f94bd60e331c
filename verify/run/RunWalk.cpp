#include "RunWalk.h"

#include "BookmarkModel.h"

#include <algorithm>

RunWalk::RunWalk(BookmarkModel& tree, std::vector<BookmarkNode*> tops)
    : tree_(&tree), limited_(true), tops_(std::move(tops))
{
}

void RunWalk::putFirst(const std::vector<BookmarkNode*>& nodes)
{
    for (BookmarkNode* node : nodes) {
        const bool inside =
            !limited_ || std::any_of(tops_.begin(), tops_.end(), [node](const BookmarkNode* top) {
                return BookmarkModel::isInSubtree(node, top);
            });
        if (inside && putFirst_.insert(node).second)
            firsts_.push_back(node);
    }
}

void RunWalk::begin()
{
    nextFirst_ = 0;
    if (!limited_) {
        cursor_ = tree_->firstNode();
    } else {
        nextTop_ = 0;
        enterNextTop();
    }
    skipFirsts();
}

BookmarkNode* RunWalk::next()
{
    if (nextFirst_ < firsts_.size())
        return firsts_[nextFirst_++];
    BookmarkNode* node = cursor_;
    if (!node)
        return nullptr;
    advance();
    skipFirsts();
    return node;
}

void RunWalk::advance()
{
    cursor_ = tree_->nextNode(cursor_);
    if (outsideCurrentTop(cursor_))
        enterNextTop();
}

void RunWalk::skipFirsts()
{
    while (cursor_ && putFirst_.count(cursor_))
        advance();
}

void RunWalk::stop()
{
    nextTop_ = tops_.size();
    currentTop_ = nullptr;
    cursor_ = nullptr;
    nextFirst_ = firsts_.size();
}

void RunWalk::nodeAboutToBeRemoved(BookmarkNode* node)
{
    if (limited_) {
        const auto goes = [node](const BookmarkNode* top) {
            return BookmarkModel::isInSubtree(top, node);
        };
        const auto reached = tops_.begin() + std::ptrdiff_t(nextTop_);
        nextTop_ -= size_t(std::count_if(tops_.begin(), reached, goes));
        std::erase_if(tops_, goes);
    }
    if (!putFirst_.empty()) {
        const auto goes = [node](const BookmarkNode* first) {
            return BookmarkModel::isInSubtree(first, node);
        };
        const auto reached = firsts_.begin() + std::ptrdiff_t(nextFirst_);
        nextFirst_ -= size_t(std::count_if(firsts_.begin(), reached, goes));
        std::erase_if(putFirst_, goes);
        std::erase_if(firsts_, goes);
    }
    // A limited walk stands inside its current top, so when that goes, the
    // walk goes on with the next one.
    if (!cursor_ || !BookmarkModel::isInSubtree(cursor_, node))
        return;
    cursor_ = tree_->nextNodeAfterSubtree(node);
    if (outsideCurrentTop(cursor_))
        enterNextTop();
    skipFirsts();
}

int RunWalk::count(BookmarkNode* within,
                   const std::function<bool(const BookmarkEntry&)>& counts) const
{
    if (!limited_)
        return countSpan(within, counts);
    int total = 0;
    for (BookmarkNode* top : tops_) {
        if (within && BookmarkModel::isInSubtree(within, top))
            return countSpan(within, counts);
        if (!within || BookmarkModel::isInSubtree(top, within))
            total += countSpan(top, counts);
    }
    return total;
}

void RunWalk::enterNextTop()
{
    currentTop_ = nextTop_ < tops_.size() ? tops_[nextTop_++] : nullptr;
    cursor_ = currentTop_;
}

// Only a limited walk has bounds; the end of the tree is no top to leave.
bool RunWalk::outsideCurrentTop(const BookmarkNode* node) const
{
    return limited_ && (!node || !BookmarkModel::isInSubtree(node, currentTop_));
}

// The subtree of top (the whole tree for null).
int RunWalk::countSpan(BookmarkNode* top,
                       const std::function<bool(const BookmarkEntry&)>& counts) const
{
    const BookmarkNode* end = top ? tree_->nextNodeAfterSubtree(top) : nullptr;
    int found = 0;
    for (BookmarkNode* node = top ? top : tree_->firstNode(); node && node != end;
         node = tree_->nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        found += entry && counts(*entry);
    }
    return found;
}
