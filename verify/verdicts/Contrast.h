#pragma once

#include "ProbeResult.h"

// Whether a link's answer looks like a page that is gone without saying so
// with its status: a 200 page that says it is not there, or redirects from
// a deep link to the site's home or search page. The site's answer for an
// address that cannot exist tells such a page from one that is there.
bool NeedsContrast(const ProbeResult& result);

// What the answer for a made-up address (madeUp) says beside a link's own
// (asked): a 404 or 410, at once or after redirects, is Missing; the same
// final status with the same redirect target, or the same page title over
// the same page signal, is Same; anything else is Other.
ContrastAnswer CompareContrast(const ProbeResult& asked, const ProbeResult& madeUp);
