#include "RunTally.h"

#include <algorithm>
#include <cmath>

namespace {

// Fewer answers say too little of the rate to go by.
constexpr int LinksBeforeEstimate = 50;

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

QString TimeLeftText(const RunTally& tally)
{
    if (tally.secondPass || tally.checked < LinksBeforeEstimate || tally.checked >= tally.links)
        return {};
    const double seconds =
        double(tally.elapsedMs) / 1000 * (tally.links - tally.checked) / tally.checked;
    if (seconds < 55)
        return QStringLiteral("about %1 seconds left")
            .arg(std::max(std::lround(seconds / 10), 1L) * 10);
    if (seconds < 90)
        return QStringLiteral("about 1 minute left");
    if (seconds < 3570)
        return QStringLiteral("about %1 minutes left").arg(std::lround(seconds / 60));
    const long hours = std::lround(seconds / 3600);
    return hours == 1 ? QStringLiteral("about 1 hour left")
                      : QStringLiteral("about %1 hours left").arg(hours);
}

QString HostWaitText(const RunTally& tally)
{
    if (tally.waitingFor.isEmpty() || tally.waitLeftMs <= 0)
        return {};
    QString host = tally.waitingFor;
    // The usual ports say nothing a person needs.
    for (const QLatin1StringView port : {QLatin1StringView(":80"), QLatin1StringView(":443")}) {
        if (host.endsWith(port))
            host.chop(port.size());
    }
    return QStringLiteral("Waiting %1 s for %2, which asked to slow down")
        .arg((tally.waitLeftMs + 999) / 1000)
        .arg(host);
}

QString RunProgressText(const RunTally& tally)
{
    QString text =
        tally.secondPass
            ? QStringLiteral("Checking again: %1 of %2").arg(tally.checkedAgain).arg(tally.again)
            : QStringLiteral("Checked %1 of %2: %3 dead, %4 not sure")
                  .arg(tally.checked)
                  .arg(tally.links)
                  .arg(tally.dead)
                  .arg(tally.unsure);
    if (const QString left = TimeLeftText(tally); !left.isEmpty())
        text += QStringLiteral("; ") + left;
    if (const QString wait = HostWaitText(tally); !wait.isEmpty())
        text += QStringLiteral(". ") + wait;
    return text;
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
