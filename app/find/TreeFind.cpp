#include "TreeFind.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "CountedText.h"
#include "FindBar.h"
#include "FindFilter.h"
#include "MovedLinks.h"
#include "NoMatchNote.h"
#include "SearchText.h"

#include <QComboBox>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <algorithm>

namespace {

// "23 links", with the folders named like the text when there are any.
QString FoundText(const FoundNodes& found)
{
    QStringList parts;
    if (found.links > 0 || found.folders == 0)
        parts << CountedText(found.links, "link", "links");
    if (found.folders > 0)
        parts << CountedText(found.folders, "folder", "folders");
    return parts.join(QStringLiteral(", "));
}

} // namespace

TreeFind::TreeFind(FindBar& bar, BookmarkView& view, const MovedLinks& moved,
                   std::function<void()> relayout, QObject* parent)
    : QObject(parent), bar_(bar), view_(view), tree_(*view.bookmarks()), moved_(moved),
      relayout_(std::move(relayout))
{
    connect(&bar_, &FindBar::filterChanged, this, &TreeFind::apply);
    connect(&bar_, &FindBar::closeAsked, this, &TreeFind::hide);
    // What was chosen is where the keys act next.
    connect(&bar_, &FindBar::choicePicked, this, &TreeFind::enterTree);
    connect(&bar_, &FindBar::downFromField, this, &TreeFind::enterTree);
    connect(&tree_, &BookmarkModel::nodeAboutToBeRemoved, this, &TreeFind::forgetViewBelow);
}

void TreeFind::show()
{
    if (bar_.isHidden()) {
        rememberView();
        searchIndex_.prepare(tree_);
        bar_.show();
        relayout_();
    }
    bar_.focusField();
}

void TreeFind::showChoice(FindChoice choice)
{
    show();
    bar_.choiceBox->setCurrentIndex(int(choice));
    enterTree();
}

bool TreeFind::hasFocus() const
{
    return !bar_.isHidden() && bar_.isAncestorOf(bar_.window()->focusWidget());
}

void TreeFind::hide()
{
    if (bar_.isHidden())
        return;
    const bool hadFocus = bar_.isAncestorOf(bar_.window()->focusWidget());
    bar_.hide();
    bar_.reset();
    relayout_();
    tree_.showAll();
    sayFound({});
    searchIndex_.release();
    restoreView();
    viewBefore_ = {};
    if (hadFocus)
        view_.setFocus();
}

void TreeFind::apply()
{
    const FoundNodes found =
        ShowFound(tree_, searchIndex_, SearchText(bar_.text()), bar_.choice(), moved_, archived_);
    firstFound_ = found.first;
    // What was found is in sight; with nothing looked for, the tree as it was.
    if (tree_.isFiltered())
        view_.openAllFolders();
    else
        restoreView();
    sayFound(found);
}

void TreeFind::sayFound(const FoundNodes& found)
{
    const bool filtered = tree_.isFiltered();
    bar_.showCount(filtered ? FoundText(found) : QString());
    if (filtered && found.none()) {
        if (!noMatch_)
            noMatch_ = new NoMatchNote(view_);
        noMatch_->say(bar_.asked());
    } else if (noMatch_) {
        noMatch_->hide();
    }
}

void TreeFind::enterTree()
{
    // The first row found is where Delete and Enter act next; with nothing
    // found, the current row.
    view_.focusOn(firstFound_);
}

void TreeFind::refresh()
{
    if (bar_.isHidden())
        return;
    // The filter is made anew; the rows selected and the current one stay
    // where they are still shown.
    std::vector<BookmarkNode*> selected;
    for (const QModelIndex& row : view_.selectionModel()->selectedRows())
        selected.push_back(BookmarkModel::nodeOf(row));
    BookmarkNode* current = BookmarkModel::nodeOf(view_.currentIndex());
    apply();
    QItemSelection rows;
    for (BookmarkNode* node : selected) {
        const QModelIndex row = tree_.indexOf(node);
        rows.select(row, row);
    }
    view_.selectionModel()->select(rows,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (current && tree_.isShown(current))
        view_.selectionModel()->setCurrentIndex(tree_.indexOf(current),
                                                QItemSelectionModel::NoUpdate);
}

void TreeFind::rememberView()
{
    viewBefore_ = {};
    for (BookmarkNode* node = tree_.firstNode(); node; node = tree_.nextNode(node)) {
        if (node->entry.IsFolder && view_.isExpanded(tree_.indexOf(node)))
            viewBefore_.open.push_back(node);
    }
    for (const QModelIndex& row : view_.selectionModel()->selectedRows())
        viewBefore_.selected.push_back(BookmarkModel::nodeOf(row));
    viewBefore_.current = BookmarkModel::nodeOf(view_.currentIndex());
}

void TreeFind::restoreView()
{
    for (BookmarkNode* folder : viewBefore_.open)
        view_.expand(tree_.indexOf(folder));
    QItemSelection rows;
    for (BookmarkNode* node : viewBefore_.selected) {
        const QModelIndex row = tree_.indexOf(node);
        rows.select(row, row);
    }
    QItemSelectionModel* selection = view_.selectionModel();
    selection->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (viewBefore_.current)
        selection->setCurrentIndex(tree_.indexOf(viewBefore_.current),
                                   QItemSelectionModel::NoUpdate);
}

void TreeFind::forgetViewBelow(BookmarkNode* top)
{
    const auto below = [top](const BookmarkNode* node) {
        return BookmarkModel::isInSubtree(node, top);
    };
    std::erase_if(viewBefore_.open, below);
    std::erase_if(viewBefore_.selected, below);
    if (below(viewBefore_.current))
        viewBefore_.current = nullptr;
    if (below(firstFound_))
        firstFound_ = nullptr;
}
