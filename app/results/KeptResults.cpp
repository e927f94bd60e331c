#include "KeptResults.h"

#include "KnownFolders.h"
#include "TreeResults.h"

namespace {

// "Kept from earlier runs: 12 links, 3 dead, 1 not sure"
QString KeptCountsText(const KeptCounts& counts)
{
    if (counts.shown == 0)
        return {};
    return QStringLiteral("Kept from earlier runs: %1 %2, %3 dead, %4 not sure")
        .arg(counts.shown)
        .arg(counts.shown == 1 ? QStringLiteral("link") : QStringLiteral("links"))
        .arg(counts.dead)
        .arg(counts.unsure);
}

} // namespace

KeptResults::KeptResults(BookmarkModel& tree, const std::filesystem::path& favorites,
                         std::function<void(const QString&)> notice)
    : tree_(tree), favorites_(favorites), notice_(std::move(notice))
{
}

QString KeptResults::load(const std::vector<UnreadableFolder>& unreadable)
{
    sessionStart_ = clock_();
    const std::filesystem::path stateFolder = StateFolderPath();
    if (stateFolder.empty())
        return {};
    results_ = std::make_unique<ResultsStore>(stateFolder, favorites_);
    const QString problem = results_->load(sessionStart_);
    if (results_->refused())
        return sayOnce(problem);
    HoldUnreadFolders(*results_, unreadable);
    if (!problem.isEmpty())
        return problem;
    return KeptCountsText(ShowKeptVerdicts(tree_, *results_, sessionStart_));
}

QString KeptResults::sayOnce(const QString& why)
{
    if (why.isEmpty() || said_.contains(why))
        return {};
    said_.append(why);
    return why;
}

void KeptResults::save()
{
    QString error;
    if (results_ && !SaveKeptResults(*results_, tree_, &error))
        notice_(QStringLiteral("The results could not be kept: ") + error);
}
