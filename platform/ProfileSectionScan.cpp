#include "ProfileSectionScan.h"

// The name asked for is trimmed like the names in the file.
ProfileSectionScan::ProfileSectionScan(QStringView section) : section_(TrimProfileBlanks(section))
{
}

ProfileSectionScan::Step ProfileSectionScan::feed(QStringView line)
{
    const qsizetype index = index_++;
    line_ = ParseProfileLine(line);
    if (line_.kind == ProfileLine::Header) {
        if (headerLine_ >= 0)
            return Step::Done;
        if (SameProfileName(line_.name, section_))
            headerLine_ = lastContentLine_ = index;
        return Step::Outside;
    }
    if (headerLine_ < 0)
        return Step::Outside;
    if (line_.kind != ProfileLine::Blank)
        lastContentLine_ = index;
    return Step::Inside;
}
