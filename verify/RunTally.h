#pragma once

#include <QString>
#include <QtGlobal>

// How far a verification run has come, as its status panel tells it.
struct RunTally
{
    int links = 0; // links in the tree when the run began, less those deleted unchecked
    int checked = 0;
    int dead = 0;
    int answered = 0; // verdicts that came with an HTTP answer, alive or dead
    qint64 elapsedMs = 0;
};

// "4.2 s" under a minute, else "2 min 5 s".
QString RunDurationText(qint64 elapsedMs);
// "Checked 5 of 12, 1 dead": the run is still going.
QString RunProgressText(const RunTally& tally);
// "12 checked, 1 dead, in 4.2 s", with ", stopped" for a run the user
// stopped, and a warning when no server answered at all.
QString RunSummaryText(const RunTally& tally, bool stopped);
// Links were checked but not one got an HTTP answer: more likely the network
// or the proxy is down than every link dead.
bool ReachedNoServer(const RunTally& tally);
