#include "Utf7.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf7Test, DecodesWellFormedTextAsWindowsWritesIt)
{
    const std::pair<QString, QString> cases[] = {
        {"Hi Mom -+Jjo--!", u"Hi Mom -☺-!"_qs},
        {"+ZeVnLIqe-", u"日本語"_qs},
        {"1 +- 1", "1 + 1"},
        {"+2D0-+3gA-x+BDA", u"😀xа"_qs}, // a pair over two runs; a run ending the text
        {"", ""},
        {"http://+BD0EMARIBDAEPgRBBD0EMARBBEIEOgQw-.+BEAERA-/frezernaja-osnastka/x.html",
         u"http://нашаоснастка.рф/frezernaja-osnastka/x.html"_qs},
        {"http://+BDwEPgRCBD4EQAQ1BDcEOAQ9BDA-.+BEAERA-/?a=\"b\"&c#d",
         u"http://моторезина.рф/?a=\"b\"&c#d"_qs},
    };
    for (const auto& [utf7, text] : cases)
        EXPECT_EQ(DecodeUtf7(utf7), text) << qPrintable(utf7);
}

TEST(Utf7Test, RefusesMalformedText)
{
    // Bad digits, unused bits, lone surrogates, NUL, characters to encode.
    const QString cases[] = {
        "+BDA\\-",    u"+BD\u00e9A-"_qs,
        "+AKN-",      "+AKMA-",
        "+A-",        "a+!",
        "http://x/+", "+2D0-",
        "+3gA-+2D0-", "+2D0-x+3gA-",
        "+AAA-",      QStringView(u"a\0b", 3).toString(),
        "x\x01y",     "~user",
        "a\\b",       u"http://нашаоснастка.рф/"_qs,
    };
    for (const QString& text : cases)
        EXPECT_EQ(DecodeUtf7(text), std::nullopt) << qPrintable(text);
}

} // namespace
