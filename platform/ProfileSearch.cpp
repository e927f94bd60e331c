#include "ProfileSearch.h"

#include "ProfileSyntax.h"

namespace {

bool startsHeader(QStringView line)
{
    for (const QChar c : line) {
        if (!IsProfileBlank(c))
            return c == u'[';
    }
    return false;
}

// The end of the line that starts at p: the first CR or LF, or end. Both
// sort below every printable character, so one comparison settles almost
// every character.
const QChar* lineEnd(const QChar* p, const QChar* end)
{
    while (p != end && (p->unicode() > u'\r' || (*p != u'\r' && *p != u'\n')))
        ++p;
    return p;
}

} // namespace

// The names asked for are trimmed like the names in the file.
ProfileSearch::ProfileSearch(QStringView section, QStringView key)
    : section_(TrimProfileBlanks(section)), key_(TrimProfileBlanks(key))
{
}

bool ProfileSearch::feed(QStringView line)
{
    if (done_)
        return false;
    const qsizetype index = index_++;
    // Outside the section only a header can change anything, and few lines
    // are one: the others need no parse.
    if (!inSection_ && !startsHeader(line))
        return true;
    const ProfileLine parsed = ParseProfileLine(line);
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
    for (const QChar* lineStart = text.constData();;) {
        const QChar* const lineStop = lineEnd(lineStart, end);
        const QStringView line(lineStart, lineStop);
        bool open = false;
        for (ProfileSearch& search : searches)
            open = search.feed(line) || open;
        if (!open || lineStop == end)
            break;
        lineStart = lineStop + 1;
    }
}
