#pragma once

#include <functional>
#include <unordered_set>
#include <vector>

class BookmarkModel;
class BookmarkNode;
struct BookmarkEntry;

// The nodes a run visits, in pre-order: the whole tree, or the subtrees of
// chosen nodes one after another; nodes put first go ahead of the rest, and
// the rest keep their order. Told before a subtree leaves the tree, it
// steps past it and forgets the chosen nodes inside it, so it never hands
// out a node that is gone.
class RunWalk final
{
public:
    explicit RunWalk(BookmarkModel& tree) : tree_(&tree) {}
    // tops: in tree order, none below another (a sorted selection).
    RunWalk(BookmarkModel& tree, std::vector<BookmarkNode*> tops);

    // Before begin(): these nodes, in this order, come before all others;
    // those outside the walk's subtrees are left out.
    void putFirst(const std::vector<BookmarkNode*>& nodes);
    // Puts the walk on its first node.
    void begin();
    // The node to visit now, the walk moving on past it; null at the end.
    BookmarkNode* next();
    bool atEnd() const { return nextFirst_ >= firsts_.size() && !cursor_; }
    // Nothing more is handed out.
    void stop();
    // Before node goes with its subtree.
    void nodeAboutToBeRemoved(BookmarkNode* node);

    // The entries that counts() accepts among the walk's nodes inside the
    // subtree of within (among all of them for null), visited or not.
    int count(BookmarkNode* within, const std::function<bool(const BookmarkEntry&)>& counts) const;

private:
    // Moves the cursor one node on.
    void advance();
    // Moves the cursor past the nodes handed out first.
    void skipFirsts();
    void enterNextTop();
    bool outsideCurrentTop(const BookmarkNode* node) const;
    int countSpan(BookmarkNode* top, const std::function<bool(const BookmarkEntry&)>& counts) const;

    BookmarkModel* tree_;
    bool limited_ = false;
    std::vector<BookmarkNode*> tops_;
    size_t nextTop_ = 0;
    BookmarkNode* currentTop_ = nullptr;
    BookmarkNode* cursor_ = nullptr;
    std::vector<BookmarkNode*> firsts_;
    size_t nextFirst_ = 0;
    std::unordered_set<const BookmarkNode*> putFirst_;
};
