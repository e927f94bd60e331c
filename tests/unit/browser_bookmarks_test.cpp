#include "BookmarkModel.h"
#include "BrowserBookmarks.h"
#include "FavoritesScan.h"
#include "ShortcutTime.h"
#include "TempDir.h"

#include <QMap>
#include <QRegularExpression>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// What a browser's importer sees of the file: the folders and links in the
// nesting of their DL lists, read tag by tag whatever the lines and spaces.
struct Imported
{
    QString name;
    QMap<QString, QString> attributes;
    bool folder = false;
    std::vector<Imported> children;
};

QString unescaped(QString text)
{
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&#39;", "'");
    return text.replace("&amp;", "&");
}

Imported import(const QString& html)
{
    static const QRegularExpression tag(R"(<(/?)(\w+)([^>]*)>)");
    static const QRegularExpression attribute(R"re((\w+)="([^"]*)")re");
    Imported top;
    std::vector<Imported*> lists{&top};
    bool folderNamed = false; // the last H3's list is still to come
    for (const QRegularExpressionMatch& match : tag.globalMatch(html)) {
        const QString name = match.captured(2).toUpper();
        if (match.captured(1) == "/") {
            if (name == "DL")
                lists.pop_back();
            if (lists.empty())
                return top; // more lists closed than opened
            continue;
        }
        if (name == "DL") {
            if (folderNamed)
                lists.push_back(&lists.back()->children.back());
            folderNamed = false;
            continue;
        }
        if (name != "H3" && name != "A")
            continue;
        Imported& item = lists.back()->children.emplace_back();
        item.folder = name == "H3";
        folderNamed = item.folder;
        const qsizetype textStart = match.capturedEnd(0);
        item.name = unescaped(html.mid(textStart, html.indexOf('<', textStart) - textStart));
        for (const QRegularExpressionMatch& each : attribute.globalMatch(match.captured(3)))
            item.attributes[each.captured(1)] = unescaped(each.captured(2));
    }
    return top;
}

// One line an item, indented by its depth: "name/" for a folder, else
// "name -> link".
QStringList outline(const Imported& list, int depth = 0)
{
    QStringList lines;
    for (const Imported& item : list.children) {
        const QString pad(2 * depth, ' ');
        lines << pad +
                     (item.folder ? item.name + "/" : item.name + " -> " + item.attributes["HREF"]);
        lines << outline(item, depth + 1);
    }
    return lines;
}

const Imported* find(const Imported& list, const QString& name)
{
    for (const Imported& item : list.children) {
        if (item.name == name)
            return &item;
        if (const Imported* below = find(item, name))
            return below;
    }
    return nullptr;
}

std::string shortcut(const std::string& link, const std::string& more = {})
{
    return "[InternetShortcut]\r\nURL=" + link + "\r\n" + more;
}

void setModified(const std::filesystem::path& path, time_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(BrowserBookmarksTest, ModifiedTimesReadAsWindowsWritesThem)
{
    const std::pair<QString, std::optional<qint64>> cases[] = {
        {"20F06BA06D07BD014D", 881979606}, // with the ninth byte Internet Explorer adds
        {"20f06ba06d07bd01", 881979606},
        {" 20F06BA06D07BD01 ", 881979606},
        {"20F06BA06D07BD0", std::nullopt}, // one digit short
        {"20F06BA06D07BDX1", std::nullopt},
        {"0000000000000000", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [value, seconds] : cases)
        EXPECT_EQ(ShortcutModifiedSeconds(value), seconds) << value.toStdString();
}

TEST(BrowserBookmarksTest, TheFileReadsBackAsTheTreeWithItsNamesDatesAndToolbar)
{
    TempDir temp;
    const std::filesystem::path fav = temp.mkdir("Favorites");
    temp.write("Favorites/Links/Tools & Co.url",
               shortcut("http://a.example/", "Modified=20F06BA06D07BD014D\r\n"));
    temp.write("Favorites/Say \"hi\" it's <b>.url", shortcut("mailto:x@example.com"));
    temp.write("Favorites/Müll/Café ünïcode.url", shortcut("http://b.example/k%C3%A4se"));
    temp.write("Favorites/Müll/Deep/Deeper/Gone.url", shortcut("http://c.example/gone"));
    temp.write("Favorites/Müll/Deep/Deeper/Kept.url", shortcut("file:///tmp/notes.txt"));
    temp.mkdir("Favorites/Empty");
    temp.mkdir("Favorites/Müll/Links");
    setModified(fav / "Müll/Café ünïcode.url", 1500000000);
    setModified(fav / "Müll/Deep", 1600000000);
    BookmarkModel tree;
    LoadFavorites(tree, fav);
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        if (node->entry.Title == "Gone")
            tree.setStatus(node, StatusDead);
        // A scan ends a link at a quote; an update may still bring one.
        if (node->entry.Title == "Tools & Co")
            tree.setLink(node, "http://a.example/?x=1&y=\"2\"", node->entry.Id, node->entry.Stamp);
    }

    const QStringList everything = {
        "Empty/",
        "Links/",
        "  Tools & Co -> http://a.example/?x=1&y=%222%22",
        "Müll/",
        "  Deep/",
        "    Deeper/",
        "      Gone -> http://c.example/gone",
        "      Kept -> file:///tmp/notes.txt",
        "  Links/",
        "  Café ünïcode -> http://b.example/k%C3%A4se",
        "Say \"hi\" it's <b> -> mailto:x@example.com",
    };
    for (const bool leaveOutDead : {false, true}) {
        const QByteArray bytes = BrowserBookmarksHtml(tree, leaveOutDead);
        const QString html = QString::fromUtf8(bytes);
        EXPECT_TRUE(html.startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                                    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                                    "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n"
                                    "<H1>Bookmarks</H1>\n<DL><p>\n"));
        const Imported imported = import(html);
        QStringList expected = everything;
        if (leaveOutDead)
            expected.removeAll("      Gone -> http://c.example/gone");
        EXPECT_EQ(outline(imported), expected) << html.toStdString();
        // Every list opened is closed, the outermost last.
        EXPECT_EQ(html.count("<DL><p>"), html.count("</DL><p>"));
        EXPECT_TRUE(html.endsWith("\n</DL><p>\n"));
    }

    const QString html = QString::fromUtf8(BrowserBookmarksHtml(tree, false));
    // As written, not only as read back: an importer that takes text raw
    // must meet no markup and no quote in a name or a link.
    EXPECT_TRUE(html.contains(
        R"(<A HREF="http://a.example/?x=1&amp;y=%222%22" ADD_DATE="881979606">Tools &amp; Co</A>)"));
    EXPECT_TRUE(html.contains(">Say &quot;hi&quot; it&#39;s &lt;b&gt;</A>"));
    const Imported imported = import(html);
    // Only the root's Links folder is the toolbar.
    EXPECT_EQ(imported.children[1].attributes.value("PERSONAL_TOOLBAR_FOLDER"), "true");
    EXPECT_FALSE(
        find(imported, "Müll")->children[1].attributes.contains("PERSONAL_TOOLBAR_FOLDER"));
    EXPECT_FALSE(find(imported, "Empty")->attributes.contains("PERSONAL_TOOLBAR_FOLDER"));
    // The shortcut's own time first, then the file's.
    EXPECT_EQ(find(imported, "Tools & Co")->attributes["ADD_DATE"], "881979606");
    EXPECT_EQ(find(imported, "Café ünïcode")->attributes["ADD_DATE"], "1500000000");
    const Imported* deep = find(imported, "Deep");
    EXPECT_EQ(deep->attributes["LAST_MODIFIED"], "1600000000");
    EXPECT_TRUE(QRegularExpression("^[0-9]+$").match(deep->attributes["ADD_DATE"]).hasMatch());
    EXPECT_EQ(find(imported, "Deeper")->attributes.value("HREF"), "");
}

TEST(BrowserBookmarksTest, SavingReplacesTheFileWholeAndSaysWhyItCannot)
{
    TempDir temp;
    temp.write("Favorites/One.url", shortcut("http://one.example/"));
    BookmarkModel tree;
    LoadFavorites(tree, temp / "Favorites");
    const std::filesystem::path file = temp.write("bookmarks.html", "old contents");
    QString error;
    ASSERT_TRUE(SaveBrowserBookmarks(tree, false, file, &error)) << error.toStdString();
    EXPECT_EQ(QByteArray::fromStdString(ReadFileBytes(file)), BrowserBookmarksHtml(tree, false));
    EXPECT_FALSE(SaveBrowserBookmarks(tree, false, temp / "no such folder" / "b.html", &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
