#include "ScopedLocale.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// "Привет" in Windows-1251.
const QByteArray PrivetCp1251("\xCF\xF0\xE8\xE2\xE5\xF2");
const QString Privet = QStringLiteral(u"Привет");

TEST(AnsiCodePageTest, MapsLanguagesTheWayWineDoes)
{
    const struct
    {
        int codePage;
        std::vector<const char*> locales;
    } groups[] = {
        {1251,
         {"ru_RU.UTF-8", "uk_UA", "bg_BG.CP1251", "be_BY", "sr_RS@latin", "mk_MK", "ru", "RU_ru",
          "ru.KOI8-R"}},
        {1250,
         {"pl_PL.UTF-8", "cs_CZ", "sk_SK", "hu_HU", "sl_SI", "hr_HR", "ro_RO", "sq_AL", "bs_BA"}},
        {1253, {"el_GR.UTF-8"}},
        {1254, {"tr_TR", "az_AZ"}},
        {1255, {"he_IL"}},
        {1256, {"ar_EG", "fa_IR", "ur_PK"}},
        {1257, {"et_EE", "lv_LV", "lt_LT"}},
        {1258, {"vi_VN"}},
        {874, {"th_TH"}},
        {932, {"ja_JP.eucJP"}},
        {949, {"ko_KR.UTF-8"}},
        {936, {"zh_CN.GB18030", "zh_SG", "zh"}},
        {950, {"zh_TW.Big5", "zh_HK.UTF-8"}},
        {1252, {"en_US.UTF-8", "de_DE", "C.UTF-8", "C", "POSIX", "", "_RU"}},
    };
    for (const auto& group : groups) {
        for (const char* locale : group.locales)
            EXPECT_EQ(AnsiCodePageForLocale(locale), group.codePage) << locale;
    }
}

TEST(AnsiCodePageTest, TakesLcAllThenLcCtypeThenLangSkippingEmptyOnes)
{
    ScopedLocale locale("pl_PL.UTF-8");
    EXPECT_EQ(AnsiCodePage(), 1250);
    ::setenv("LC_CTYPE", "el_GR.UTF-8", 1);
    EXPECT_EQ(AnsiCodePage(), 1253);
    ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
    EXPECT_EQ(AnsiCodePage(), 932);
    ::setenv("LC_ALL", "", 1);
    EXPECT_EQ(AnsiCodePage(), 1253);
}

TEST(CodePageTest, DecodesSingleAndDoubleByteCodePages)
{
    EXPECT_EQ(DecodeCodePage(PrivetCp1251, 1251), Privet);
    EXPECT_EQ(DecodeCodePage("\x80 \xE9", 1252), QStringLiteral(u"€ é"));
    EXPECT_EQ(DecodeCodePage("\x93\xFA\x96\x7B", 932), QStringLiteral(u"日本"));
    EXPECT_EQ(DecodeCodePage("\xC4\xE3", 936), QStringLiteral(u"你"));
    // NUL bytes are text like any other.
    EXPECT_EQ(DecodeCodePage(QByteArray("a\0b", 3), 1251), QString::fromUtf16(u"a\0b", 3));
}

TEST(CodePageTest, BytesTheCodePageLacksBecomeReplacementCharacters)
{
    // 0x98 is undefined in Windows-1251; a lone lead byte ends a 932 text.
    EXPECT_EQ(DecodeCodePage("a\x98z", 1251), QStringLiteral(u"a\uFFFDz"));
    EXPECT_EQ(DecodeCodePage("ab\x93", 932), QStringLiteral(u"ab\uFFFD"));
    // A code page iconv does not know still gives text rather than nothing.
    EXPECT_EQ(DecodeCodePage("ab", 12345), QStringLiteral("ab"));
}

TEST(CodePageTest, EncodesWithQuestionMarksForWhatTheCodePageLacks)
{
    EXPECT_EQ(EncodeCodePage(Privet, 1251), PrivetCp1251);
    EXPECT_EQ(EncodeCodePage(QStringLiteral(u"a日b"), 1251), QByteArray("a?b"));
    // One '?' for a character outside the BMP, not one per surrogate.
    EXPECT_EQ(EncodeCodePage(QStringLiteral(u"x\U0001F600y"), 1252), QByteArray("x?y"));
    EXPECT_EQ(EncodeCodePage(QStringLiteral(u"日本"), 932), QByteArray("\x93\xFA\x96\x7B"));
    // Large enough to need the output buffer to grow along the way.
    const QString many(100000, QChar(u'日'));
    EXPECT_EQ(DecodeCodePage(EncodeCodePage(many, 932), 932), many);
}

TEST(EncodingTest, OnlyStrictUtf8CountsAsUtf8)
{
    EXPECT_EQ(DetectEncoding(""), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("plain [ascii]"), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding(PrivetCp1251), TextEncoding::Ansi);
    EXPECT_FALSE(DecodeUtf8Strict("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(DecodeUtf8Strict("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(DecodeUtf8Strict("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(DecodeUtf8Strict("ok\xD0"));           // cut short at the end
    QString text;
    EXPECT_TRUE(DecodeUtf8Strict("\xEF\xBB\xBFx\xF0\x9F\x98\x80", &text));
    EXPECT_EQ(text, QStringLiteral(u"\uFEFFx\U0001F600")); // a leading U+FEFF is kept
}

TEST(EncodingTest, EveryEncodingRoundTripsAndIsRecognised)
{
    ScopedLocale locale("ru_RU.UTF-8");
    const QString text = QStringLiteral(u"[Options]\r\nProxy=прокси\n");
    const QString wide = text + QStringLiteral(u"\U0001F600");
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf8Bom,
                                        TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        const QByteArray bytes = EncodeAs(wide, encoding);
        EXPECT_EQ(DetectEncoding(bytes), encoding);
        EXPECT_EQ(DecodeAs(bytes, encoding), wide);
        EXPECT_EQ(DecodeText(bytes), wide);
    }
    const QByteArray ansi = EncodeAs(text, TextEncoding::Ansi);
    EXPECT_EQ(ansi.size(), text.size());
    EXPECT_EQ(DecodeText(ansi), text);
    EXPECT_EQ(EncodeAs(u"П", TextEncoding::Utf16BE), QByteArray("\xFE\xFF\x04\x1F"));
    EXPECT_EQ(DecodeText(QByteArray("\xFF\xFEz\0!", 5)), QStringLiteral(u"z\uFFFD"));
}

TEST(EncodingTest, TextWithoutBomOrValidUtf8FollowsTheLocale)
{
    ScopedLocale locale("en_US.UTF-8");
    EXPECT_EQ(DecodeText(PrivetCp1251), QStringLiteral(u"Ïðèâåò"));
}

} // namespace
