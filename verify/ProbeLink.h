#pragma once

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
};

// The link as it goes on the wire: ASCII unchanged, every other character
// percent-encoded as UTF-8.
QByteArray LinkTo8Bit(const QString& link);

// One HTTP GET for the link; true when the final status is "200" or "302".
// A link without "http" anywhere (letter case ignored) gets "http://" in
// front. One curl handle per call, nothing shared. cancel, when given and set,
// aborts the transfer in flight (the link then counts as dead).
bool ProbeLink(const QString& link, const ProxySettings& proxy, const ProbeLimits& limits = {},
               const std::atomic_bool* cancel = nullptr);
