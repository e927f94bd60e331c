// Tidying the tree from the main window: moved links rewritten to their new
// address (and the last update taken back with Ctrl+Z), and duplicate
// links selected so that the Delete key moves the extras to the Trash.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenEntries.h"
#include "DuplicateGroups.h"
#include "MessageBoxes.h"
#include "MovedLinks.h"
#include "StillAsRead.h"
#include "TreeResults.h"

#include <QCoreApplication>
#include <QItemSelection>
#include <QItemSelectionModel>

namespace {

QString LinksCounted(int count)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("link")
                                                             : QStringLiteral("links"));
}

// What "Update all moved links" rewrites: as "Delete all dead links", never a
// shortcut reached through a folder link.
bool InsideFavorites(BookmarkNode* node)
{
    return !node->entry.OutsideFavorites;
}

} // namespace

void TForm1::refreshTidyItems()
{
    mnUpdateMoved->setEnabled(!VerifyThread && movedLinks_->count(InsideFavorites) > 0);
}

void TForm1::mnUpdateMovedClick()
{
    updateMovedLinks(InsideFavorites, movedLinks_->count() - movedLinks_->count(InsideFavorites));
}

void TForm1::updateMovedLinks(const std::function<bool(BookmarkNode*)>& chosen,
                              qsizetype leftOutside)
{
    const int count = movedLinks_->count(chosen);
    if (VerifyThread || count == 0)
        return;
    const QString question =
        count == 1 ? QStringLiteral("Update 1 moved link to its new address?")
                   : QStringLiteral("Update %1 moved links to their new address?").arg(count);
    if (ShowMessageBox(this, QMessageBox::Question, QCoreApplication::applicationName(), question,
                       QMessageBox::Yes | QMessageBox::No, LeftOutsideLine(leftOutside),
                       QMessageBox::No) != QMessageBox::Yes)
        return;
    const LinkUpdateOutcome outcome = movedLinks_->update(FavoritesPath.native(), chosen);
    if (results_)
        KeepRewrittenLinks(*results_, *bookmarks_, clock_());
    saveKeptResults();
    reportLinkUpdate(outcome, QStringLiteral("updated to the new address; Ctrl+Z undoes it"),
                     QStringLiteral("could not be updated"));
}

void TForm1::undoLinkUpdate()
{
    if (!movedLinks_->canUndo())
        return;
    reportLinkUpdate(movedLinks_->undoLast(), QStringLiteral("put back as they were"),
                     QStringLiteral("could not be put back"));
}

void TForm1::reportLinkUpdate(const LinkUpdateOutcome& outcome, const QString& done,
                              const QString& failed)
{
    refreshTidyItems();
    refreshFind();
    const QString changed =
        outcome.changed > 0 ? ChangedSinceCheckedText(outcome.changed) : QString();
    showStatusNotice(LinksCounted(outcome.updated) + u' ' + done +
                     (changed.isEmpty() ? QString() : QStringLiteral("; ") + changed));
    if (outcome.failures.isEmpty() && changed.isEmpty())
        return;
    if (outcome.failures.isEmpty()) {
        ShowMessageBox(this, QMessageBox::Information, QCoreApplication::applicationName(),
                       changed + u'.', QMessageBox::Ok);
        return;
    }
    QStringList lines = outcome.failures;
    if (!changed.isEmpty())
        lines << changed + u'.';
    ShowMessageBox(this, QMessageBox::Warning, QCoreApplication::applicationName(),
                   LinksCounted(int(outcome.failures.size())) + u' ' + failed + u':',
                   QMessageBox::Ok, lines.join(u'\n'));
}

void TForm1::mnSelectDuplicatesClick()
{
    const DuplicateSelection duplicates = DuplicateLinksToSelect(*bookmarks_);
    const std::vector<BookmarkNode*>& extras = duplicates.extras;
    const QString leftOut = LeftOutsideLine(duplicates.leftOutside);
    if (extras.empty()) {
        ShowMessageBox(this, QMessageBox::Information, QCoreApplication::applicationName(),
                       QStringLiteral("There are no duplicate links."), QMessageBox::Ok, leftOut);
        return;
    }
    QItemSelection rows;
    int selected = 0;
    for (BookmarkNode* node : extras) {
        // While the find bar filters, only the rows it shows can be selected.
        const QModelIndex index = bookmarks_->indexOf(node);
        if (!index.isValid())
            continue;
        rows.select(index, index);
        ++selected;
        // Open down to it, so that what Delete takes is in sight.
        for (QModelIndex folder = index.parent(); folder.isValid(); folder = folder.parent())
            VT->expand(folder);
    }
    VT->selectionModel()->select(rows,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!rows.isEmpty())
        VT->scrollTo(rows.front().topLeft());
    const QString notice =
        QStringLiteral("%1 selected; Delete moves them to the Trash").arg(LinksCounted(selected));
    showStatusNotice(leftOut.isEmpty() ? notice : notice + QStringLiteral(". ") + leftOut);
}
