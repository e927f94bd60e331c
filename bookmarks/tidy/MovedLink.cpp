#include "MovedLink.h"

#include "WebLink.h"

#include <optional>

namespace {

bool onlyMadeSecure(const WebLink& from, const WebLink& to)
{
    return from.scheme == u"http" && to.scheme == u"https" && from.userInfo == to.userInfo &&
           from.host == to.host && from.port == to.port && from.path == to.path &&
           from.hasQuery == to.hasQuery && from.query == to.query;
}

} // namespace

QString MovedLinkAddress(const QString& link, const QString& finalAddress)
{
    const QString address = finalAddress.trimmed();
    const QString trimmed = link.trimmed();
    const qsizetype hash = trimmed.indexOf(u'#');
    // A '#' alone names no place on the page.
    if (address.isEmpty() || address.contains(u'#') || hash < 0 || hash + 1 == trimmed.size())
        return address;
    return address + trimmed.sliced(hash);
}

bool IsMovedLink(const QString& link, const QString& finalAddress, bool permanentRedirects)
{
    const QString address = MovedLinkAddress(link, finalAddress);
    const std::optional<WebLink> from = SplitWebLink(link);
    const std::optional<WebLink> to = SplitWebLink(address);
    if (!from || !to || address == link.trimmed() || to->userInfo.contains(u':'))
        return false;
    return permanentRedirects || onlyMadeSecure(*from, *to);
}

bool CountsAsMoved(const BookmarkEntry& entry, const QString& finalAddress, bool permanentRedirects)
{
    return !entry.LinkCut && IsMovedLink(entry.Link, finalAddress, permanentRedirects);
}
