#include "ContextMenu.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenEntries.h"
#include "FileManager.h"
#include "MenuStyle.h"
#include "MovedLinks.h"
#include "ViewSelection.h"

#include <QDBusConnection>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPointer>

namespace {

QAction* addItem(QMenu* menu, const QString& caption, const QString& hint)
{
    QAction* item = menu->addAction(caption);
    item->setProperty(MenuStyle::HintProperty, hint);
    return item;
}

} // namespace

ContextMenu::ContextMenu(BookmarkView& view, const MovedLinks& moved,
                         const std::filesystem::path& favorites, QWidget* window)
    : QObject(window), view_(view), moved_(moved), favorites_(favorites)
{
    menu = new QMenu(window);
    openLink = addItem(menu, QStringLiteral("Open link"), QStringLiteral("In the web browser"));
    menu->setDefaultAction(openLink);
    copyLink = addItem(menu, QStringLiteral("Copy link"),
                       QStringLiteral("Put the selected links on the clipboard"));
    menu->addSeparator();
    checkAgain = addItem(menu, QStringLiteral("Check again"),
                         QStringLiteral("Verify the selected links, and those of selected "
                                        "folders"));
    updateSelected = addItem(menu, QStringLiteral("Update to new address"),
                             QStringLiteral("Rewrite the selected links that moved for good"));
    openArchivedCopy = addItem(menu, QStringLiteral("Open archived copy"),
                               QStringLiteral("The Internet Archive's copy of the dead link"));
    replaceWithArchivedCopy =
        addItem(menu, QStringLiteral("Replace with archived copy"),
                QStringLiteral("Rewrite the dead link to its copy in the Internet Archive"));
    menu->addSeparator();
    showInFolder = addItem(menu, QStringLiteral("Show in file manager"),
                           QStringLiteral("Show the shortcut files in their folder"));
    moveToTrash = addItem(menu, QStringLiteral("Move to Trash"),
                          QStringLiteral("Delete the selected entries"));
    menu->addSeparator();
    openAnotherFolder = addItem(menu, QStringLiteral("Open another folder…"),
                                QStringLiteral("Show another Favorites folder"));

    connect(menu, &QMenu::aboutToShow, this, &ContextMenu::enableItems);
    connect(openLink, &QAction::triggered, this, [this] {
        // Enter and a double click open the current row; make it the one selected.
        const QModelIndexList rows = view_.selectionModel()->selectedRows();
        if (rows.size() == 1)
            view_.selectionModel()->setCurrentIndex(rows.front(), QItemSelectionModel::NoUpdate);
        emit openLinkAsked();
    });
    connect(showInFolder, &QAction::triggered, this, &ContextMenu::showInFileManager);
    for (QAction* item : {openArchivedCopy, replaceWithArchivedCopy}) {
        connect(item, &QAction::triggered, this, [this, item] {
            if (BookmarkNode* node = selectedLink())
                emit archivedCopyAsked(node, item == replaceWithArchivedCopy);
        });
    }
}

BookmarkNode* ContextMenu::selectedLink() const
{
    const QModelIndexList rows = view_.selectionModel()->selectedRows();
    BookmarkNode* node = rows.size() == 1 ? BookmarkModel::nodeOf(rows.front()) : nullptr;
    return node && !node->entry.IsFolder ? node : nullptr;
}

void ContextMenu::setState(std::function<bool()> idle, std::function<bool()> toTrash)
{
    idle_ = std::move(idle);
    toTrash_ = std::move(toTrash);
}

void ContextMenu::popupAt(const QPoint& at)
{
    // As in file managers: a click outside the selection acts on that row alone.
    const QModelIndex row = view_.indexAt(at);
    if (row.isValid() && !view_.isNodeSelected(BookmarkModel::nodeOf(row)))
        view_.selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    view_.cancelMode();
    menu->exec(view_.viewport()->mapToGlobal(at));
}

void ContextMenu::popupAtCurrent()
{
    const QModelIndex current = view_.currentIndex();
    QPoint at;
    if (current.isValid()) {
        view_.scrollTo(current);
        at = view_.visualRect(current).bottomLeft();
    }
    view_.cancelMode();
    menu->exec(view_.viewport()->mapToGlobal(at));
}

void ContextMenu::enableItems()
{
    const BookmarkModel& tree = *view_.bookmarks();
    const std::vector<BookmarkNode*> tops = SelectedTops(view_);
    const ChosenEntries chosen = ChosenRows(view_, Reach::Links);
    const QModelIndexList rows = view_.selectionModel()->selectedRows();
    int selectedLinks = 0;
    for (const QModelIndex& row : rows)
        selectedLinks += !BookmarkModel::nodeOf(row)->entry.IsFolder;
    BookmarkNode* root = tree.firstNode();
    const bool rootSelected = root && view_.isNodeSelected(root);
    const bool idle = idle_();

    openLink->setEnabled(rows.size() == 1 && selectedLinks == 1);
    copyLink->setEnabled(!LinksOf(tree, ChosenRows(view_, Reach::Anywhere), 1).empty());
    checkAgain->setEnabled(idle && !LinksOf(tree, chosen, 1).empty());
    updateSelected->setEnabled(idle && moved_.count(WithinChosen(chosen)) > 0);
    const BookmarkNode* link = selectedLink();
    const bool hasCopy = link && hasCopy_(link);
    openArchivedCopy->setEnabled(hasCopy);
    replaceWithArchivedCopy->setEnabled(idle && hasCopy);
    showInFolder->setEnabled(!tops.empty());
    // The Favorites folder itself is never deleted; with others it is left out.
    moveToTrash->setEnabled(!rows.isEmpty() && !(rootSelected && rows.size() == 1));
    // The item names what Options make of it.
    moveToTrash->setText(toTrash_() ? QStringLiteral("Move to Trash")
                                    : QStringLiteral("Delete permanently"));
    openAnotherFolder->setEnabled(rootSelected || !root);
}

void ContextMenu::showInFileManager()
{
    std::vector<std::string> paths;
    for (const BookmarkNode* top : SelectedTops(view_))
        paths.push_back(top->entry.Path.empty() ? favorites_.native() : top->entry.Path);
    // The answer may come after the menu has gone with its window.
    ShowInFileManager(QDBusConnection::sessionBus(), paths,
                      [menu = QPointer<ContextMenu>(this)](const QString& why) {
                          if (menu)
                              emit menu->notice(QStringLiteral("Unable to show in file manager: ") +
                                                why);
                      });
}
