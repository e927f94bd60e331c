#include "KeptVerdicts.h"

#include "BookmarkModel.h"
#include "ResultsStore.h"
#include "VerdictLamp.h"

KeptVerdicts::KeptVerdicts(BookmarkModel& tree, QObject* parent) : QObject(parent), tree_(tree)
{
    connect(&tree, &BookmarkModel::nodeAboutToBeRemoved, this, &KeptVerdicts::forgetSubtree);
}

void KeptVerdicts::keep(BookmarkNode* node, const LinkVerdict& verdict, const QDateTime& checked)
{
    verdicts_.insert(node, {verdict, checked});
}

void KeptVerdicts::clear()
{
    verdicts_.clear();
}

void KeptVerdicts::forgetSubtree(BookmarkNode* top)
{
    // A node's address may be taken again by one made later, which must not
    // inherit the verdict.
    if (verdicts_.isEmpty())
        return;
    const BookmarkNode* end = tree_.nextNodeAfterSubtree(top);
    for (BookmarkNode* node = top; node && node != end; node = tree_.nextNode(node))
        verdicts_.remove(node);
}

template <typename Visit>
void KeptVerdicts::forEachShown(const ResultsStore* store, Visit visit) const
{
    for (BookmarkNode* node = tree_.firstNode(); node; node = tree_.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (!entry || entry->IsFolder)
            continue;
        const KeptResult* earlier =
            store ? store->find(store->keyOf(entry->Path), entry->Link) : nullptr;
        if (const auto judged = verdicts_.constFind(node); judged != verdicts_.cend()) {
            visit(*entry, judged->verdict, earlier, judged->checked);
            continue;
        }
        // A lamp lit from an earlier run: what the store says is what shows.
        if (!earlier || entry->Status != StatusOfVerdict(earlier->verdict))
            continue;
        LinkVerdict verdict;
        verdict.judgement.verdict = earlier->verdict;
        verdict.judgement.text = earlier->text;
        verdict.judgement.reason = earlier->reason;
        visit(*entry, verdict, earlier, earlier->checked);
    }
}

qsizetype KeptVerdicts::shownCount(const ResultsStore* store) const
{
    qsizetype count = 0;
    forEachShown(store, [&count](const BookmarkEntry&, const LinkVerdict&, const KeptResult*,
                                 const QDateTime&) { ++count; });
    return count;
}

QByteArray KeptVerdicts::report(ReportFormat format, const std::filesystem::path& folder,
                                const ResultsStore* store) const
{
    const VerdictReport writer(format, true);
    QByteArray bytes = writer.header();
    forEachShown(store, [&](const BookmarkEntry& entry, const LinkVerdict& verdict,
                            const KeptResult* earlier, const QDateTime& checked) {
        bytes += writer.entryLine(entry, folder, verdict, earlier, checked);
    });
    return bytes;
}
