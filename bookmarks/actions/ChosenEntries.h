#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class BookmarkModel;
class BookmarkNode;

// How far an action on the selected rows may reach. While the find bar
// filters, a folder row stands only for the rows shown below it.
enum class Reach
{
    // Reading only (copying links): whatever is shown.
    Anywhere,
    // Deleting: a selection made by hand on the whole tree goes as it is;
    // while filtered, nothing below a folder link leading out of the
    // Favorites folder goes.
    Entries,
    // Probing and rewriting links: nothing below a folder link that was not
    // itself chosen without a filter on.
    Links,
};

// What the selected rows stand for when an action takes them.
struct ChosenEntries
{
    // In tree order, none below another; each goes with everything below it.
    std::vector<BookmarkNode*> entries;
    int links = 0;   // among entries
    int folders = 0; // among entries
    // The links covered by the selection that lie outside the Favorites
    // folder and were left out.
    std::vector<BookmarkNode*> leftOutside;
};

// Resolves the selected rows, in one walk over the tree. A folder goes whole
// only when nothing below it is hidden by the filter or left out; otherwise
// it stands for what is shown below it. The root entry, the Favorites folder
// itself, always stands for what lies below it.
ChosenEntries ChooseEntries(const BookmarkModel& tree,
                            const std::function<bool(BookmarkNode*)>& isSelected, Reach reach);

// The links of chosen's entries in tree order; the first most of them.
std::vector<BookmarkNode*> LinksOf(const BookmarkModel& tree, const ChosenEntries& chosen,
                                   size_t most = SIZE_MAX);

// Whether node lies in the subtree of one of chosen's entries.
std::function<bool(BookmarkNode*)> WithinChosen(const ChosenEntries& chosen);

// The line a question adds when links outside the Favorites folder were left
// out of what it asks about; empty for none.
QString LeftOutsideLine(qsizetype links);
