#pragma once

#include "FileId.h"
#include "UniqueFd.h"

#include <string>
#include <vector>

#include <sys/stat.h>

// One name on the way from the Favorites folder to an entry, with what the
// scan found there. For a link to a directory, id is the directory it led to.
struct PathStep
{
    std::string name;
    FileId id;
    bool isDirLink = false;
    // A freed inode may come back as another kind of file, so the kind is
    // checked too.
    bool isFolder = false;
};

enum class WalkOutcome
{
    Reached, // every step and the entry are what the scan found
    Missing, // the entry (or a folder on its way) is no longer there
    Changed, // something on the way was replaced; nothing may be touched
};

struct CheckedParent
{
    WalkOutcome outcome = WalkOutcome::Changed;
    UniqueFd dir;          // the entry's folder, checked; act relative to it
    bool inFolder = false; // dir is that folder (the entry itself may have changed)
    struct stat entry
    {
    }; // the entry's own name, not followed
};

// Opens root by path (it may be a link) and checks it is rootId, then goes
// down one folder at a time without following any link but the recorded
// directory links, and finally looks at target in the last folder. Acting on
// the returned folder by name can only touch what the scan showed.
CheckedParent WalkToEntry(const std::string& root, FileId rootId,
                          const std::vector<PathStep>& folders, const PathStep& target);

// The folder at path and every folder above it up to the file system's root.
// Removing any of those would take the Favorites folder with it.
std::vector<FileId> FolderAndAncestors(const std::string& path);
