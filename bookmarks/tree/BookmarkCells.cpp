#include "BookmarkCells.h"

#include "LinkPassword.h"

#include <QStringList>

namespace {

// Painted as small lamps with numbers; this is what a screen reader says
// instead. "3 dead, 1 not sure, 2 moved" for a folder with links that need
// a decision; nothing for one without.
QVariant FolderCounts(const BookmarkEntry& folder)
{
    QStringList parts;
    if (folder.DeadInside > 0)
        parts << QStringLiteral("%1 dead").arg(folder.DeadInside);
    if (folder.UnsureInside > 0)
        parts << QStringLiteral("%1 not sure").arg(folder.UnsureInside);
    if (folder.MovedInside > 0)
        parts << QStringLiteral("%1 moved").arg(folder.MovedInside);
    if (parts.isEmpty())
        return {};
    return parts.join(QStringLiteral(", "));
}

// The Status cell as a screen reader says it.
QVariant StatusText(const BookmarkEntry& entry)
{
    if (entry.IsFolder)
        return FolderCounts(entry);
    const auto verdict = [&entry](const QString& plain) {
        return entry.Detail.isEmpty() ? plain : entry.Detail;
    };
    switch (entry.Status) {
    case StatusAlive:
        return verdict(QStringLiteral("Alive"));
    case StatusMoved:
        return verdict(QStringLiteral("Moved"));
    case StatusDead:
        return verdict(QStringLiteral("Dead"));
    case StatusUnsure:
        return verdict(QStringLiteral("Not sure"));
    case StatusUnchecked:
        return verdict(QStringLiteral("Not checked"));
    case StatusUnverified:
        return QStringLiteral("Not verified");
    default:
        return {};
    }
}

// Why a verified link came out as it did, where the eye is on it; for a
// folder that is a directory link, where it leads.
QVariant CellToolTip(const BookmarkEntry& entry, int column)
{
    // The Status cell is narrow; the tooltip shows the counts whole.
    if (entry.IsFolder && column == ColumnStatus)
        return FolderCounts(entry);
    if (entry.Detail.isEmpty())
        return {};
    if (entry.IsFolder)
        return column == ColumnName ? QVariant(entry.Detail) : QVariant();
    // Every verdict explains itself, the grey "not a web link" one included.
    const bool judged = entry.Status == StatusAlive || entry.Status == StatusMoved ||
                        entry.Status == StatusDead || entry.Status == StatusUnsure ||
                        entry.Status == StatusUnchecked;
    if (!judged)
        return {};
    return column == ColumnStatus || column == ColumnLink ? QVariant(entry.Detail) : QVariant();
}

} // namespace

QVariant CellData(const BookmarkEntry& e, int column, int role)
{
    switch (role) {
    case Qt::DisplayRole:
        if (column == ColumnName)
            return e.IsFolder ? e.Name : e.Title;
        if (column == ColumnLink)
            return MaskPassword(e.Link);
        return e.IsFolder ? FolderCounts(e) : QVariant();
    case BookmarkImageRole:
        if (column == ColumnName)
            return int(NodeImage(e));
        if (column == ColumnStatus && !e.IsFolder)
            return int(LampImage(e.Status));
        return {};
    case Qt::AccessibleTextRole:
        return column == ColumnStatus ? StatusText(e) : QVariant();
    case Qt::ToolTipRole:
        return CellToolTip(e, column);
    default:
        return {};
    }
}

QVariant ColumnTitle(int section)
{
    switch (section) {
    case ColumnName:
        return QStringLiteral("Name");
    case ColumnLink:
        return QStringLiteral("Link");
    case ColumnStatus:
        return QStringLiteral("Status");
    default:
        return {};
    }
}
