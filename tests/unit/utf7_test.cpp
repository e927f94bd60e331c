#include "Utf7.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf7Test, DecodesWellFormedText)
{
    const struct
    {
        QString utf7;
        QString text;
    } cases[] = {
        {"Hi Mom -+Jjo--!", u"Hi Mom -☺-!"_qs},
        {"A+ImIDkQ.", u"A≢Α."_qs},
        {"+ZeVnLIqe-", u"日本語"_qs},
        {"Item 3 is +AKM-1.", u"Item 3 is £1."_qs},
        {"1 +- 1", "1 + 1"},
        {"+2D3eAA-", u"😀"_qs},
        // A pair split over two runs is still one character.
        {"+2D0-+3gA-", u"😀"_qs},
        // A run may end at the end of the text.
        {"x+BDA", u"xа"_qs},
        {"", ""},
        // As Windows writes the address of a shortcut.
        {"http://+BD0EMARIBDAEPgRBBD0EMARBBEIEOgQw-.+BEAERA-/frezernaja-osnastka/"
         "cangovyj-patron-pod-konus-morze-mtb-er.html",
         u"http://нашаоснастка.рф/frezernaja-osnastka/cangovyj-patron-pod-konus-morze-mtb-er.html"_qs},
        {"http://+BDwEPgRCBD4EQAQ1BDcEOAQ9BDA-.+BEAERA-/public/img/ico/favicon.ico",
         u"http://моторезина.рф/public/img/ico/favicon.ico"_qs},
        {"http://+BDAEMQQyBDMENA-.+BEAEMQ-/", u"http://абвгд.рб/"_qs},
        {"http://a.b/?q=1&x=\"y\"#top;[1]{2}|^`@$%*!<>_",
         "http://a.b/?q=1&x=\"y\"#top;[1]{2}|^`@$%*!<>_"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeUtf7(c.utf7), c.text) << qPrintable(c.utf7);
}

TEST(Utf7Test, RefusesMalformedText)
{
    const QString cases[] = {
        "http://+BDA\\-/",                  // a run ended by a character that must be encoded
        u"+BD\u00e9A-"_qs,                  // an 8-bit character inside a run
        "+BD!",                             // 12 bits left over: a whole unused digit
        "+AKMA-",                           // 8 bits left over
        "+AKN-",                            // unused bits not zero
        "+A-",                              // not even one unit
        "a+!",                              // '+' opening nothing
        "http://x/+",                       // '+' at the end
        "+2D0-",                            // lone high surrogate
        "+3gA-",                            // lone low surrogate
        "+3gA-+2D0-",                       // surrogates in the wrong order
        "+2D0-x+3gA-",                      // a pair broken by a direct character
        "+AAA-",                            // NUL
        QStringView(u"a\0b", 3).toString(), // NUL written directly
        "x\x01y",                           // control character
        "~user",                            // '~' and '\' are never direct
        "a\\b",
        u"http://нашаоснастка.рф/"_qs, // 8-bit text read in a code page
        u"caf\u00e9"_qs,
    };
    for (const QString& text : cases)
        EXPECT_EQ(DecodeUtf7(text), std::nullopt) << qPrintable(text);
}

} // namespace
