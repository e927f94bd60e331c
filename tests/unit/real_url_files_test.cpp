#include "ProfileFile.h"
#include "ScopedLocale.h"

#include <gtest/gtest.h>

#include <filesystem>

// Shortcut files saved by real Windows systems, read the way the Favorites
// scan reads them.

namespace {

QString urlOf(const char* name)
{
    const std::filesystem::path file = std::filesystem::path(ORVANTA_TEST_DATA) / "real-url" / name;
    return ReadProfileString(file, "InternetShortcut", "URL");
}

TEST(RealUrlFilesTest, EachGivesTheLinkWindowsReads)
{
    ScopedLocale locale("ru_RU.UTF-8");
    const struct
    {
        const char* file;
        QString link;
    } cases[] = {
        {"crlf-monitored-item.url", "https://ieonline.microsoft.com/#ieslice"},
        {"crlf-idlist-before-url.url", "http://go.microsoft.com/fwlink/p/?LinkId=255142"},
        {"WEB-SLIC.URL", "http://go.microsoft.com/fwlink/?LinkId=121315"},
        {"frame-sections-javascript-origurl.url",
         "https://www.avito.ru/sankt-peterburg/oborudovanie_dlya_biznesa/"
         "stanok_nastolno-sverlilnyy_2m-112_531120532"},
        {"empty-file.url", ""},
        // The text after "]" belongs to the header line, so there is no key.
        {"header-and-key-on-one-line.url", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(urlOf(c.file), c.link) << c.file;
}

TEST(RealUrlFilesTest, CyrillicFilesDecodeInTheLocaleCodePage)
{
    const char* const osnastka = "cp1251-ansi-and-utf7-sections.url";
    const char* const motorezina = "cp1251-default-sections.url";
    const QString path = "/frezernaja-osnastka/cangovyj-patron-pod-konus-morze-mtb-er.html";
    {
        ScopedLocale locale("ru_RU.UTF-8");
        EXPECT_EQ(urlOf(osnastka), u"http://нашаоснастка.рф"_qs + path);
        EXPECT_EQ(urlOf(motorezina), u"http://моторезина.рф/"_qs);
    }
    {
        // Windows-1252 for an English locale: the same bytes, other letters.
        ScopedLocale locale("en_US.UTF-8");
        EXPECT_EQ(urlOf(osnastka), u"http://íàøàîñíàñòêà.ðô"_qs + path);
        EXPECT_EQ(urlOf(motorezina), u"http://ìîòîðåçèíà.ðô/"_qs);
    }
}

TEST(RealUrlFilesTest, LongPortalLinkIsReadWhole)
{
    const QString link = urlOf("long-portal-url.url");
    EXPECT_EQ(link.size(), 1305);
    EXPECT_TRUE(link.startsWith("https://rosreestr.ru/wps/portal/p/cc_ib_ros_reestr/"));
    EXPECT_TRUE(link.endsWith("BeanNameParameterHandlerMapping-PATH=%2fOfficesList"));
    // The same link stands in the [DEFAULT] section of the file.
    const std::filesystem::path file =
        std::filesystem::path(ORVANTA_TEST_DATA) / "real-url" / "long-portal-url.url";
    EXPECT_EQ(ReadProfileString(file, "DEFAULT", "BASEURL"), link);
}

} // namespace
