#pragma once

#include "ProfileSectionScan.h"

#include <QStringView>

// Finds [section] key in lines fed one by one, the way the Windows reader
// does: only the first section of that name is searched, and in it the
// first matching key wins. It also notes where a missing key would go.
class ProfileSearch final
{
public:
    ProfileSearch(QStringView section, QStringView key);

    // Returns false once the answer is known; later lines cannot change it.
    bool feed(QStringView line);

    bool found() const { return keyLine_ >= 0; }
    QStringView rawValue() const { return value_; }             // valid while the fed text lives
    qsizetype headerLine() const { return scan_.headerLine(); } // -1: no such section
    qsizetype keyLine() const { return keyLine_; }              // -1: no such key
    // The section's last line that is not blank (its header when empty).
    qsizetype lastContentLine() const { return scan_.lastContentLine(); }

private:
    ProfileSectionScan scan_;
    QStringView key_;
    QStringView value_;
    qsizetype keyLine_ = -1;
};
