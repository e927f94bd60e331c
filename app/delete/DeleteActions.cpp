#include "DeleteActions.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenEntries.h"
#include "CountedText.h"
#include "Deletion.h"
#include "KeptResults.h"
#include "MessageBoxes.h"
#include "StillAsRead.h"
#include "TreeResults.h"
#include "ViewSelection.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QStringList>
#include <utility>

namespace {

bool Confirm(QWidget* parent, const QString& question, const QString& details = {},
             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
{
    return ShowMessageBox(parent, QMessageBox::Question, QStringLiteral("Warning!"), question,
                          QMessageBox::Yes | QMessageBox::No, details,
                          defaultButton) == QMessageBox::Yes;
}

QString RefusalCause(TrashOutcome refusal)
{
    switch (refusal) {
    case TrashOutcome::UnsafeTrash:
        return QStringLiteral("the trash folder on that disk is another user's or not private");
    case TrashOutcome::NameTooLong:
        return QStringLiteral("a name is too long for a trash record");
    default:
        return QStringLiteral("no trash can be used on that disk");
    }
}

// What the Delete key is about to take, named: "Move 2 links and 1 folder
// to the Trash?". Deleting for good asks in the original words.
QString DeleteSelectedQuestion(const ChosenEntries& chosen, bool toTrash)
{
    QStringList what;
    if (chosen.links > 0)
        what << CountedText(chosen.links, "link", "links");
    if (chosen.folders > 0)
        what << CountedText(chosen.folders, "folder", "folders");
    if (!toTrash || what.isEmpty())
        return QStringLiteral("Delete selected?");
    return QStringLiteral("Move %1 to the Trash?").arg(what.join(QStringLiteral(" and ")));
}

// Deleting for good cannot be undone, so Enter answers No.
PermanentDeletionQuestion AskPermanent(QWidget* parent)
{
    return [parent](const Untrashable& untrashable) {
        QStringList causes;
        for (TrashOutcome cause : untrashable.causes)
            causes << RefusalCause(cause);
        return Confirm(parent,
                       QStringLiteral("%1 cannot be moved to the Trash: %2. Delete permanently?")
                           .arg(CountedText(untrashable.count, "entry", "entries"),
                                causes.join(QStringLiteral("; "))),
                       {}, QMessageBox::No);
    };
}

// One notice for the whole deletion, however many entries stayed.
void ReportLeftAlone(QWidget* parent, const DeletionOutcome& outcome)
{
    if (outcome.leftAlone == 0)
        return;
    QStringList lines;
    if (const int others = outcome.leftAlone - outcome.changed)
        lines << QStringLiteral("%1 left alone: changed on disk since the folder was read, or "
                                "could not be deleted.")
                     .arg(CountedText(others, "entry was", "entries were"));
    if (outcome.changed > 0)
        lines << ChangedSinceCheckedText(outcome.changed) + u'.';
    ShowMessageBox(parent, QMessageBox::Information, QCoreApplication::applicationName(),
                   lines.join(u'\n'), QMessageBox::Ok);
}

// Dead links below folder links, which only the Delete key deletes.
QStringList OutsideLine(const DeadLinkCounts& counts)
{
    if (counts.outside == 0)
        return {};
    return {QStringLiteral("%1 outside the Favorites folder (below folder links) and left "
                           "out; select and press Delete to delete those.")
                .arg(CountedText(counts.outside, "dead link lies", "dead links lie"))};
}

// Links that are not sure are never taken for dead; the question says so,
// so that nobody thinks they went with the dead ones.
QStringList KeptUnsureLine(const DeadLinkCounts& counts)
{
    if (counts.unsure == 0)
        return {};
    return {CountedText(counts.unsure, "link that is not sure is kept.",
                        "links that are not sure are kept.")};
}

// Lamps kept from an earlier session may no longer hold: a page can come
// back. "12 of them were judged 3 days ago or earlier; …"
QStringList EarlierLine(const EarlierDead& earlier, int inside, const QDateTime& now)
{
    if (earlier.count == 0)
        return {};
    const qint64 days = DaysBefore(earlier.newest, now);
    const QString when = !earlier.newest.isValid()
                             ? QStringLiteral("at an unknown time (dated in the future)")
                         : days <= 0 ? QStringLiteral("earlier today")
                         : days == 1 ? QStringLiteral("yesterday or earlier")
                                     : QStringLiteral("%1 days ago or earlier").arg(days);
    QString which;
    if (earlier.count < inside)
        which = QStringLiteral("%1 of them %2")
                    .arg(earlier.count)
                    .arg(earlier.count == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    else
        which = inside == 1 ? QStringLiteral("It was") : QStringLiteral("All of them were");
    return {QStringLiteral("%1 judged %2; run Verify links first to check them again.")
                .arg(which, when)};
}

QString DeadLinksDetails(const DeadLinkCounts& counts, bool toTrash, bool reachedNoServer,
                         const QStringList& earlier)
{
    QStringList lines{QStringLiteral("%1 will be %2.")
                          .arg(CountedText(counts.inside, "dead link", "dead links"),
                               toTrash ? QStringLiteral("moved to the Trash")
                                       : QStringLiteral("deleted permanently"))};
    lines << earlier << KeptUnsureLine(counts) << OutsideLine(counts);
    // A strict run judges every link without an answer dead, network or not.
    if (reachedNoServer)
        lines << QStringLiteral("No server answered during the last run: the network or the "
                                "proxy may have been down.");
    return lines.join(QLatin1Char('\n'));
}

// Why there is nothing to delete: a run that reached no server found no
// link dead, only links it was not sure of.
QString NoDeadLinksDetails(const DeadLinkCounts& counts, bool reachedNoServer)
{
    QStringList lines;
    if (reachedNoServer && counts.unsure > 0)
        lines << QStringLiteral("No server answered during the last run, so no link was found "
                                "dead: %1 not sure.")
                     .arg(CountedText(counts.unsure, "link is", "links are"));
    lines << OutsideLine(counts);
    return lines.join(QLatin1Char('\n'));
}

// What a deletion did, as the third panel tells it: "3 dead links moved to
// the Trash", "2 entries moved to the Trash, 1 left alone".
QString DeletionSummary(const DeletionOutcome& outcome, const char* one, const char* many)
{
    const int missing = outcome.removed - outcome.trashed - outcome.deletedPermanently;
    const std::pair<int, const char*> parts[] = {
        {outcome.trashed, "moved to the Trash"},
        {outcome.deletedPermanently, "deleted permanently"},
        {missing, "already gone from disk"},
        {outcome.leftAlone - outcome.changed, "left alone"}};
    QStringList said;
    for (const auto& [count, what] : parts) {
        if (count == 0)
            continue;
        const QString number =
            said.isEmpty() ? CountedText(count, one, many) : QString::number(count);
        said << number + u' ' + QLatin1String(what);
    }
    if (outcome.changed > 0)
        said << ChangedSinceCheckedText(outcome.changed);
    return said.isEmpty() ? QStringLiteral("Nothing deleted") : said.join(QStringLiteral(", "));
}

// "6 folders are now empty. Move them to the Trash too?"
QString EmptiedFoldersQuestion(int count, bool toTrash)
{
    const QLatin1String them(count == 1 ? "it" : "them");
    return QStringLiteral("%1 now empty. %2")
        .arg(CountedText(count, "folder is", "folders are"),
             toTrash ? QStringLiteral("Move %1 to the Trash too?").arg(them)
                     : QStringLiteral("Delete %1 too?").arg(them));
}

} // namespace

DeleteActions::DeleteActions(BookmarkView& view, KeptResults& results,
                             const std::filesystem::path& favorites, DeleteWindow window)
    : view_(view), tree_(*view.bookmarks()), results_(results), favorites_(favorites),
      window_(std::move(window))
{
}

DeletionOutcome DeleteActions::deleteEmptiedFolders(const DeletionOutcome& outcome)
{
    if (outcome.emptied.empty() || (window_.removeEmptyFolders && !window_.removeEmptyFolders()))
        return {};
    const bool toTrash = window_.toTrash();
    if (!Confirm(window_.window, EmptiedFoldersQuestion(outcome.emptiedCount, toTrash), {},
                 QMessageBox::Yes))
        return {};
    return DeleteEmptiedFolders(tree_, favorites_.native(), outcome.emptied, toTrash,
                                AskPermanent(window_.window));
}

void DeleteActions::after(const DeletionOutcome& outcome, const char* one, const char* many)
{
    const DeletionOutcome folders = deleteEmptiedFolders(outcome);
    results_.save();
    window_.changed();
    QString summary = DeletionSummary(outcome, one, many);
    if (folders.removed + folders.leftAlone > 0)
        summary += QStringLiteral("; ") + DeletionSummary(folders, "empty folder", "empty folders");
    window_.notice(summary);
    ReportLeftAlone(window_.window, outcome);
    ReportLeftAlone(window_.window, folders);
}

void DeleteActions::deleteSelection(const std::function<bool(const BookmarkNode*)>& restsOnVerdict)
{
    BookmarkModel& tree = tree_;
    QItemSelectionModel* selection = view_.selectionModel();

    // The root entry stands for the Favorites folder itself.
    BookmarkNode* root = tree.firstNode();
    if (view_.isNodeSelected(root)) {
        if (selection->selectedRows().size() == 1) {
            ShowMessageBox(window_.window, QMessageBox::NoIcon, QCoreApplication::applicationName(),
                           QStringLiteral("This folder is not to be deleted!"), QMessageBox::Ok);
            return;
        }
        selection->select(tree.indexOf(root),
                          QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }

    const ChosenEntries chosen = ChosenRows(view_, Reach::Entries);
    if (!Confirm(window_.window, DeleteSelectedQuestion(chosen, window_.toTrash()),
                 LeftOutsideLine(qsizetype(chosen.leftOutside.size())), QMessageBox::No))
        return;
    const DeletionOutcome outcome =
        DeleteSelectedEntries(tree, favorites_.native(), chosen.entries, window_.toTrash(),
                              AskPermanent(window_.window), restsOnVerdict);
    after(outcome, "entry", "entries");
}

void DeleteActions::deleteDeadLinks()
{
    const DeadLinkCounts counts = CountDeadLinks(tree_);
    if (counts.inside == 0) {
        ShowMessageBox(window_.window, QMessageBox::Information,
                       QCoreApplication::applicationName(),
                       QStringLiteral("There are no dead links to delete."), QMessageBox::Ok,
                       NoDeadLinksDetails(counts, window_.reachedNoServer()));
        return;
    }
    const QDateTime now = results_.now();
    const ResultsStore* store = results_.store();
    const QStringList earlier =
        store ? EarlierLine(DeadJudgedBefore(*store, tree_, results_.sessionStart(), now),
                            counts.inside, now)
              : QStringList();
    const bool toTrash = window_.toTrash();
    const QString details = DeadLinksDetails(counts, toTrash, window_.reachedNoServer(), earlier);
    if (!Confirm(window_.window, QStringLiteral("Delete all dead links?"), details))
        return;
    const DeletionOutcome outcome =
        DeleteDeadLinks(tree_, favorites_.native(), toTrash, AskPermanent(window_.window));
    after(outcome, "dead link", "dead links");
}
