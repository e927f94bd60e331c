#include "MovedLinks.h"

#include "BookmarkModel.h"
#include "MovedLink.h"
#include "PathUtils.h"
#include "StillAsRead.h"

#include <QFile>
#include <algorithm>

namespace {

QString whyNot(const ShortcutRewrite& rewrite)
{
    switch (rewrite.outcome) {
    case RewriteOutcome::Missing:
        return QStringLiteral("gone from disk");
    case RewriteOutcome::ReadOnly:
        return QStringLiteral("read-only");
    case RewriteOutcome::NoLink:
        return QStringLiteral("no URL= line to rewrite");
    case RewriteOutcome::LinkCut:
        return QStringLiteral("its link holds characters the check left out");
    case RewriteOutcome::HardLinked:
        return QStringLiteral("it has other names on disk (hard links), which a new file would "
                              "leave with the old link");
    default:
        return rewrite.error.isEmpty() ? QStringLiteral("could not be written") : rewrite.error;
    }
}

QString failure(const BookmarkNode* node, const ShortcutRewrite& rewrite)
{
    const QString name =
        QFile::decodeName(QByteArray::fromStdString(FileNamePart(node->entry.Path)));
    return name + QStringLiteral(": ") + whyNot(rewrite);
}

} // namespace

MovedLinks::MovedLinks(BookmarkModel& tree, QObject* parent) : QObject(parent), tree_(tree)
{
    connect(&tree, &BookmarkModel::nodeAboutToBeRemoved, this, &MovedLinks::forgetSubtree);
}

void MovedLinks::noteVerdict(BookmarkNode* node, const QString& finalAddress,
                             bool permanentRedirects, bool alive)
{
    const BookmarkEntry& entry = node->entry;
    moved_.remove(node);
    if (!alive)
        return;
    if (CountsAsMoved(entry, finalAddress, permanentRedirects)) {
        moved_.insert(node, {entry.Link, MovedLinkAddress(entry.Link, finalAddress)});
        return;
    }
    if (!entry.LinkCut || !IsMovedLink(entry.Link, finalAddress, permanentRedirects))
        return;
    const QString why =
        QStringLiteral("Not updated: the shortcut's link holds characters the check left out");
    if (entry.Detail.endsWith(why))
        return;
    tree_.setStatus(node, BookmarkStatus(entry.Status),
                    entry.Detail.isEmpty() ? why : entry.Detail + u'\n' + why);
}

void MovedLinks::forgetVerdicts()
{
    moved_.clear();
}

void MovedLinks::forgetVerdicts(BookmarkNode* top)
{
    moved_.removeIf(
        [top](const auto& item) { return BookmarkModel::isInSubtree(item.key(), top); });
}

int MovedLinks::count(const Choice& chosen) const
{
    const auto keys = moved_.keys();
    return int(std::count_if(keys.begin(), keys.end(), chosen));
}

LinkUpdateOutcome MovedLinks::update(const std::string& favoritesPath, const Choice& chosen)
{
    LinkUpdateOutcome outcome;
    std::vector<Updated> updated;
    for (BookmarkNode* node = tree_.firstNode(); node && !moved_.isEmpty();
         node = tree_.nextNode(node)) {
        const auto found = moved_.constFind(node);
        if (found == moved_.cend() || !chosen(node))
            continue;
        const Move move = *found;
        moved_.erase(found);
        rewrite(favoritesPath, node, move, QStringLiteral("Alive: updated from ") + move.from, true,
                outcome, updated);
    }
    if (!updated.empty())
        lastUpdate_ = std::move(updated);
    return outcome;
}

LinkUpdateOutcome MovedLinks::replace(const std::string& favoritesPath, BookmarkNode* node,
                                      const QString& link, const QString& detail)
{
    LinkUpdateOutcome outcome;
    std::vector<Updated> updated;
    // A moved link taken elsewhere is moved no more, until it is undone.
    const bool wasMoved = moved_.remove(node) > 0;
    rewrite(favoritesPath, node, {node->entry.Link, link}, detail, wasMoved, outcome, updated);
    if (!updated.empty())
        lastUpdate_ = std::move(updated);
    return outcome;
}

void MovedLinks::rewrite(const std::string& favoritesPath, BookmarkNode* node, const Move& move,
                         const QString& detail, bool wasMoved, LinkUpdateOutcome& outcome,
                         std::vector<Updated>& updated)
{
    const EntryPlace place = PlaceOf(favoritesPath, node);
    const ShortcutRewrite rewrite = RewriteShortcutLink(place, move.from, move.to);
    if (rewrite.outcome == RewriteOutcome::Changed) {
        judgeAgain(node, place, outcome);
        return;
    }
    if (rewrite.outcome != RewriteOutcome::Done) {
        outcome.failures << failure(node, rewrite);
        return;
    }
    const BookmarkEntry& entry = node->entry;
    updated.push_back(
        {node, rewrite.backup, move.from, move.to, entry.Status, entry.Detail, wasMoved});
    tree_.setLink(node, move.to, rewrite.newId, rewrite.newStamp);
    tree_.setStatus(node, StatusAlive, detail);
    ++outcome.updated;
}

LinkUpdateOutcome MovedLinks::undoLast()
{
    LinkUpdateOutcome outcome;
    const std::vector<Updated> last = std::move(lastUpdate_);
    lastUpdate_.clear();
    for (const Updated& item : last) {
        const ShortcutRewrite undo = UndoShortcutRewrite(item.backup);
        if (undo.outcome == RewriteOutcome::Changed) {
            judgeAgain(item.node, item.backup.place, outcome);
            continue;
        }
        if (undo.outcome != RewriteOutcome::Done) {
            outcome.failures << failure(item.node, undo);
            continue;
        }
        tree_.setLink(item.node, item.oldLink, undo.newId, undo.newStamp);
        tree_.setStatus(item.node, BookmarkStatus(item.oldStatus), item.oldDetail);
        if (item.wasMoved)
            moved_.insert(item.node, {item.oldLink, item.newLink});
        ++outcome.updated;
    }
    return outcome;
}

void MovedLinks::judgeAgain(BookmarkNode* node, const EntryPlace& place, LinkUpdateOutcome& outcome)
{
    moved_.remove(node);
    ReadShortcutAgain(tree_, node, place);
    ++outcome.changed;
}

void MovedLinks::forgetSubtree(BookmarkNode* top)
{
    forgetVerdicts(top);
    std::erase_if(lastUpdate_, [top](const Updated& item) {
        return BookmarkModel::isInSubtree(item.node, top);
    });
}
