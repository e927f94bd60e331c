#pragma once

#include <QString>

class BookmarkNode;

// The folders from below the root entry down to link's folder, "Work/Tools";
// empty for a link in the root entry itself.
QString FolderBelowRoot(const BookmarkNode* link);

// Where a copy of a duplicate link lives, said after its name so that a
// person can choose which copy to keep: "in Work/Tools" ("at the top" in the
// root entry), with ", kept" for the copy "Select duplicates" keeps.
// asToolTip: the sentence its tooltip shows, which also says what "Select
// duplicates" does with it.
QString DuplicatePlace(const BookmarkNode* link, bool kept, bool asToolTip);
