#pragma once

#include "Verdict.h"

#include <QString>
#include <QtGlobal>
#include <optional>

// How far a verification run has come, as its status panel tells it. Each
// link checked counts once, under its verdict of the moment.
struct RunTally
{
    int links = 0;   // links in the tree when the run began, less those deleted unchecked
    int checked = 0; // links with a verdict, the ones still to be asked again included
    int alive = 0;
    int dead = 0;
    int unsure = 0;
    int moved = 0;     // of the alive ones, those found at a new address
    int unchecked = 0; // not web links, so never asked for
    int noLink = 0;    // dead without a request: shortcuts that hold no link
    int answered = 0;  // probes that got an HTTP answer
    int madeUp = 0;    // requests for an address that cannot exist, to hear how a site answers one
    // Links not sure only because nothing showed that the network works.
    int noNetwork = 0;
    // The second pass: links asked again, and how many of them have answered.
    bool secondPass = false;
    int again = 0;
    int checkedAgain = 0;
    qint64 elapsedMs = 0;
    // A host that asked to slow down, while links wait for it ("host:port").
    QString waitingFor;
    qint64 waitLeftMs = 0;

    // Counts a link once, under its verdict of the moment: from is the
    // verdict it was counted under before, if any (a second answer moves a
    // link from "not sure" to what it says).
    void recount(std::optional<Verdict> from, Verdict to);
};

// "4.2 s" under a minute, else "2 min 5 s".
QString RunDurationText(qint64 elapsedMs);
// "about 2 minutes left" at the rate so far, coarse enough not to flicker;
// empty before 50 links are judged and in the second pass.
QString TimeLeftText(const RunTally& tally);
// "Waiting 40 s for example.org, which asked to slow down"; empty when no
// link waits for a host.
QString HostWaitText(const RunTally& tally);
// "Checked 5 of 12: 1 dead, 2 not sure", then "Checking again: 1 of 3";
// with the time left and the wait for a host after it, where there is one.
QString RunProgressText(const RunTally& tally);
// "12 checked: 1 dead, 2 not sure, 3 moved, in 4.2 s" (moved only when
// some did), with ", stopped" for a run
// the user stopped; NoServerAnsweredText() when the run saw no network.
QString RunSummaryText(const RunTally& tally, bool stopped);
// Links were asked for and not one got an HTTP answer: more likely the
// network or the proxy is down than the pages gone.
bool ReachedNoServer(const RunTally& tally);
// "No server answered: the network or proxy may be down"
QString NoServerAnsweredText();
