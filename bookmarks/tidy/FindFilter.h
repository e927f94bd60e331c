#pragma once

class BookmarkModel;
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
};

// Makes tree show what the find bar asks for: the links that match the text
// and the choice, with their folders; a folder named like the text when
// every link is asked for; the duplicate groups of which a link matches the
// text, each whole. With no text and every link asked for, the whole tree.
// index holds tree's texts, made again when they changed.
void ShowFound(BookmarkModel& tree, SearchIndex& index, const SearchText& text, FindChoice choice,
               const MovedLinks& moved);
