#include "ShortcutTime.h"

namespace {

// FILETIME counts 100 ns steps from 1601; 1970 is this many seconds later.
constexpr quint64 TicksPerSecond = 10'000'000;
constexpr quint64 SecondsFrom1601To1970 = 11'644'473'600;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

std::optional<qint64> ShortcutModifiedSeconds(QStringView value)
{
    value = value.trimmed();
    if (value.size() < 16)
        return std::nullopt;
    quint64 ticks = 0;
    for (int byte = 0; byte < 8; ++byte) {
        const int high = hexDigit(value[2 * byte]);
        const int low = hexDigit(value[2 * byte + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        ticks |= quint64(high * 16 + low) << (8 * byte);
    }
    const quint64 seconds = ticks / TicksPerSecond;
    // An empty time, or one before 1970, says nothing of when a page was saved.
    if (seconds <= SecondsFrom1601To1970)
        return std::nullopt;
    return qint64(seconds - SecondsFrom1601To1970);
}
