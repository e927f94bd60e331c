#include "ProfileSearch.h"

#include "ProfileSyntax.h"

// The names asked for are trimmed like the names in the file.
ProfileSearch::ProfileSearch(QStringView section, QStringView key)
    : section_(TrimProfileBlanks(section)), key_(TrimProfileBlanks(key))
{
}

bool ProfileSearch::feed(QStringView line)
{
    return feed(ParseProfileLine(line));
}

bool ProfileSearch::feed(const ProfileLine& parsed)
{
    if (done_)
        return false;
    const qsizetype index = index_++;
    switch (parsed.kind) {
    case ProfileLine::Blank:
        return true;
    case ProfileLine::Header:
        if (inSection_) {
            done_ = true; // a later section of the same name is never read
            return false;
        }
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
        done_ = true;
        return false;
    case ProfileLine::Other:
        if (inSection_)
            lastContentLine_ = index;
        return true;
    }
    return true;
}

void SearchProfileText(QStringView text, std::span<ProfileSearch> searches)
{
    const QChar* const end = text.constData() + text.size();
    const QChar* lineStart = text.constData();
    for (const QChar* p = lineStart;; ++p) {
        if (p != end && *p != u'\r' && *p != u'\n')
            continue;
        const ProfileLine parsed = ParseProfileLine(QStringView(lineStart, p));
        bool open = false;
        for (ProfileSearch& search : searches)
            open = search.feed(parsed) || open;
        if (!open || p == end)
            break;
        lineStart = p + 1;
    }
}
