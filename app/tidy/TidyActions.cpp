#include "TidyActions.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenEntries.h"
#include "CountedText.h"
#include "DuplicateGroups.h"
#include "KeptResults.h"
#include "MessageBoxes.h"
#include "MovedLinks.h"
#include "StillAsRead.h"
#include "TreeResults.h"
#include "ViewSelection.h"

#include <QAction>
#include <QCoreApplication>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <algorithm>

namespace {

// What "Update all moved links" rewrites: as "Delete all dead links", never a
// shortcut reached through a folder link.
bool InsideFavorites(BookmarkNode* node)
{
    return !node->entry.OutsideFavorites;
}

} // namespace

TidyActions::TidyActions(BookmarkView& view, MovedLinks& moved, KeptResults& results,
                         const std::filesystem::path& favorites, TidyWindow window)
    : view_(view), tree_(*view.bookmarks()), moved_(moved), results_(results),
      favorites_(favorites), window_(std::move(window))
{
}

void TidyActions::refreshItems()
{
    window_.updateMoved->setEnabled(!window_.running() && moved_.count(InsideFavorites) > 0);
}

void TidyActions::updateAllMoved()
{
    update(InsideFavorites, moved_.count() - moved_.count(InsideFavorites));
}

void TidyActions::updateSelected()
{
    const ChosenEntries chosen = ChosenRows(view_, Reach::Links);
    update(WithinChosen(chosen),
           std::count_if(chosen.leftOutside.begin(), chosen.leftOutside.end(),
                         [this](const BookmarkNode* node) { return moved_.isMoved(node); }));
}

void TidyActions::update(const std::function<bool(BookmarkNode*)>& chosen, qsizetype leftOutside)
{
    const int count = moved_.count(chosen);
    if (window_.running() || count == 0)
        return;
    const QString question =
        count == 1 ? QStringLiteral("Update 1 moved link to its new address?")
                   : QStringLiteral("Update %1 moved links to their new address?").arg(count);
    if (ShowMessageBox(window_.window, QMessageBox::Question, QCoreApplication::applicationName(),
                       question, QMessageBox::Yes | QMessageBox::No, LeftOutsideLine(leftOutside),
                       QMessageBox::No) != QMessageBox::Yes)
        return;
    BookmarkNode* first = tree_.firstNode();
    while (first && !(moved_.isMoved(first) && chosen(first)))
        first = tree_.nextNode(first);
    const LinkUpdateOutcome outcome = moved_.update(favorites_.native(), chosen);
    if (ResultsStore* store = results_.store())
        KeepRewrittenLinks(*store, tree_, results_.now());
    results_.save();
    report(outcome, QStringLiteral("updated to the new address; Ctrl+Z undoes it"),
           QStringLiteral("could not be updated"));
    view_.focusOn(first);
}

void TidyActions::replaceWithArchivedCopy(BookmarkNode* node, const QString& copy)
{
    if (window_.running() || !node || node->entry.IsFolder)
        return;
    const LinkUpdateOutcome outcome =
        moved_.replace(favorites_.native(), node, copy,
                       QStringLiteral("Alive: the archived copy of ") + node->entry.Link);
    if (ResultsStore* store = results_.store())
        KeepRewrittenLinks(*store, tree_, results_.now());
    results_.save();
    report(outcome, QStringLiteral("replaced with its archived copy; Ctrl+Z undoes it"),
           QStringLiteral("could not be replaced"));
    view_.focusOn(node);
}

void TidyActions::undo()
{
    if (!moved_.canUndo())
        return;
    BookmarkNode* first = moved_.firstOfLastUpdate();
    report(moved_.undoLast(), QStringLiteral("put back as they were"),
           QStringLiteral("could not be put back"));
    view_.focusOn(first);
}

void TidyActions::report(const LinkUpdateOutcome& outcome, const QString& done,
                         const QString& failed)
{
    refreshItems();
    window_.refreshFind();
    const QString changed =
        outcome.changed > 0 ? ChangedSinceCheckedText(outcome.changed) : QString();
    window_.notice(CountedText(outcome.updated, "link", "links") + u' ' + done +
                   (changed.isEmpty() ? QString() : QStringLiteral("; ") + changed));
    if (outcome.failures.isEmpty() && changed.isEmpty())
        return;
    if (outcome.failures.isEmpty()) {
        ShowMessageBox(window_.window, QMessageBox::Information,
                       QCoreApplication::applicationName(), changed + u'.', QMessageBox::Ok);
        return;
    }
    QStringList lines = outcome.failures;
    if (!changed.isEmpty())
        lines << changed + u'.';
    ShowMessageBox(window_.window, QMessageBox::Warning, QCoreApplication::applicationName(),
                   CountedText(int(outcome.failures.size()), "link", "links") + u' ' + failed +
                       u':',
                   QMessageBox::Ok, lines.join(u'\n'));
}

void TidyActions::selectDuplicates()
{
    const DuplicateSelection duplicates = DuplicateLinksToSelect(tree_);
    const std::vector<BookmarkNode*>& extras = duplicates.extras;
    const QString leftOut = LeftOutsideLine(duplicates.leftOutside);
    if (extras.empty()) {
        ShowMessageBox(window_.window, QMessageBox::Information,
                       QCoreApplication::applicationName(),
                       QStringLiteral("There are no duplicate links."), QMessageBox::Ok, leftOut);
        return;
    }
    QItemSelection rows;
    int selected = 0;
    for (BookmarkNode* node : extras) {
        // While the find bar filters, only the rows it shows can be selected.
        const QModelIndex index = tree_.indexOf(node);
        if (!index.isValid())
            continue;
        rows.select(index, index);
        ++selected;
        // Open down to it, so that what Delete takes is in sight.
        for (QModelIndex folder = index.parent(); folder.isValid(); folder = folder.parent())
            view_.expand(folder);
    }
    view_.selectionModel()->select(rows,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!rows.isEmpty())
        view_.focusOn(BookmarkModel::nodeOf(rows.front().topLeft()));
    const QString notice = QStringLiteral("%1 selected; Delete %2")
                               .arg(CountedText(selected, "link", "links"),
                                    window_.toTrash() ? QStringLiteral("moves them to the Trash")
                                                      : QStringLiteral("deletes them permanently"));
    window_.notice(leftOut.isEmpty() ? notice : notice + QStringLiteral(". ") + leftOut);
}
