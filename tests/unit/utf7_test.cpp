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

TEST(Utf7Test, EncodesAsWindowsWritesAndDecodesBack)
{
    const std::pair<QString, QString> cases[] = {
        {u"http://нашаоснастка.рф/frezernaja-osnastka/cangovyj-patron-pod-konus-morze-mtb-er.html"_qs,
         "http://+BD0EMARIBDAEPgRBBD0EMARBBEIEOgQw-.+BEAERA-/frezernaja-osnastka/"
         "cangovyj-patron-pod-konus-morze-mtb-er.html"},
        {"https://x/?a=1&b=~c_d#e", "https://x/?a+AD0-1+ACY-b+AD0Afg-c+AF8-d+ACM-e"},
        {"1 + 1-2\\t", "1 +- 1-2+AFw-t"},
        {u"日-😀"_qs, "+ZeU--+2D3eAA-"},
    };
    for (const auto& [text, utf7] : cases) {
        EXPECT_EQ(EncodeUtf7(text), utf7) << qPrintable(text);
        EXPECT_EQ(DecodeUtf7(utf7), text) << qPrintable(utf7);
    }
}

} // namespace
