#include "StillAsRead.h"

#include "BookmarkModel.h"
#include "PathUtils.h"
#include "ShortcutLink.h"

#include <sys/stat.h>

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

void ReadShortcutAgain(BookmarkModel& tree, BookmarkNode* node, const EntryPlace& place)
{
    tree.setStatus(node, StatusUnverified);
    const CheckedParent where = WalkToPlace(place);
    const mode_t kind = where.entry.st_mode & S_IFMT;
    // Something else than a shortcut in its place is for a new scan to show.
    if (!where.inFolder || (kind != S_IFREG && kind != S_IFLNK))
        return;
    FileId id;
    FileStamp stamp;
    const ShortcutLinkValue held =
        ReadShortcutLinkAt(where.dir.get(), place.target.name.c_str(), id, &stamp);
    if (id == FileId{})
        return;
    node->entry.LinkCut = !held.whole;
    tree.setLink(node, held.link, id, stamp);
}

QString ChangedSinceCheckedText(int count)
{
    if (count == 1)
        return QStringLiteral("1 shortcut changed since it was checked; check it again");
    return QStringLiteral("%1 shortcuts changed since they were checked; check them again")
        .arg(count);
}
