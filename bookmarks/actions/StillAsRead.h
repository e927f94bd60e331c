#pragma once

#include "EntryPlace.h"

#include <QString>

class BookmarkModel;
class BookmarkNode;
struct BookmarkEntry;

// Whether the shortcut of entry, in the folder a checked walk reached, is
// still what a run judged: the same file with the size and times it had when
// its link was read, and holding that link still. What was judged of an
// earlier file says nothing about this one.
bool IsStillAsRead(const CheckedParent& where, const BookmarkEntry& entry);

// For a shortcut found changed since it was read: its row goes back to not
// verified and shows the link the file at place holds now, so that checking
// it again checks what is on disk. A folder on the way that changed leaves
// the link as it was.
void ReadShortcutAgain(BookmarkModel& tree, BookmarkNode* node, const EntryPlace& place);

// What an action says of the shortcuts it left alone for that reason:
// "1 shortcut changed since it was checked; check it again".
QString ChangedSinceCheckedText(int count);
