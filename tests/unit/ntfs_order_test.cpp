#include "NtfsOrder.h"

#include <QChar>
#include <gtest/gtest.h>

TEST(NtfsOrderTest, AsciiKeysAreTheUnicodeUpperCase)
{
    for (char16_t c = 1; c < 0x80; ++c) {
        const std::string name(1, char(c));
        const auto upper = char16_t(QChar::toUpper(char32_t(c)));
        EXPECT_EQ(NtfsSortKey(name), std::u16string(1, upper)) << int(c);
    }
    // Beyond ASCII the letters still fold: Cyrillic and Latin-1.
    EXPECT_EQ(NtfsSortKey("\xD1\x8F\xC3\xA9"), u"\u042F\u00C9");
}
