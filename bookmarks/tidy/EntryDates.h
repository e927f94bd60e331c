#pragma once

#include <QtGlobal>
#include <optional>

struct BookmarkEntry;

// When a bookmark was made and last changed, in seconds since 1970, as far
// as its files tell.
struct EntryDates
{
    std::optional<qint64> added;
    std::optional<qint64> modified;
};

// A link: the shortcut's Modified= when it holds a time, else the file's
// modification time as the scan saw it, for both. A folder: its birth time
// where the file system keeps one (else its modification time), and its
// modification time. Nothing for what cannot be looked at.
EntryDates DatesOf(const BookmarkEntry& entry);
