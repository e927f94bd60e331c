#include "ViewSelection.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"

std::vector<BookmarkNode*> SelectedTops(const BookmarkView& view)
{
    return view.bookmarks()->sortedSelection(
        [&view](BookmarkNode* node) { return view.isNodeSelected(node); });
}

ChosenEntries ChosenRows(const BookmarkView& view, Reach reach)
{
    return ChooseEntries(
        *view.bookmarks(), [&view](BookmarkNode* node) { return view.isNodeSelected(node); },
        reach);
}
