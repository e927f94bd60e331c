#pragma once

#include <cstddef>

class BookmarkModel;

struct TreeCensus
{
    int folders = 0; // the root entry included
    int links = 0;
    int alive = 0;
    int dead = 0;
    int unverified = 0;
    // What the entries' texts take as characters: 2 bytes per character of
    // Name, Title, Link and Detail, 1 per byte of Path.
    std::size_t characterBytes = 0;

    int entries() const { return folders + links; }
};

TreeCensus TakeCensus(const BookmarkModel& tree);
