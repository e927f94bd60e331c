#pragma once

#include <QString>
#include <QtGlobal>
#include <string>

enum BookmarkStatus : qint16
{
    StatusFolder = -1,
    StatusUnverified = 2,
    StatusAlive = 3,
    StatusDead = 4,
};

// Positions in the node icon list; ImageIndex and Status index it directly.
enum BookmarkImage : qint16
{
    ImageLink = 0,
    ImageFolder = 1,
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
    bool IsFolder = false;
    qint16 ImageIndex = 0;
    qint16 Status = 0;
};
