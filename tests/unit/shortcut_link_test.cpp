#include "BookmarkModel.h"
#include "DirectoryHandle.h"
#include "FavoritesScan.h"
#include "ScopedLocale.h"
#include "ShortcutLink.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>

namespace {

const QString Osnastka =
    u"http://нашаоснастка.рф/frezernaja-osnastka/cangovyj-patron-pod-konus-morze-mtb-er.html"_qs;
const QString Motorezina = u"http://моторезина.рф/"_qs;

QString linkOf(const std::filesystem::path& folder, const char* name, FileId* id = nullptr)
{
    const DirectoryHandle handle(folder.c_str());
    FileId nameId{1, 1};
    const QString link = ReadShortcutLinkAt(handle.fd(), name, nameId);
    if (id)
        *id = nameId;
    return link;
}

// Outside a Russian locale the 8-bit line of these files reads as other
// letters; the Unicode section gives the address itself.
TEST(ShortcutLinkTest, RealFilesGiveTheirUnicodeAddressInAnyLocale)
{
    const std::filesystem::path realUrl = std::filesystem::path(ORVANTA_TEST_DATA) / "real-url";
    for (const char* lang : {"en_US.UTF-8", "ru_RU.UTF-8", "pl_PL.UTF-8"}) {
        ScopedLocale locale(lang);
        EXPECT_EQ(linkOf(realUrl, "cp1251-ansi-and-utf7-sections.url"), Osnastka) << lang;
        EXPECT_EQ(linkOf(realUrl, "cp1251-default-sections.url"), Motorezina) << lang;
        EXPECT_EQ(linkOf(realUrl, "WEB-SLIC.URL"), "http://go.microsoft.com/fwlink/?LinkId=121315");
        EXPECT_EQ(linkOf(realUrl, "header-and-key-on-one-line.url"), "");
    }
}

TEST(ShortcutLinkTest, UnicodeSectionWinsOnlyWhenWellFormedAndNotEmpty)
{
    ScopedLocale locale("en_US.UTF-8");
    const std::string ansi = "[InternetShortcut]\nURL=http://\xED\xE0.\xF0\xF4/\n";
    const QString garbled = u"http://íà.ðô/"_qs;
    const struct
    {
        std::string text;
        QString link;
    } cases[] = {
        {ansi + "[InternetShortcut.W]\nURL=http://+BD0EMA-.+BEAERA-/\n", u"http://на.рф/"_qs},
        {" \t[internetshortcut.w]\r\n url = \"http://+BD0EMA-.+BEAERA-/\" \r\n",
         u"http://на.рф/"_qs},
        {ansi + "[InternetShortcut.W]\nURL=http://+BD0EMA~.+BEAERA-/\n", garbled},
        {ansi + "[InternetShortcut.W]\nURL=http://+BD0EMB-.+BEAERA-/\n", garbled},
        {ansi + "[InternetShortcut.W]\nURL=\n", garbled},
        {ansi + "[InternetShortcut.W]\nURL=http://+2D0-/\n", garbled},
        {ansi + "[InternetShortcut.W]\nIconFile=http://+BD0EMA-/\n", garbled},
        // Only the first section of a name counts, and in it the first key.
        {"[InternetShortcut.W]\n[InternetShortcut.W]\nURL=http://+BD0EMA-/\n" + ansi, garbled},
        {"[InternetShortcut.W]\nURL=http://+BD0EMA~/\nURL=http://+BD0EMA-/\n" + ansi, garbled},
        {ansi, garbled},
        {"[InternetShortcut.A]\nURL=http://x/\n", ""},
    };
    TempDir temp;
    for (const auto& c : cases) {
        temp.write("fav/a.url", c.text);
        EXPECT_EQ(linkOf(temp / "fav", "a.url"), c.link) << c.text;
    }
}

TEST(ShortcutLinkTest, BoundHoldsForTheDecodedAddress)
{
    TempDir temp;
    // 1,500 Cyrillic letters take 4,000 characters of UTF-7: the address is
    // whole. 3,000 of them are cut to 2,047.
    std::string run;
    for (int i = 0; i < 500; ++i)
        run += "BDAEMQQy";
    const QString letters = QString(u"абв"_qs).repeated(500);
    temp.write("fav/a.url", "[InternetShortcut.W]\nURL=http://+" + run + "-/\n");
    EXPECT_EQ(linkOf(temp / "fav", "a.url"), "http://" + letters + "/");
    temp.write("fav/b.url", "[InternetShortcut.W]\nURL=http://+" + run + run + "-/\n");
    EXPECT_EQ(linkOf(temp / "fav", "b.url"), ("http://" + letters + letters).first(2047));
}

TEST(ShortcutLinkTest, ReportsWhatTheNameIsOrNothingWhenUnreadable)
{
    TempDir temp;
    const std::filesystem::path file = temp.write("fav/a.url", "[InternetShortcut]\nURL=http://a/");
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    FileId id;
    EXPECT_EQ(linkOf(temp / "fav", "a.url", &id), "http://a/");
    EXPECT_EQ(id, FileIdOf(st));
    EXPECT_EQ(linkOf(temp / "fav", "missing.url", &id), "");
    EXPECT_EQ(id, FileId{});
}

TEST(ShortcutLinkTest, ScanShowsTheUnicodeAddressOfRealShortcuts)
{
    ScopedLocale locale("en_US.UTF-8");
    BookmarkModel tree;
    LoadFavorites(tree, std::filesystem::path(ORVANTA_TEST_DATA) / "real-url");
    std::map<QString, QString> links;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (!entry->IsFolder)
            links[entry->Title] = entry->Link;
    }
    EXPECT_EQ(links.size(), 9u);
    EXPECT_EQ(links["cp1251-ansi-and-utf7-sections"], Osnastka);
    EXPECT_EQ(links["cp1251-default-sections"], Motorezina);
    EXPECT_EQ(links["crlf-monitored-item"], "https://ieonline.microsoft.com/#ieslice");
}

} // namespace
