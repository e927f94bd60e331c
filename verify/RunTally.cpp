#include "RunTally.h"

#include <cmath>

QString RunDurationText(qint64 elapsedMs)
{
    if (elapsedMs < 59950)
        return QString::number(elapsedMs / 1000.0, 'f', 1) + QStringLiteral(" s");
    const qint64 seconds = std::llround(elapsedMs / 1000.0);
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

QString RunProgressText(const RunTally& tally)
{
    return QStringLiteral("Checked %1 of %2, %3 dead")
        .arg(tally.checked)
        .arg(tally.links)
        .arg(tally.dead);
}

QString RunSummaryText(const RunTally& tally, bool stopped)
{
    QString text = QStringLiteral("%1 checked, %2 dead, in %3")
                       .arg(tally.checked)
                       .arg(tally.dead)
                       .arg(RunDurationText(tally.elapsedMs));
    if (stopped)
        text += QStringLiteral(", stopped");
    if (ReachedNoServer(tally))
        text += QStringLiteral(". No server answered: the network or proxy may be down.");
    return text;
}

bool ReachedNoServer(const RunTally& tally)
{
    return tally.checked > 0 && tally.answered == 0;
}
