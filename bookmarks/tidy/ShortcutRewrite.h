#pragma once

#include "EntryPlace.h"
#include "FileId.h"

#include <QByteArray>
#include <QString>

#include <ctime>

enum class RewriteOutcome
{
    Done,
    Missing,    // the file (or a folder on its way) is gone
    Changed,    // replaced or edited since it was read, or another link: left alone
    ReadOnly,   // its owner-write bit is off: left alone
    NoLink,     // no URL= to rewrite in it
    LinkCut,    // its link goes on past what was checked: left alone
    HardLinked, // it has other names, which a new file would leave behind
    Failed,     // could not be written; the file is as it was
};

// What a shortcut held before its link was rewritten, so that an undo can
// put it back exactly.
struct ShortcutBackup
{
    // Where the file is; the target's id and stamp are the rewritten file's.
    EntryPlace place;
    QByteArray before;
    QByteArray after; // what the rewrite wrote, so an undo never loses a later edit
    struct timespec accessed
    {
    };
    struct timespec modified
    {
    };
};

struct ShortcutRewrite
{
    RewriteOutcome outcome = RewriteOutcome::Failed;
    QString error;         // why, for Failed
    FileId newId;          // what the entry's Id becomes after Done
    FileStamp newStamp;    // and its Stamp
    ShortcutBackup backup; // after Done
};

// Rewrites the link of the shortcut at place (see WithShortcutLink) after
// finding it again one checked folder at a time, so a file replaced or
// written since it was read (place.stamp), a link in its place or a
// read-only file is never written. Only a file whose whole link value is
// still checkedLink, the one a run judged, gets link in its place. The file
// is replaced atomically and keeps its mode, owner where allowed, extended
// attributes and access time; only its modification time changes. On any
// outcome but Done the file is as it was.
ShortcutRewrite RewriteShortcutLink(const EntryPlace& place, const QString& checkedLink,
                                    const QString& link);

// Puts back what backup holds, times included, with the same care, as long
// as the file is still what the rewrite left (Changed otherwise). newId and
// newStamp then say what the entry's become.
ShortcutRewrite UndoShortcutRewrite(const ShortcutBackup& backup);
