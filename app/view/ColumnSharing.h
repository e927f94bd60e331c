#pragma once

// A text column of the bookmark view that takes a share of every change of
// the view's width. A column cannot grow by half a pixel, so it keeps the
// part of its share it could not take yet and adds it to the next one; over
// a series of changes the shared columns follow the view's width exactly.
// The width is the one the sharing gives, with no floor: it may drop below
// zero in a very narrow view (the column then shows zero pixels wide), so
// widening the view again gives back exactly the widths it had.
struct SharedColumn
{
    int width = 0;
    double carry = 0.0; // always in (-1, 1)
};

// The column after the view's width changed by delta pixels, split equally
// between sharingColumns columns.
SharedColumn ShareWidthChange(SharedColumn column, int delta, int sharingColumns);

// How wide the column shows: its width, or zero while that is below zero.
int ShownWidth(const SharedColumn& column);
