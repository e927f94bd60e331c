#include "NtfsOrder.h"

#include <QChar>

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Decodes one strict UTF-8 sequence at pos; returns its length, or 0 when the
// byte there does not start a valid sequence.
std::size_t decodeUtf8(const std::string& s, std::size_t pos, char32_t& cp)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(byte(i)))
            return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

char16_t upper(char16_t unit)
{
    // Most names are ASCII, where only a-z change; every entry of every
    // listing comes through here.
    if (unit < 0x80)
        return unit >= u'a' && unit <= u'z' ? char16_t(unit - u'a' + u'A') : unit;
    return static_cast<char16_t>(QChar::toUpper(static_cast<char32_t>(unit)));
}

} // namespace

std::u16string NtfsSortKey(const std::string& name)
{
    std::u16string key;
    key.reserve(name.size());
    for (std::size_t pos = 0; pos < name.size();) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(name, pos, cp);
        if (length == 0) {
            key += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(name[pos]));
            ++pos;
            continue;
        }
        pos += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            key += static_cast<char16_t>(0xD800 + (cp >> 10));
            key += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            // NTFS upper-cases unit by unit, so characters beyond the BMP keep their case.
            key += upper(static_cast<char16_t>(cp));
        }
    }
    return key;
}

bool NtfsKeyLess(const std::u16string& keyA, const std::string& a, const std::u16string& keyB,
                 const std::string& b)
{
    if (keyA != keyB)
        return keyA < keyB;
    return a < b;
}

bool NtfsNameLess(const std::string& a, const std::string& b)
{
    return NtfsKeyLess(NtfsSortKey(a), a, NtfsSortKey(b), b);
}
