#include "BookmarkModel.h"
#include "DirectoryHandle.h"
#include "FavoritesScan.h"
#include "ScopedLocale.h"
#include "ShortcutLink.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(ShortcutLinkTest, ScanShowsTheUnicodeAddressOfRealShortcutsInAnyLocale)
{
    ScopedLocale locale("en_US.UTF-8");
    BookmarkModel tree;
    LoadFavorites(tree, std::filesystem::path(ORVANTA_TEST_DATA) / "real-url");
    std::map<QString, QString> links;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node))
        links[BookmarkModel::entry(node)->Title] = BookmarkModel::entry(node)->Link;
    EXPECT_TRUE(links["cp1251-ansi-and-utf7-sections"].startsWith(u"http://нашаоснастка.рф/f"_qs));
    EXPECT_EQ(links["cp1251-default-sections"], u"http://моторезина.рф/"_qs);
    EXPECT_EQ(links["WEB-SLIC"], "http://go.microsoft.com/fwlink/?LinkId=121315");
}

TEST(ShortcutLinkTest, UnicodeSectionWinsOnlyWhenWellFormedAndNotEmpty)
{
    ScopedLocale locale("en_US.UTF-8");
    const std::string ansi = "[InternetShortcut]\nURL=http://\xED\xE0.\xF0\xF4/\n";
    const std::string wide = "[InternetShortcut.W]\n";
    const QString garbled = u"http://íà.ðô/"_qs;
    // 3,000 letters: the bound holds for the address, not its longer UTF-7.
    const std::string run = "+" + QByteArray("BDAEMQQy").repeated(1000).toStdString() + "-";
    const std::pair<std::string, QString> cases[] = {
        {ansi + wide + "URL=http://+BD0EMA-.+BEAERA-/\n", u"http://на.рф/"_qs},
        {" \t[internetshortcut.w]\r\n url = \"http://+BD0EMA-.+BEAERA-/\" \r\n",
         u"http://на.рф/"_qs},
        {ansi + wide + "URL=" + run, QString(u"абв"_qs).repeated(1000).first(2047)},
        {ansi + wide + "URL=http://+BD0EMB-.+BEAERA-/\n", garbled},
        {ansi + wide + "URL=\n", garbled},
        // Only the first section of a name counts.
        {wide + wide + "URL=http://+BD0EMA-/\n" + ansi, garbled},
        {"[InternetShortcut.A]\nURL=http://x/\n", ""},
    };
    TempDir temp;
    const DirectoryHandle folder(temp.mkdir("fav").c_str());
    for (const auto& [text, link] : cases) {
        temp.write("fav/a.url", text);
        FileId id;
        EXPECT_EQ(ReadShortcutLinkAt(folder.fd(), "a.url", id).link, link) << text;
        EXPECT_NE(id, FileId{});
    }
    FileId id{1, 1};
    EXPECT_EQ(ReadShortcutLinkAt(folder.fd(), "missing.url", id).link, "");
    EXPECT_EQ(id, FileId{});
}

} // namespace
