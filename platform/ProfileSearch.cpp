#include "ProfileSearch.h"

#include "ProfileSyntax.h"

// The names asked for are trimmed like the names in the file.
ProfileSearch::ProfileSearch(QStringView section, QStringView key)
    : section_(TrimProfileBlanks(section)), key_(TrimProfileBlanks(key))
{
}

bool ProfileSearch::feed(QStringView line)
{
    const qsizetype index = index_++;
    const ProfileLine parsed = ParseProfileLine(line);
    switch (parsed.kind) {
    case ProfileLine::Blank:
        return true;
    case ProfileLine::Header:
        if (inSection_)
            return false; // a later section of the same name is never read
        if (SameProfileName(parsed.name, section_)) {
            inSection_ = true;
            headerLine_ = lastContentLine_ = index;
        }
        return true;
    case ProfileLine::Key:
        if (!inSection_)
            return true;
        lastContentLine_ = index;
        if (!SameProfileName(parsed.name, key_))
            return true;
        keyLine_ = index;
        value_ = parsed.value;
        return false;
    case ProfileLine::Other:
        if (inSection_)
            lastContentLine_ = index;
        return true;
    }
    return true;
}
