#pragma once

#include "FindFilter.h"
#include "SearchIndex.h"

#include <QObject>
#include <functional>
#include <vector>

class BookmarkModel;
class BookmarkNode;
class BookmarkView;
class FindBar;
class MovedLinks;
class NoMatchNote;
struct FoundNodes;

// The find bar at work on the tree: shown, it narrows the tree to what it
// asks for; hidden, the whole tree is back with the folders open and the
// rows selected as they were before it was shown.
class TreeFind final : public QObject
{
    Q_OBJECT

public:
    // relayout makes room for the bar or gives it back to the tree.
    TreeFind(FindBar& bar, BookmarkView& view, const MovedLinks& moved,
             std::function<void()> relayout, QObject* parent = nullptr);

    // Which links "Archived" shows.
    void setArchivedCopy(HasArchivedCopy archived) { archived_ = std::move(archived); }
    void show();
    // Shows the bar with choice made, the keys in the tree on what it found.
    void showChoice(FindChoice choice);
    void hide();
    // The filter made again for what a run, a deletion or an update changed.
    void refresh();
    // Whether the bar is shown and holds the window's focus.
    bool hasFocus() const;

private:
    // What the tree showed before the find bar, by node, so that it survives
    // the filter's rows; nodes leaving the tree meanwhile are dropped.
    struct ViewBefore
    {
        std::vector<BookmarkNode*> open;
        std::vector<BookmarkNode*> selected;
        BookmarkNode* current = nullptr;
    };

    void apply();
    // The count in the field, and the note in the rows when nothing is found.
    void sayFound(const FoundNodes& found);
    // Focus to the tree, on the first row found.
    void enterTree();
    void rememberView();
    void restoreView();
    void forgetViewBelow(BookmarkNode* top);

    FindBar& bar_;
    BookmarkView& view_;
    BookmarkModel& tree_;
    const MovedLinks& moved_;
    HasArchivedCopy archived_;
    std::function<void()> relayout_;
    ViewBefore viewBefore_;
    SearchIndex searchIndex_; // the tree's texts while the bar is open
    BookmarkNode* firstFound_ = nullptr;
    NoMatchNote* noMatch_ = nullptr; // made the first time nothing is found
};
