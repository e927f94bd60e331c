#pragma once

#include "ProbeResult.h"

#include <QString>

// How a run judges what it found out: as a person would (the default), or
// by the old rule of two verdicts, alive only on a final "200" or "302".
enum class JudgeMode : quint8
{
    Person,
    Strict,
};

enum class Verdict : quint8
{
    Alive,
    Dead,      // the page is gone
    Unsure,    // a server is there, or may be, but did not say
    Unchecked, // no request was made: not a web link
};

// What a run has seen of the network so far. A refused connection or a
// name that does not resolve says the page is gone only when the network
// is known to work; offline, every link would look gone.
struct NetworkEvidence
{
    bool serverAnswered = false;   // some link got an HTTP answer
    bool hostNameAnswered = false; // some link named by a host name (not an address) got one
};

struct Judgement
{
    Verdict verdict = Verdict::Unsure;
    // The verdict and its reason as a person reads them, with what to do
    // where there is something to do.
    QString text;
    // The same without the verdict's name: what happened and what to do.
    QString reason;
    // A first answer that may pass: worth a second opinion later on.
    bool askAgain = false;
    // Not sure only because the run saw no sign of a working network.
    bool noNetwork = false;
    // Not asked, or asked and told to slow down, once its host's waits were
    // used up: the next run asks it first.
    bool askFirst = false;
};

// Judges a finished probe. finalAttempt: no second opinion will follow, so
// a passing failure is judged as it stands.
Judgement JudgeProbe(const ProbeResult& result, JudgeMode mode, const NetworkEvidence& evidence,
                     bool finalAttempt);

// A link that is not checked at all, being no web link.
Judgement NotWebLinkJudgement();
// A shortcut with no link in it (an empty file, or no URL= line): dead in
// either mode, since nothing could ever open it; no request is made.
Judgement NoLinkJudgement();

// A link of a host that asked the run to slow down for longer than it
// waits: judged without a request (or on an answer that said to slow down),
// checked links of the host's links having had an answer of their own.
Judgement HostLimitJudgement(int checked, int links);

// A first answer that was to get a second opinion, once the run was stopped
// before it came: never dead, since nothing settled it.
Judgement UnsettledJudgement(const ProbeResult& result, const NetworkEvidence& evidence);

// A link's final verdict with what it rests on, as a run hands it on.
struct LinkVerdict
{
    ProbeResult result; // the answer that decided; empty for a link not checked
    Judgement judgement;
    int attempts = 1; // requests made: none for a link not checked, two after a second opinion
};

// "alive", "dead", "unsure", "unchecked": the words of the command line.
QString VerdictWord(Verdict verdict);
