#pragma once

#include "BookmarkEntry.h"

#include <QString>

// The address a moved link is updated to: where the probe's redirects ended,
// as the server gave it, with the link's own fragment added when that
// address has none (servers never see fragments, so a redirect cannot keep
// one, while the page part it points at usually still exists).
QString MovedLinkAddress(const QString& link, const QString& finalAddress);

// Whether the link may be updated to MovedLinkAddress: the probe followed
// redirects that were all permanent (301, 308) to an address that differs
// from the link, or the only change is from http: to https: on the same
// host, port, path and query. Both must be http or https addresses, and an
// address with a password in it is never written, since the probe reports
// it masked. Whether the new address answered is for the caller to weigh.
bool IsMovedLink(const QString& link, const QString& finalAddress, bool permanentRedirects);

// Whether the link of entry, found alive at finalAddress, counts as moved:
// IsMovedLink allows it and the shortcut's link was read whole, so that an
// update can rewrite it.
bool CountsAsMoved(const BookmarkEntry& entry, const QString& finalAddress,
                   bool permanentRedirects);
