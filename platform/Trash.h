#pragma once

#include <string>

enum class TrashOutcome
{
    Moved,   // in the Trash, with the record a file manager restores from
    NoTrash, // no trash on its file system would take it; it is where it was
    Failed,  // it could not be moved for another reason; it is where it was
};

// Moves name, in the open folder dir, into the desktop's Trash as freedesktop.org
// desktops keep it (file managers restore from it): the home trash for an entry on
// its file system, else the trash at the top of the entry's own file system.
// Acting on dir rather than a path keeps the move on the folder the caller
// checked.
TrashOutcome MoveToTrash(int dir, const std::string& name);
