#include "RunTally.h"

#include <cmath>

namespace {

int& countOf(RunTally& tally, Verdict verdict)
{
    switch (verdict) {
    case Verdict::Alive:
        return tally.alive;
    case Verdict::Dead:
        return tally.dead;
    case Verdict::Unsure:
        return tally.unsure;
    case Verdict::Unchecked:
        break;
    }
    return tally.unchecked;
}

} // namespace

void RunTally::recount(std::optional<Verdict> from, Verdict to)
{
    if (from)
        --countOf(*this, *from);
    else
        ++checked;
    ++countOf(*this, to);
}

QString RunDurationText(qint64 elapsedMs)
{
    if (elapsedMs < 59950)
        return QString::number(elapsedMs / 1000.0, 'f', 1) + QStringLiteral(" s");
    const qint64 seconds = std::llround(elapsedMs / 1000.0);
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

QString RunProgressText(const RunTally& tally)
{
    if (tally.secondPass)
        return QStringLiteral("Checking again: %1 of %2").arg(tally.checkedAgain).arg(tally.again);
    return QStringLiteral("Checked %1 of %2: %3 dead, %4 not sure")
        .arg(tally.checked)
        .arg(tally.links)
        .arg(tally.dead)
        .arg(tally.unsure);
}

QString RunSummaryText(const RunTally& tally, bool stopped)
{
    // The warning alone, so that it shows in full in a narrow panel.
    if (ReachedNoServer(tally))
        return NoServerAnsweredText();
    QString text = QStringLiteral("%1 checked: %2 dead, %3 not sure")
                       .arg(tally.checked)
                       .arg(tally.dead)
                       .arg(tally.unsure);
    if (tally.moved > 0)
        text += QStringLiteral(", %1 moved").arg(tally.moved);
    text += QStringLiteral(", in ") + RunDurationText(tally.elapsedMs);
    if (stopped)
        text += QStringLiteral(", stopped");
    return text;
}

bool ReachedNoServer(const RunTally& tally)
{
    // Links judged "no network?" while others got answers (a name that did
    // not resolve, with every other link named by its address) say nothing
    // of the run as a whole.
    const bool asked = tally.checked > tally.unchecked + tally.noLink;
    return asked && tally.answered == 0;
}

QString NoServerAnsweredText()
{
    return QStringLiteral("No server answered: the network or proxy may be down");
}
