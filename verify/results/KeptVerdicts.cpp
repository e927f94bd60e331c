#include "KeptVerdicts.h"

#include "BookmarkModel.h"

KeptVerdicts::KeptVerdicts(BookmarkModel& tree, QObject* parent) : QObject(parent), tree_(tree)
{
    connect(&tree, &BookmarkModel::nodeAboutToBeRemoved, this, &KeptVerdicts::forgetSubtree);
}

void KeptVerdicts::keep(BookmarkNode* node, const LinkVerdict& verdict)
{
    verdicts_.insert(node, verdict);
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

QByteArray KeptVerdicts::report(ReportFormat format, const std::filesystem::path& folder) const
{
    const VerdictReport writer(format);
    QByteArray bytes = writer.header();
    for (BookmarkNode* node = tree_.firstNode(); node; node = tree_.nextNode(node)) {
        const auto kept = verdicts_.constFind(node);
        if (kept != verdicts_.cend())
            bytes += writer.entryLine(*BookmarkModel::entry(node), folder, *kept);
    }
    return bytes;
}
