#include "EntryDates.h"

#include "BookmarkEntry.h"
#include "ProfileFile.h"
#include "ShortcutTime.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

EntryDates linkDates(const BookmarkEntry& entry)
{
    std::optional<qint64> when = ShortcutModifiedSeconds(ReadProfileString(
        entry.Path.c_str(), QStringLiteral("InternetShortcut"), QStringLiteral("Modified")));
    if (!when && entry.Stamp.modified > 0)
        when = entry.Stamp.modified / 1'000'000'000;
    return {when, when};
}

EntryDates folderDates(const BookmarkEntry& entry)
{
    struct statx st
    {
    };
    if (entry.Path.empty() ||
        ::statx(AT_FDCWD, entry.Path.c_str(), 0, STATX_MTIME | STATX_BTIME, &st) != 0)
        return {};
    const qint64 modified = st.stx_mtime.tv_sec;
    const bool born = (st.stx_mask & STATX_BTIME) && st.stx_btime.tv_sec > 0;
    return {born ? qint64(st.stx_btime.tv_sec) : modified, modified};
}

} // namespace

EntryDates DatesOf(const BookmarkEntry& entry)
{
    return entry.IsFolder ? folderDates(entry) : linkDates(entry);
}
