#include "BookmarkEntry.h"

BookmarkImage NodeImage(const BookmarkEntry& entry)
{
    return BookmarkImage(entry.ImageIndex);
}

BookmarkImage LampImage(qint16 status)
{
    switch (status) {
    case StatusUnverified:
    case StatusUnchecked: // grey as before: nothing was asked of it
        return ImageLampUnverified;
    case StatusAlive:
        return ImageLampAlive;
    case StatusDead:
        return ImageLampDead;
    case StatusUnsure:
        return ImageLampUnsure;
    case StatusMoved:
        return ImageLampMoved;
    default:
        return ImageNone;
    }
}
