#pragma once

#include "ProbeTransfer.h"

#include <curl/curl.h>

// A result of the given kind of failure, with libcurl's message if any.
ProbeResult FailedProbe(ProbeOutcome outcome, const QString& message = {});

// The result of a transfer that libcurl ended with an error of its own;
// message is its error buffer (empty when it wrote none).
ProbeResult TransferFailure(CURL* curl, CURLcode performed, const char* message, bool throughProxy,
                            const ProbeLimits& limits, qint64 elapsedMs);
