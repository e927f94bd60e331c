#pragma once

#include <functional>

class BookmarkModel;
class BookmarkNode;
class MovedLinks;
class SearchIndex;
class SearchText;

// The find bar's "Show:" choices, in the order it lists them.
enum class FindChoice
{
    All,
    Dead,
    NotSure,
    Moved,
    Duplicates,
    NotChecked,
    Archived, // dead links with an archived copy
};

// Whether a link has an archived copy (see ArchivedCopyOf).
using HasArchivedCopy = std::function<bool(const BookmarkNode*)>;

// What a filter found, worked out while filtering: the links and folders
// that match (under duplicates, the links of the groups shown) and the
// first of them in the order the view shows them.
struct FoundNodes
{
    int links = 0;
    int folders = 0;
    BookmarkNode* first = nullptr;

    bool none() const { return links == 0 && folders == 0; }
};

// Makes tree show what the find bar asks for: the links that match the text
// and the choice, with their folders; a folder named like the text when
// every link is asked for; the duplicate groups of which a link matches the
// text, each whole. With no text and every link asked for, the whole tree.
// index holds tree's texts, made again when they changed. With the whole tree
// shown, nothing is counted.
FoundNodes ShowFound(BookmarkModel& tree, SearchIndex& index, const SearchText& text,
                     FindChoice choice, const MovedLinks& moved,
                     const HasArchivedCopy& archived = {});
