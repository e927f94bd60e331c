#pragma once

// The resident set of this process in kibibytes (VmRSS of /proc/self/status),
// or -1 when it cannot be read.
long residentKibibytes();
