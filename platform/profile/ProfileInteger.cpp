#include "ProfileInteger.h"

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

} // namespace

std::optional<std::int32_t> ParseProfileInteger(const QString& text)
{
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }

    int base = 10;
    const QStringView rest = QStringView(text).mid(pos);
    if (rest.startsWith(u'$') || rest.startsWith(u'x') || rest.startsWith(u'X')) {
        base = 16;
        pos += 1;
    } else if (rest.startsWith(u"0x") || rest.startsWith(u"0X")) {
        base = 16;
        pos += 2;
    }

    if (pos >= text.size())
        return std::nullopt;

    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = digitValue(text[pos], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * std::uint64_t(base) + std::uint64_t(digit);
        if (magnitude > limit)
            return std::nullopt;
    }

    const auto pattern = static_cast<std::uint32_t>(magnitude);
    const std::uint32_t result = negative ? 0u - pattern : pattern;
    return static_cast<std::int32_t>(result);
}
