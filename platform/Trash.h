#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

enum class TrashOutcome
{
    Moved,   // in the Trash, with the record a file manager restores from
    NoTrash, // no trash on its file system would take it; it is where it was
    Failed,  // it could not be moved for another reason; it is where it was
};

// The desktop's Trash as freedesktop.org desktops keep it (file managers
// restore from it): the home trash for an entry on its file system, else the
// trash at the top of the entry's own file system. One value serves one
// deletion: the trash folders it opens for a file system are kept for the
// next entry there, so a bulk deletion opens them once.
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
    std::map<std::uint64_t, std::unique_ptr<Folders>> byDevice_; // null: no trash there
};
