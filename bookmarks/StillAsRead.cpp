#include "StillAsRead.h"

#include "BookmarkEntry.h"
#include "PathUtils.h"
#include "ShortcutLink.h"

bool IsStillAsRead(const CheckedParent& where, const BookmarkEntry& entry)
{
    if (where.outcome != WalkOutcome::Reached || FileStampOf(where.entry) != entry.Stamp)
        return false;
    // Read again: a write within the clock's last tick leaves the times alone.
    FileId id;
    FileStamp stamp;
    const ShortcutLinkValue held =
        ReadShortcutLinkAt(where.dir.get(), FileNamePart(entry.Path).c_str(), id, &stamp);
    return id == entry.Id && stamp == entry.Stamp && held.link == entry.Link;
}

QString ChangedSinceCheckedText(int count)
{
    if (count == 1)
        return QStringLiteral("1 shortcut changed since it was checked; check it again");
    return QStringLiteral("%1 shortcuts changed since they were checked; check them again")
        .arg(count);
}
