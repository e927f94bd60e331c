#pragma once

#include "FileId.h"

#include <QString>
#include <QtGlobal>
#include <string>

// What a verification run last found out about a link. Folders and the root
// entry keep StatusFolder; the numbers are the ones the program has always
// stored, so nothing but the view's mapping turns them into pictures.
enum BookmarkStatus : qint16
{
    StatusFolder = -1,
    StatusUnverified = 2,
    StatusAlive = 3,
    StatusDead = 4,
    StatusUnsure = 5,    // a server is there, or may be, but did not say
    StatusUnchecked = 6, // not a web link (or could not be probed): never requested
    StatusMoved = 7,     // alive at a new address the link can be updated to
};

// The 16 x 16 pictures of the bookmark view, in the order its list holds
// them: the node icons a scan stores in ImageIndex, then the status lamps.
enum BookmarkImage : qint16
{
    ImageNone = -1,
    ImageLink = 0,
    ImageFolder = 1,
    ImageLampUnverified = 2,
    ImageLampAlive = 3,
    ImageLampDead = 4,
    ImageLampUnsure = 5,
    ImageLampMoved = 6,
};

struct BookmarkEntry
{
    QString Name;
    QString Title;
    QString Link;
    // The exact native path bytes; what deletion acts on. Kept as a plain
    // string because std::filesystem::path also stores a parsed copy of every
    // component, several times the size of the text, for each of possibly
    // 100,000 entries. It converts implicitly where a path is wanted.
    std::string Path;
    // What deletion expects to find at Path: for a link the shortcut's own
    // name (links not followed), for a folder the directory it leads to.
    FileId Id;
    // For a link, what the shortcut was when its link was read: an action on
    // a verdict about that link needs the file still so.
    FileStamp Stamp;
    // A verified link's verdict with its reason, as the user reads it; empty
    // until then, so an unverified entry holds no text. A folder that is a
    // directory link names its target here, and the root entry its folder.
    QString Detail;
    bool IsFolder = false;
    bool IsDirLink = false;        // the folder's name is a link to a directory
    bool OutsideFavorites = false; // reached through a directory link
    bool LinkCut = false;          // the file's link goes on past what was read
    qint16 ImageIndex = 0;         // a BookmarkImage
    qint16 Status = 0;             // a BookmarkStatus
    // For a folder: its links, all levels down, that are dead, not sure or moved.
    qint32 DeadInside = 0;
    qint32 UnsureInside = 0;
    qint32 MovedInside = 0;
};

// The picture in front of the entry's name.
BookmarkImage NodeImage(const BookmarkEntry& entry);
// The lamp that shows a link's status; ImageNone for a value that is no
// link status.
BookmarkImage LampImage(qint16 status);
