#pragma once

#include <QStringView>
#include <span>

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
    QStringView rawValue() const { return value_; }      // valid while the fed text lives
    qsizetype headerLine() const { return headerLine_; } // -1: no such section
    qsizetype keyLine() const { return keyLine_; }       // -1: no such key
    // The section's last line that is not blank (its header when empty).
    qsizetype lastContentLine() const { return lastContentLine_; }

private:
    QStringView section_;
    QStringView key_;
    QStringView value_;
    qsizetype index_ = 0;
    qsizetype headerLine_ = -1;
    qsizetype keyLine_ = -1;
    qsizetype lastContentLine_ = -1;
    bool inSection_ = false;
    bool done_ = false;
};

// Feeds the lines of text (each ended by CR or LF) to every search until all
// of them know their answer.
void SearchProfileText(QStringView text, std::span<ProfileSearch> searches);
