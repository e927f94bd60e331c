#include "BookmarkEntry.h"

BookmarkImage NodeImage(const BookmarkEntry& entry)
{
    return BookmarkImage(entry.ImageIndex);
}

BookmarkImage LampImage(qint16 status)
{
    switch (status) {
    case StatusUnverified:
        return ImageLampUnverified;
    case StatusAlive:
        return ImageLampAlive;
    case StatusDead:
        return ImageLampDead;
    default:
        return ImageNone;
    }
}
