// The bookmark view's context menu: what can be done with the selected rows,
// in the look of the toolbar's menus. Each item goes the way its key or menu
// item goes, so every action keeps one path.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "FileManager.h"
#include "KeptVerdicts.h"
#include "MenuStyle.h"
#include "MovedLinks.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSet>
#include <cstdint>

namespace {

QAction* addItem(QMenu* menu, const QString& caption, const QString& hint)
{
    QAction* item = menu->addAction(caption);
    item->setProperty(MenuStyle::HintProperty, hint);
    return item;
}

// Whether a node lies in the subtree of one of tops.
std::function<bool(BookmarkNode*)> WithinAny(const std::vector<BookmarkNode*>& tops)
{
    return [chosen = QSet<BookmarkNode*>(tops.begin(), tops.end())](BookmarkNode* node) {
        for (; node; node = node->parent())
            if (chosen.contains(node))
                return true;
        return false;
    };
}

// The links in the subtrees of tops, in tree order; the first most of them.
std::vector<BookmarkNode*> LinksWithin(const BookmarkModel& tree,
                                       const std::vector<BookmarkNode*>& tops,
                                       size_t most = SIZE_MAX)
{
    std::vector<BookmarkNode*> links;
    for (BookmarkNode* top : tops) {
        const BookmarkNode* end = tree.nextNodeAfterSubtree(top);
        for (BookmarkNode* node = top; node != end && links.size() < most;
             node = tree.nextNode(node))
            if (!node->entry.IsFolder)
                links.push_back(node);
    }
    return links;
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

void TForm1::pmVTPopup()
{
    const std::vector<BookmarkNode*> tops = selectedTops();
    const QModelIndexList rows = VT->selectionModel()->selectedRows();
    int selectedLinks = 0;
    for (const QModelIndex& row : rows)
        selectedLinks += !BookmarkModel::nodeOf(row)->entry.IsFolder;
    BookmarkNode* root = bookmarks_->firstNode();
    const bool rootSelected = root && VT->isNodeSelected(root);
    const bool idle = !VerifyThread;

    mnOpenLink->setEnabled(rows.size() == 1 && selectedLinks == 1);
    mnCopyLink->setEnabled(selectedLinks > 0);
    mnCheckAgain->setEnabled(idle && !LinksWithin(*bookmarks_, tops, 1).empty());
    mnUpdateSelected->setEnabled(idle && movedLinks_->count(WithinAny(tops)) > 0);
    mnShowInFileManager->setEnabled(!tops.empty());
    // The Favorites folder itself is never deleted; with others it is left out.
    mnMoveToTrash->setEnabled(!rows.isEmpty() && !(rootSelected && rows.size() == 1));
    mnOpenAnotherFolder->setEnabled(rootSelected || !root);
}

void TForm1::mnCheckAgainClick()
{
    if (VerifyThread)
        return;
    std::vector<BookmarkNode*> tops = selectedTops();
    const std::vector<BookmarkNode*> links = LinksWithin(*bookmarks_, tops);
    if (links.empty())
        return;
    // Only these lamps go grey; what the last run found elsewhere still holds.
    for (BookmarkNode* top : tops) {
        movedLinks_->forgetVerdicts(top);
        verdicts_->forgetSubtree(top);
    }
    for (BookmarkNode* link : links)
        bookmarks_->setStatus(link, StatusUnverified);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    startRun(std::move(tops));
}

void TForm1::mnUpdateSelectedClick()
{
    updateMovedLinks(WithinAny(selectedTops()));
}

void TForm1::mnShowInFileManagerClick()
{
    std::vector<std::string> paths;
    for (const BookmarkNode* top : selectedTops())
        paths.push_back(top->entry.Path.empty() ? FavoritesPath.native() : top->entry.Path);
    ShowInFileManager(QDBusConnection::sessionBus(), paths);
}
