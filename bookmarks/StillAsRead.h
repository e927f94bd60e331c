#pragma once

#include "EntryWalk.h"

#include <QString>

struct BookmarkEntry;

// Whether the shortcut of entry, in the folder a checked walk reached, is
// still what a run judged: the same file with the size and times it had when
// its link was read, and holding that link still. What was judged of an
// earlier file says nothing about this one.
bool IsStillAsRead(const CheckedParent& where, const BookmarkEntry& entry);

// What an action says of the shortcuts it left alone for that reason:
// "1 shortcut changed since it was checked; check it again".
QString ChangedSinceCheckedText(int count);
