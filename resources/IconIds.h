#pragma once

#include "ExactPictures.h"

// The numeric identifiers the icon files are stored under. The window loads
// the first five, in this order, as its 16 x 16 list and the busy frames as
// its 20 x 20 list, so the order here is the order of those lists.
enum IconId : int
{
    IconLinkEmblem = 1,
    IconFolder,
    IconLampUnverified,
    IconLampAlive,
    IconLampDead,
    IconBusyFrameFirst,
    IconBusyFrameLast = IconBusyFrameFirst + BusyIndicator::FrameCount - 1,

    IconFirst = IconLinkEmblem,
    IconLast = IconBusyFrameLast,
};
