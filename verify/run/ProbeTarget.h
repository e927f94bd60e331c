#pragma once

#include "Verdict.h"

#include <QString>
#include <optional>

// What a run asks for to check a link; nothing when it asks for nothing.
// Strictly, every link goes to the probe as written, and the probe puts
// "http://" before one that lacks the word "http" anywhere. A person's way
// checks web links only: http, https, or no scheme at all, which is asked
// for with "http://" in front; a mail address, a script or a file is no
// page that could be gone.
std::optional<QString> LinkToProbe(const QString& link, JudgeMode mode);

// Whether the host of a "host:port", as ProbeHost gives it, is a name that
// had to be looked up rather than an IPv4 or IPv6 address.
bool HostIsName(const QString& hostAndPort);
