// The bookmark view's context menu: what can be done with the selected rows,
// in the look of the toolbar's menus. Each item goes the way its key or menu
// item goes, so every action keeps one path.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenEntries.h"
#include "FileManager.h"
#include "KeptVerdicts.h"
#include "MenuStyle.h"
#include "MovedLinks.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QItemSelectionModel>
#include <QMenu>
#include <algorithm>

namespace {

QAction* addItem(QMenu* menu, const QString& caption, const QString& hint)
{
    QAction* item = menu->addAction(caption);
    item->setProperty(MenuStyle::HintProperty, hint);
    return item;
}

} // namespace

void TForm1::setupContextMenu()
{
    pmVT = new QMenu(this);
    mnOpenLink = addItem(pmVT, QStringLiteral("Open link"), QStringLiteral("In the web browser"));
    pmVT->setDefaultAction(mnOpenLink);
    mnCopyLink = addItem(pmVT, QStringLiteral("Copy link"),
                         QStringLiteral("Put the selected links on the clipboard"));
    pmVT->addSeparator();
    mnCheckAgain = addItem(pmVT, QStringLiteral("Check again"),
                           QStringLiteral("Verify the selected links, and those of selected "
                                          "folders"));
    mnUpdateSelected = addItem(pmVT, QStringLiteral("Update to new address"),
                               QStringLiteral("Rewrite the selected links that moved for good"));
    pmVT->addSeparator();
    mnShowInFileManager = addItem(pmVT, QStringLiteral("Show in file manager"),
                                  QStringLiteral("Show the shortcut files in their folder"));
    mnMoveToTrash = addItem(pmVT, QStringLiteral("Move to Trash"),
                            QStringLiteral("Delete the selected entries"));
    pmVT->addSeparator();
    mnOpenAnotherFolder = addItem(pmVT, QStringLiteral("Open another folder…"),
                                  QStringLiteral("Show another Favorites folder"));

    connect(pmVT, &QMenu::aboutToShow, this, &TForm1::pmVTPopup);
    connect(mnOpenLink, &QAction::triggered, this, [this] {
        // Enter and a double click open the current row; make it the one selected.
        const QModelIndexList rows = VT->selectionModel()->selectedRows();
        if (rows.size() == 1)
            VT->selectionModel()->setCurrentIndex(rows.front(), QItemSelectionModel::NoUpdate);
        VTDblClick();
    });
    connect(mnCopyLink, &QAction::triggered, this, &TForm1::copySelectedLinks);
    connect(mnCheckAgain, &QAction::triggered, this, &TForm1::mnCheckAgainClick);
    connect(mnUpdateSelected, &QAction::triggered, this, &TForm1::mnUpdateSelectedClick);
    connect(mnShowInFileManager, &QAction::triggered, this, &TForm1::mnShowInFileManagerClick);
    // Picked from the menu of a dead or moved link, the deletion rests on
    // what the run found of it.
    connect(mnMoveToTrash, &QAction::triggered, this, [this] {
        deleteSelection([this](const BookmarkNode* node) {
            return node->entry.Status == StatusDead || movedLinks_->isMoved(node);
        });
    });
    connect(mnOpenAnotherFolder, &QAction::triggered, this, &TForm1::mnOpenFolderClick);
    // A right click reaches the rows' area, the Menu key the view itself.
    VT->viewport()->installEventFilter(this);
}

void TForm1::VTContextPopup(const QPoint& at)
{
    // As in file managers: a click outside the selection acts on that row alone.
    const QModelIndex row = VT->indexAt(at);
    if (row.isValid() && !VT->isNodeSelected(BookmarkModel::nodeOf(row)))
        VT->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    VT->cancelMode();
    pmVT->exec(VT->viewport()->mapToGlobal(at));
}

void TForm1::VTContextKey()
{
    const QModelIndex current = VT->currentIndex();
    QPoint at;
    if (current.isValid()) {
        VT->scrollTo(current);
        at = VT->visualRect(current).bottomLeft();
    }
    VT->cancelMode();
    pmVT->exec(VT->viewport()->mapToGlobal(at));
}

std::vector<BookmarkNode*> TForm1::selectedTops() const
{
    return bookmarks_->sortedSelection(
        [this](BookmarkNode* node) { return VT->isNodeSelected(node); });
}

ChosenEntries TForm1::chosenRows(Reach reach) const
{
    return ChooseEntries(
        *bookmarks_, [this](BookmarkNode* node) { return VT->isNodeSelected(node); }, reach);
}

void TForm1::pmVTPopup()
{
    const std::vector<BookmarkNode*> tops = selectedTops();
    const ChosenEntries chosen = chosenRows(Reach::Links);
    const QModelIndexList rows = VT->selectionModel()->selectedRows();
    int selectedLinks = 0;
    for (const QModelIndex& row : rows)
        selectedLinks += !BookmarkModel::nodeOf(row)->entry.IsFolder;
    BookmarkNode* root = bookmarks_->firstNode();
    const bool rootSelected = root && VT->isNodeSelected(root);
    const bool idle = !VerifyThread;

    mnOpenLink->setEnabled(rows.size() == 1 && selectedLinks == 1);
    mnCopyLink->setEnabled(!LinksOf(*bookmarks_, chosenRows(Reach::Anywhere), 1).empty());
    mnCheckAgain->setEnabled(idle && !LinksOf(*bookmarks_, chosen, 1).empty());
    mnUpdateSelected->setEnabled(idle && movedLinks_->count(WithinChosen(chosen)) > 0);
    mnShowInFileManager->setEnabled(!tops.empty());
    // The Favorites folder itself is never deleted; with others it is left out.
    mnMoveToTrash->setEnabled(!rows.isEmpty() && !(rootSelected && rows.size() == 1));
    // The item names what Options make of it.
    mnMoveToTrash->setText(deletesToTrash() ? QStringLiteral("Move to Trash")
                                            : QStringLiteral("Delete permanently"));
    mnOpenAnotherFolder->setEnabled(rootSelected || !root);
}

void TForm1::mnCheckAgainClick()
{
    if (VerifyThread)
        return;
    ChosenEntries chosen = chosenRows(Reach::Links);
    const std::vector<BookmarkNode*> links = LinksOf(*bookmarks_, chosen);
    if (links.empty())
        return;
    // Only these lamps go grey; what the last run found elsewhere still holds.
    for (BookmarkNode* top : chosen.entries) {
        movedLinks_->forgetVerdicts(top);
        verdicts_->forgetSubtree(top);
    }
    for (BookmarkNode* link : links)
        bookmarks_->setStatus(link, StatusUnverified);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    startRun(std::move(chosen.entries));
}

void TForm1::mnUpdateSelectedClick()
{
    const ChosenEntries chosen = chosenRows(Reach::Links);
    updateMovedLinks(
        WithinChosen(chosen),
        std::count_if(chosen.leftOutside.begin(), chosen.leftOutside.end(),
                      [this](const BookmarkNode* node) { return movedLinks_->isMoved(node); }));
}

void TForm1::mnShowInFileManagerClick()
{
    std::vector<std::string> paths;
    for (const BookmarkNode* top : selectedTops())
        paths.push_back(top->entry.Path.empty() ? FavoritesPath.native() : top->entry.Path);
    ShowInFileManager(QDBusConnection::sessionBus(), paths);
}
