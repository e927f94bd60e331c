#pragma once

#include <functional>
#include <vector>

class BookmarkModel;
class BookmarkNode;
struct BookmarkEntry;

// The nodes a run visits, in pre-order: the whole tree, or the subtrees of
// chosen nodes one after another. Told before a subtree leaves the tree, it
// steps past it and forgets the chosen nodes inside it, so it never hands
// out a node that is gone.
class RunWalk final
{
public:
    explicit RunWalk(BookmarkModel& tree) : tree_(&tree) {}
    // tops: in tree order, none below another (a sorted selection).
    RunWalk(BookmarkModel& tree, std::vector<BookmarkNode*> tops);

    // Puts the walk on its first node.
    void begin();
    // The node to visit now, the walk moving on past it; null at the end.
    BookmarkNode* next();
    bool atEnd() const { return !cursor_; }
    // Nothing more is handed out.
    void stop();
    // Before node goes with its subtree.
    void nodeAboutToBeRemoved(BookmarkNode* node);

    // The entries that counts() accepts among the walk's nodes inside the
    // subtree of within (among all of them for null), visited or not.
    int count(BookmarkNode* within, const std::function<bool(const BookmarkEntry&)>& counts) const;

private:
    void enterNextTop();
    bool outsideCurrentTop(const BookmarkNode* node) const;
    int countSpan(BookmarkNode* top, const std::function<bool(const BookmarkEntry&)>& counts) const;

    BookmarkModel* tree_;
    bool limited_ = false;
    std::vector<BookmarkNode*> tops_;
    size_t nextTop_ = 0;
    BookmarkNode* currentTop_ = nullptr;
    BookmarkNode* cursor_ = nullptr;
};
