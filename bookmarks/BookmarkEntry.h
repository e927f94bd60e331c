#pragma once

#include <QString>
#include <QtGlobal>
#include <filesystem>

enum BookmarkStatus : qint16 {
    StatusFolder = -1,
    StatusUnverified = 2,
    StatusAlive = 3,
    StatusDead = 4,
};

// Icon positions in ImageList1; ImageIndex and Status index it directly.
enum BookmarkImage : qint16 {
    ImageLink = 0,
    ImageFolder = 1,
};

struct BookmarkEntry
{
    QString Name;
    QString Title;
    QString Link;
    std::filesystem::path Path; // exact native path; what deletion acts on
    bool IsFolder = false;
    qint16 ImageIndex = 0;
    qint16 Status = 0;
};
