#pragma once

#include "ChosenEntries.h"

#include <vector>

class BookmarkNode;
class BookmarkView;

// The selected rows in tree order, those below another selected row left out.
std::vector<BookmarkNode*> SelectedTops(const BookmarkView& view);

// What the selected rows stand for, as the filter shows them.
ChosenEntries ChosenRows(const BookmarkView& view, Reach reach);
