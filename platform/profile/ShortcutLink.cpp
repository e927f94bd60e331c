#include "ShortcutLink.h"

#include "ProfileFile.h"
#include "ProfileSearch.h"
#include "ProfileSyntax.h"
#include "Utf7.h"

#include <optional>

namespace {

// The address the UTF-7 value spells, or nothing when it is no use. The
// bound applies to the address, not to its longer encoded form.
std::optional<ShortcutLinkValue> unicodeLink(QStringView value)
{
    const QStringView unquoted = UnquoteProfileValue(value);
    std::optional<QString> link = DecodeUtf7(unquoted);
    if (!link || link->isEmpty())
        return std::nullopt;
    const qsizetype bounded = BoundProfileValue(*link).size();
    const bool whole = unquoted.size() == value.size() && bounded == link->size();
    link->truncate(bounded);
    return ShortcutLinkValue{*std::move(link), whole};
}

ShortcutLinkValue ansiLink(QStringView value)
{
    const QString link = ProfileValueText(value);
    return {link, link == value};
}

// Everything after a double quote is dropped, as it always was.
ShortcutLinkValue cutAtQuote(ShortcutLinkValue value)
{
    const qsizetype quote = value.link.indexOf(u'"');
    if (quote >= 0) {
        value.link.truncate(quote);
        value.whole = false;
    }
    return value;
}

} // namespace

ShortcutLinkValue ShortcutLinkOf(const QString& text)
{
    ProfileSearch searches[] = {{u"InternetShortcut.W", u"URL"}, {u"InternetShortcut", u"URL"}};
    SearchProfileText(text, searches);
    const ProfileSearch& wide = searches[0];
    const ProfileSearch& ansi = searches[1];
    if (wide.found()) {
        if (std::optional<ShortcutLinkValue> link = unicodeLink(wide.rawValue()))
            return cutAtQuote(*std::move(link));
    }
    return ansi.found() ? cutAtQuote(ansiLink(ansi.rawValue())) : ShortcutLinkValue{};
}

ShortcutLinkValue ReadShortcutLinkAt(int dirFd, const char* name, FileId& nameId, FileStamp* stamp)
{
    nameId = {};
    const std::optional<QString> text = ReadProfileTextAt(dirFd, name, &nameId, stamp);
    return text ? ShortcutLinkOf(*text) : ShortcutLinkValue{};
}
