#include "ProfileSearch.h"

#include "ProfileSyntax.h"

// The key asked for is trimmed like the names in the file.
ProfileSearch::ProfileSearch(QStringView section, QStringView key)
    : scan_(section), key_(TrimProfileBlanks(key))
{
}

bool ProfileSearch::feed(QStringView line)
{
    switch (scan_.feed(line)) {
    case ProfileSectionScan::Step::Done:
        return false;
    case ProfileSectionScan::Step::Outside:
        return true;
    case ProfileSectionScan::Step::Inside:
        break;
    }
    const ProfileLine& parsed = scan_.line();
    if (parsed.kind != ProfileLine::Key || !SameProfileName(parsed.name, key_))
        return true;
    found_ = true;
    value_ = parsed.value;
    return false;
}
