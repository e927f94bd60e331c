#pragma once

#include "ProbeEngine.h"

class BookmarkModel;

struct CountedRun
{
    bool started = false;
    double seconds = 0; // from the start to the worker's end
    int probed = 0;
    double longestGapSeconds = 0; // of this thread's event loop meanwhile
};

// A verification run over tree, with engines made by engines, that is
// stopped, the way "Stop" is, as soon as links probes have begun, so that
// exactly that many links are probed (all of them when the tree has fewer).
// Judges strictly. Waits in an event loop of its own.
CountedRun RunForLinks(BookmarkModel& tree, const ProbeEngineFactory& engines, int links,
                       int linksAtOnce = 1);
