#include "ProfileSearch.h"

#include "ProfileSyntax.h"

namespace {

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

// The key asked for is trimmed like the names in the file.
ProfileSearch::ProfileSearch(QStringView section, QStringView key)
    : scan_(section), key_(TrimProfileBlanks(key))
{
}

bool ProfileSearch::feed(QStringView line)
{
    if (done_)
        return false;
    switch (scan_.feed(line)) {
    case ProfileSectionScan::Step::Done:
        done_ = true;
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
    done_ = true;
    value_ = parsed.value;
    return false;
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
