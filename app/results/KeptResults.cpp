// The results of earlier runs on the folder shown: read when the tree is
// loaded, written after each run, deletion and update.
#include "TForm1.h"

#include "KnownFolders.h"
#include "OwnFolder.h"
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

QString TForm1::loadKeptResults(const std::vector<UnreadableFolder>& unreadable)
{
    sessionStart_ = clock_();
    const std::filesystem::path stateFolder = StateFolderPath();
    if (stateFolder.empty())
        return {};
    results_ = std::make_unique<ResultsStore>(stateFolder, FavoritesPath);
    const QString problem = results_->load(sessionStart_);
    if (results_->refused())
        return sayOnce(problem);
    HoldUnreadFolders(*results_, unreadable);
    if (!problem.isEmpty())
        return problem;
    return KeptCountsText(ShowKeptVerdicts(*bookmarks_, *results_, sessionStart_));
}

QString TForm1::configNotice()
{
    const QString why = OwnFileRefusal(ConfigFilePath());
    return why.isEmpty() ? why : sayOnce(QStringLiteral("Settings are not read or saved: ") + why);
}

QString TForm1::sayOnce(const QString& why)
{
    if (why.isEmpty() || said_.contains(why))
        return {};
    said_.append(why);
    return why;
}

void TForm1::saveKeptResults()
{
    QString error;
    if (results_ && !SaveKeptResults(*results_, *bookmarks_, &error))
        showStatusNotice(QStringLiteral("The results could not be kept: ") + error);
}
