#pragma once

// The resident set of this process in kibibytes (VmRSS of /proc/self/status),
// or -1 when it cannot be read.
long residentKibibytes();

// Whether growth of the resident set tells anything about this program. Not
// in a sanitizer build: its allocator holds freed memory back on purpose
// (AddressSanitizer's own leak check does that job there).
bool residentMemoryIsComparable();
