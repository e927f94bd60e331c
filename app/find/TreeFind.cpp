// The find bar of the main window: the tree narrowed to the links looked
// for while it is shown, and put back as it was when it closes.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "FindBar.h"
#include "FindFilter.h"
#include "MovedLinks.h"
#include "SearchText.h"

#include <QItemSelection>
#include <QItemSelectionModel>
#include <algorithm>

void TForm1::showFindBar()
{
    if (findBar->isHidden()) {
        rememberView();
        searchIndex_.prepare(*bookmarks_);
        findBar->show();
        applyAnchors();
    }
    findBar->focusField();
}

void TForm1::hideFindBar()
{
    if (findBar->isHidden())
        return;
    const bool hadFocus = findBar->isAncestorOf(focusWidget());
    findBar->hide();
    findBar->reset();
    applyAnchors();
    bookmarks_->showAll();
    searchIndex_.release();
    restoreView();
    viewBefore_ = {};
    if (hadFocus)
        VT->setFocus();
}

void TForm1::applyFind()
{
    ShowFound(*bookmarks_, searchIndex_, SearchText(findBar->text()), findBar->choice(),
              *movedLinks_);
    // What was found is in sight; with nothing looked for, the tree as it was.
    if (bookmarks_->isFiltered())
        VT->openAllFolders();
    else
        restoreView();
}

void TForm1::refreshFind()
{
    if (!findBar->isHidden())
        applyFind();
}

void TForm1::rememberView()
{
    viewBefore_ = {};
    for (BookmarkNode* node = bookmarks_->firstNode(); node; node = bookmarks_->nextNode(node)) {
        if (node->entry.IsFolder && VT->isExpanded(bookmarks_->indexOf(node)))
            viewBefore_.open.push_back(node);
    }
    for (const QModelIndex& row : VT->selectionModel()->selectedRows())
        viewBefore_.selected.push_back(BookmarkModel::nodeOf(row));
    viewBefore_.current = BookmarkModel::nodeOf(VT->currentIndex());
}

void TForm1::restoreView()
{
    for (BookmarkNode* folder : viewBefore_.open)
        VT->expand(bookmarks_->indexOf(folder));
    QItemSelection rows;
    for (BookmarkNode* node : viewBefore_.selected) {
        const QModelIndex row = bookmarks_->indexOf(node);
        rows.select(row, row);
    }
    QItemSelectionModel* selection = VT->selectionModel();
    selection->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (viewBefore_.current)
        selection->setCurrentIndex(bookmarks_->indexOf(viewBefore_.current),
                                   QItemSelectionModel::NoUpdate);
}

void TForm1::forgetViewBelow(BookmarkNode* top)
{
    const auto below = [top](const BookmarkNode* node) {
        return BookmarkModel::isInSubtree(node, top);
    };
    std::erase_if(viewBefore_.open, below);
    std::erase_if(viewBefore_.selected, below);
    if (below(viewBefore_.current))
        viewBefore_.current = nullptr;
}
