#include "TreeResults.h"

#include "BookmarkModel.h"
#include "KnownFolders.h"
#include "VerdictLamp.h"

#include <QSet>

namespace {

// Calls visit with each link of the tree and its key in the store.
template <typename Tree, typename Visit>
void forEachLink(Tree& tree, const ResultsStore& store, Visit visit)
{
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (entry && !entry->IsFolder)
            visit(node, *entry, store.keyOf(entry->Path));
    }
}

} // namespace

KeptCounts ShowKeptVerdicts(BookmarkModel& tree, const ResultsStore& store, const QDateTime& now)
{
    KeptCounts counts;
    if (store.size() == 0)
        return counts;
    forEachLink(tree, store,
                [&](BookmarkNode* node, const BookmarkEntry& entry, const QByteArray& key) {
                    const KeptResult* kept = store.find(key, entry.Link);
                    if (!kept)
                        return;
                    tree.setStatus(node, StatusOfVerdict(kept->verdict), KeptDetail(*kept, now));
                    ++counts.shown;
                    counts.dead += int(kept->verdict == Verdict::Dead);
                    counts.unsure += int(kept->verdict == Verdict::Unsure);
                });
    return counts;
}

std::vector<BookmarkNode*> LinksToAskFirst(const BookmarkModel& tree, const ResultsStore& store)
{
    std::vector<BookmarkNode*> links;
    if (store.size() == 0)
        return links;
    forEachLink(tree, store,
                [&](BookmarkNode* node, const BookmarkEntry& entry, const QByteArray& key) {
                    const KeptResult* kept = store.find(key, entry.Link);
                    if (kept && kept->askFirst)
                        links.push_back(node);
                });
    return links;
}

const KeptResult& KeepVerdict(ResultsStore& store, const BookmarkEntry& entry,
                              const Judgement& judgement, const QDateTime& now)
{
    return store.record(store.keyOf(entry.Path), entry.Link, judgement, now);
}

void HoldUnreadFolders(ResultsStore& store, const std::vector<UnreadableFolder>& unreadable)
{
    for (const UnreadableFolder& folder : unreadable)
        store.holdFolder(store.keyOf(folder.path));
}

void ForgetLinksGone(ResultsStore& store, const BookmarkModel& tree)
{
    QSet<QByteArray> present;
    forEachLink(tree, store,
                [&present](BookmarkNode*, const BookmarkEntry&, const QByteArray& key) {
                    present.insert(key);
                });
    store.retain([&present](const QByteArray& key) { return present.contains(key); });
}

bool SaveKeptResults(ResultsStore& store, const BookmarkModel& tree, QString* error)
{
    if (store.refused())
        return true;
    ForgetLinksGone(store, tree);
    if (!store.changed())
        return true;
    EnsureStateFolder();
    return store.save(error);
}

void KeepRewrittenLinks(ResultsStore& store, const BookmarkModel& tree, const QDateTime& now)
{
    forEachLink(tree, store, [&](BookmarkNode*, const BookmarkEntry& entry, const QByteArray& key) {
        // A moved link whose update was taken back is alive under its old text.
        const bool shownAlive = entry.Status == StatusAlive || entry.Status == StatusMoved;
        if (!shownAlive || store.find(key, entry.Link))
            return;
        const Judgement alive{Verdict::Alive, entry.Detail,
                              QStringLiteral("updated to this address")};
        store.record(key, entry.Link, alive, now);
    });
}

EarlierDead DeadJudgedBefore(const ResultsStore& store, const BookmarkModel& tree,
                             const QDateTime& since, const QDateTime& now)
{
    EarlierDead earlier;
    bool unknownAge = false;
    forEachLink(tree, store, [&](BookmarkNode*, const BookmarkEntry& entry, const QByteArray& key) {
        if (entry.Status != StatusDead || entry.OutsideFavorites)
            return;
        const KeptResult* kept = store.find(key, entry.Link);
        if (!kept || (kept->checked >= since && kept->checked <= now))
            return;
        ++earlier.count;
        unknownAge = unknownAge || kept->checked > now;
        if (!earlier.newest.isValid() || kept->checked > earlier.newest)
            earlier.newest = kept->checked;
    });
    if (unknownAge)
        earlier.newest = QDateTime();
    return earlier;
}
