#pragma once

#include "ProfileSyntax.h"

#include <QStringView>

// Follows lines fed one by one through the first section of a name: the
// Windows reader never looks at a later section of the same name.
class ProfileSectionScan final
{
public:
    explicit ProfileSectionScan(QStringView section);

    enum class Step
    {
        Outside, // before the section, or its header
        Inside,  // a line of the section
        Done,    // the section has ended; later lines cannot matter
    };
    Step feed(QStringView line);

    // The line fed last, parsed; its views are valid while that text lives.
    const ProfileLine& line() const { return line_; }
    qsizetype headerLine() const { return headerLine_; } // -1: no such section
    // The section's last line that is not blank (its header when empty).
    qsizetype lastContentLine() const { return lastContentLine_; }

private:
    QStringView section_;
    ProfileLine line_;
    qsizetype index_ = 0;
    qsizetype headerLine_ = -1;
    qsizetype lastContentLine_ = -1;
};
