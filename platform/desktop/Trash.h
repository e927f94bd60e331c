#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// How a move to the Trash went. The refusals leave the entry where it was and
// say why, so the question about deleting it for good can name the cause.
enum class TrashOutcome
{
    Moved,       // in the Trash, with the record a file manager restores from
    UnsafeTrash, // the only trash on its mount is another user's, open to others, or a link
    NameTooLong, // its name is too long for a trash record on that file system
    Unreachable, // no trash on its mount can take it (none can be made, read-only, another mount)
    Failed,      // it could not be moved for another reason; it is where it was
};

// The desktop's Trash as freedesktop.org desktops keep it (file managers
// restore from it): the home trash for an entry on its mount, else the trash
// at the top of the entry's own mount, used only when it is the user's own.
// One value serves one deletion: the trash folders it opens for a mount are
// kept for the next entry there, so a bulk deletion opens them once.
class Trash final
{
public:
    Trash();
    ~Trash();
    Trash(const Trash&) = delete;
    Trash& operator=(const Trash&) = delete;

    // Moves name, in the open folder dir, into the trash. Acting on dir
    // rather than a path keeps the move on the folder the caller checked.
    TrashOutcome move(int dir, const std::string& name);

    // The files/ and info/ folders of one trash, opened (defined where used).
    struct Folders;

private:
    // Keyed by mount rather than device: a bind mount shows one device at two
    // places, and a rename between them fails all the same.
    std::map<std::uint64_t, std::unique_ptr<Folders>> byMount_;
};
