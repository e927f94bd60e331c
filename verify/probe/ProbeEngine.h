#pragma once

#include "ProbeResult.h"
#include "ProxySettings.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

struct FinishedProbe
{
    quint64 ticket = 0;
    ProbeResult result;
};

// Where a run's worker gets its transfers: several may be in flight at once,
// and the worker collects them as they finish. Everything but wake() is
// called on the worker's thread only. The real one drives libcurl's multi
// interface; tests put one in its place that they release by hand.
class ProbeEngine
{
public:
    virtual ~ProbeEngine() = default;

    // Begins the probe of a link; its verdict comes out of takeFinished().
    // readPage: a final HTML 200 is read on to see whether the page is one
    // of a parked or expired domain or says it was not found, and followed
    // where it sends the browser on by itself.
    virtual void start(quint64 ticket, const QString& link, const ProxySettings& proxy,
                       bool readPage) = 0;
    // Waits until a transfer has finished or wake() was called (also before
    // this call began), or longestWaitMs have passed (or less, if the
    // engine's own bound is shorter), then gives the verdicts not yet
    // taken; maybe none.
    virtual std::vector<FinishedProbe> takeFinished(int longestWaitMs) = 0;
    // Any thread: ends the current or next wait of takeFinished() early.
    virtual void wake() = 0;
    // Drops every transfer in flight; none of them gives a verdict.
    virtual void cancelAll() = 0;
};

// Makes a run's engine, one per run, as the run begins.
using ProbeEngineFactory = std::function<std::unique_ptr<ProbeEngine>()>;
