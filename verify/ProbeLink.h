#pragma once

#include "ProbeResult.h"
#include "ProxySettings.h"

#include <QByteArray>
#include <QString>
#include <atomic>

// Time bounds of one probe; as a browser stack has them by default, lowered
// only by tests.
struct ProbeLimits
{
    long connectTimeoutMs = 60000;
    long lowSpeedTimeSeconds = 30; // no data for this long ends the transfer
    long totalTimeoutMs = 120000;  // so a trickling server cannot hold a probe for ever
};

// The link as it goes on the wire: printable ASCII unchanged; blanks, control
// characters and every non-ASCII character percent-encoded (as UTF-8), since
// libcurl refuses a URL that holds them raw.
QByteArray LinkTo8Bit(const QString& link);

// One HTTP GET for the link; alive when the final status is "200" or "302",
// and the reason either way. A link without "http" anywhere (letter case
// ignored) gets "http://" in front. One curl handle per call, nothing shared.
// The verdict comes as soon as the head of the final answer is complete.
// cancel, when given and set, aborts the transfer in flight (the link then
// counts as dead).
ProbeResult ProbeLink(const QString& link, const ProxySettings& proxy,
                      const ProbeLimits& limits = {}, const std::atomic_bool* cancel = nullptr);
