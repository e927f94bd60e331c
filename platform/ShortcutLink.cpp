#include "ShortcutLink.h"

#include "ProfileFile.h"
#include "ProfileSearch.h"
#include "ProfileSyntax.h"
#include "Utf7.h"

#include <optional>

namespace {

// The address the UTF-7 value spells, or nothing when it is no use. The
// bound applies to the address, not to its longer encoded form.
std::optional<QString> unicodeLink(QStringView value)
{
    std::optional<QString> link = DecodeUtf7(UnquoteProfileValue(value));
    if (!link || link->isEmpty())
        return std::nullopt;
    link->truncate(BoundProfileValue(*link).size());
    return link;
}

} // namespace

QString ReadShortcutLinkAt(int dirFd, const char* name, FileId& nameId)
{
    nameId = {};
    const std::optional<QString> text = ReadProfileTextAt(dirFd, name, &nameId);
    if (!text)
        return {};
    ProfileSearch searches[] = {{u"InternetShortcut.W", u"URL"}, {u"InternetShortcut", u"URL"}};
    SearchProfileText(*text, searches);
    const ProfileSearch& wide = searches[0];
    const ProfileSearch& ansi = searches[1];
    if (wide.found()) {
        if (std::optional<QString> link = unicodeLink(wide.rawValue()))
            return *std::move(link);
    }
    return ansi.found() ? ProfileValueText(ansi.rawValue()) : QString();
}
