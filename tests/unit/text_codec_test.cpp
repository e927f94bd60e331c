#include "ScopedLocale.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// "Привет" in Windows-1251.
const QByteArray PrivetCp1251("\xCF\xF0\xE8\xE2\xE5\xF2");
const QString Privet = QStringLiteral(u"Привет");

TEST(AnsiCodePageTest, MapsLanguagesTheWayWineDoes)
{
    const struct
    {
        const char* locale;
        int codePage;
    } cases[] = {
        {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251},      {"bg_BG.CP1251", 1251}, {"be_BY", 1251},
        {"sr_RS@latin", 1251}, {"mk_MK", 1251},      {"ru", 1251},           {"RU_ru", 1251},
        {"ru.KOI8-R", 1251},   {"pl_PL.UTF-8", 1250}, {"cs_CZ", 1250},       {"hu_HU", 1250},
        {"hr_HR", 1250},       {"ro_RO", 1250},      {"el_GR.UTF-8", 1253},  {"tr_TR", 1254},
        {"az_AZ", 1254},       {"he_IL", 1255},      {"ar_EG", 1256},        {"fa_IR", 1256},
        {"ur_PK", 1256},       {"et_EE", 1257},      {"lv_LV", 1257},        {"lt_LT", 1257},
        {"vi_VN", 1258},       {"th_TH", 874},       {"ja_JP.eucJP", 932},   {"ko_KR.UTF-8", 949},
        {"zh_CN.GB18030", 936}, {"zh_SG", 936},      {"zh", 936},            {"zh_TW.Big5", 950},
        {"zh_HK.UTF-8", 950},  {"en_US.UTF-8", 1252}, {"de_DE", 1252},       {"C.UTF-8", 1252},
        {"POSIX", 1252},       {"", 1252},           {"_RU", 1252},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnsiCodePageForLocale(c.locale), c.codePage) << c.locale;
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

TEST(EncodingTest, DetectsByteOrderMarksThenUtf8ThenAnsi)
{
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBFx"), TextEncoding::Utf8Bom);
    EXPECT_EQ(DetectEncoding("\xFF\xFEx\0"), TextEncoding::Utf16LE);
    EXPECT_EQ(DetectEncoding("\xFE\xFF\0x"), TextEncoding::Utf16BE);
    EXPECT_EQ(DetectEncoding(""), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("plain [ascii]"), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding(Privet.toUtf8()), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding(PrivetCp1251), TextEncoding::Ansi);
}

TEST(EncodingTest, OnlyStrictUtf8CountsAsUtf8)
{
    EXPECT_FALSE(DecodeUtf8Strict("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(DecodeUtf8Strict("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(DecodeUtf8Strict("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(DecodeUtf8Strict("ok\xD0"));           // cut short at the end
    QString text;
    EXPECT_TRUE(DecodeUtf8Strict("\xEF\xBB\xBFx\xF0\x9F\x98\x80", &text));
    EXPECT_EQ(text, QStringLiteral(u"\uFEFFx\U0001F600")); // a leading U+FEFF is kept
}

TEST(EncodingTest, DecodeTextFollowsTheBomOrTheLocale)
{
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xD0\x9F"), QStringLiteral(u"П"));
    EXPECT_EQ(DecodeText(QByteArray("\xFF\xFE\x1F\x04\r\0", 6)), QStringLiteral(u"П\r"));
    EXPECT_EQ(DecodeText(QByteArray("\xFE\xFF\x04\x1F\0\r", 6)), QStringLiteral(u"П\r"));
    EXPECT_EQ(DecodeText(QByteArray("\xFF\xFEz\0!", 5)), QStringLiteral(u"z\uFFFD"));
    {
        ScopedLocale locale("ru_RU.UTF-8");
        EXPECT_EQ(DecodeText(PrivetCp1251), Privet);
    }
    {
        ScopedLocale locale("en_US.UTF-8");
        EXPECT_EQ(DecodeText(PrivetCp1251), QStringLiteral(u"Ïðèâåò"));
    }
}

TEST(EncodingTest, EncodeAndDecodeRoundTripInEveryEncoding)
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
    EXPECT_EQ(DecodeAs(ansi, TextEncoding::Ansi), text);
    EXPECT_EQ(EncodeAs(u"П", TextEncoding::Utf16BE), QByteArray("\xFE\xFF\x04\x1F"));
    EXPECT_EQ(ToLocal8Bit(QStringLiteral(u"П")), QByteArray("\xD0\x9F"));
}

} // namespace
