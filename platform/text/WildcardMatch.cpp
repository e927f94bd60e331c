#include "WildcardMatch.h"

namespace {

char foldAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Length of the character starting at pos, so that '?' stands for a whole
// character of a UTF-8 name and not for one of its bytes.
std::size_t characterLength(const std::string& s, std::size_t pos)
{
    std::size_t end = pos + 1;
    if (static_cast<unsigned char>(s[pos]) >= 0xC0) {
        while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80 &&
               end - pos < 4)
            ++end;
    }
    return end - pos;
}

bool wildcardMatch(const std::string& name, const std::string& pattern)
{
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::string::npos; // pattern position after the last '*'
    std::size_t starName = 0;                    // where that '*' stopped matching
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '?') {
            n += characterLength(name, n);
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
        } else if (p < pattern.size() && foldAscii(pattern[p]) == foldAscii(name[n])) {
            ++n;
            ++p;
        } else if (starPattern != std::string::npos) {
            // Let the last '*' swallow one more character and try again from there.
            starName += characterLength(name, starName);
            n = starName;
            p = starPattern;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    // What every scan asks for; it matches any name, so no name is looked at.
    if (pattern == "*" || pattern == "*.*")
        return true;
    if (wildcardMatch(name, pattern))
        return true;
    // A trailing ".*" also matches a name without any dot there: "*.*" lists
    // every name, "readme.*" finds "readme".
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0)
        return wildcardMatch(name, pattern.substr(0, pattern.size() - 2));
    return false;
}
