#include "ProfileSectionScan.h"

namespace {

bool startsHeader(QStringView line)
{
    for (const QChar c : line) {
        if (!IsProfileBlank(c))
            return c == u'[';
    }
    return false;
}

} // namespace

// The name asked for is trimmed like the names in the file.
ProfileSectionScan::ProfileSectionScan(QStringView section) : section_(TrimProfileBlanks(section))
{
}

ProfileSectionScan::Step ProfileSectionScan::feed(QStringView line)
{
    const qsizetype index = index_++;
    // Before the section only a header can change anything, and few lines
    // are one: the others need no parse.
    if (headerLine_ < 0 && !startsHeader(line)) {
        line_ = {};
        return Step::Outside;
    }
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
