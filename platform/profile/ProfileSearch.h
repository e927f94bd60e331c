#pragma once

#include "ProfileSectionScan.h"

#include <QStringView>
#include <span>

// Finds [section] key in lines fed one by one, the way the Windows reader
// does: only the first section of that name is searched, and in it the
// first matching key wins.
class ProfileSearch final
{
public:
    ProfileSearch(QStringView section, QStringView key);

    // Returns false once the answer is known; later lines cannot change it.
    bool feed(QStringView line);

    bool found() const { return found_; }
    QStringView rawValue() const { return value_; } // valid while the fed text lives

private:
    ProfileSectionScan scan_;
    QStringView key_;
    QStringView value_;
    bool found_ = false;
    bool done_ = false;
};

// Feeds the lines of text (each ended by CR or LF) to every search until all
// of them know their answer.
void SearchProfileText(QStringView text, std::span<ProfileSearch> searches);
