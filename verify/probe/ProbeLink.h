#pragma once

#include "ProbeTransfer.h"

// One HTTP GET for the link, performed at once on this thread; alive when the
// final status is "200" or "302", and the reason either way. The verdict
// comes as soon as the head of the final answer is complete. cancel, when
// given and set, aborts the transfer in flight (the link then counts as dead).
// readPage: a final HTML 200 is read on to see what the page says of itself
// (the result's page), never for longer than a few seconds, and followed
// where it sends the browser on by itself.
ProbeResult ProbeLink(const QString& link, const ProxySettings& proxy,
                      const ProbeLimits& limits = {}, const std::atomic_bool* cancel = nullptr,
                      bool readPage = false);
