#pragma once

#include "ExactPictures.h"

// The numeric identifiers the icon files are stored under. The window loads
// the first five, in this order, as its 16 x 16 list and the busy frames as
// its 20 x 20 list, so the order here is the order of those lists. A picture
// added later takes the next free number and goes to the end of its list.
enum IconId : int
{
    IconLinkEmblem = 1,
    IconFolder,
    IconLampUnverified,
    IconLampAlive,
    IconLampDead,
    IconBusyFrameFirst,
    IconBusyFrameLast = IconBusyFrameFirst + BusyIndicator::FrameCount - 1,
    IconLampUnsure,
    IconLampMoved,

    IconFirst = IconLinkEmblem,
    IconLast = IconLampMoved,
};

// Whether the icon belongs to the 20 x 20 list of the Status header.
constexpr bool IsBusyFrameIcon(int id)
{
    return id >= IconBusyFrameFirst && id <= IconBusyFrameLast;
}
