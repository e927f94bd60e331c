#include "PathUtils.h"

#include <gtest/gtest.h>

TEST(PathUtils, SplitsAtTheLastSeparator)
{
    EXPECT_EQ(DirectoryPart("/home/u/Favorites/Mail.url"), "/home/u/Favorites/");
    EXPECT_EQ(FileNamePart("/home/u/Favorites/Mail.url"), "Mail.url");
    EXPECT_EQ(FileNamePart("/home/u/Favorites/"), "");
    EXPECT_EQ(DirectoryPart("Mail.url"), "");
    EXPECT_EQ(FileNamePart("Mail.url"), "Mail.url");
#ifndef _WIN32
    EXPECT_EQ(FileNamePart("dir/a\\b:c.url"), "a\\b:c.url"); // both are name characters here
#endif
}

TEST(PathUtils, OnlyTheLastExtensionOfTheNameGoes)
{
    EXPECT_EQ(NameWithoutExtension("a.b.url"), "a.b");
    EXPECT_EQ(NameWithoutExtension(".url"), "");
    EXPECT_EQ(NameWithoutExtension(".x.url"), ".x");
    EXPECT_EQ(NameWithoutExtension("noextension"), "noextension");
    // A dot in a folder name is no extension.
    EXPECT_EQ(NameWithoutExtension("dir.x/name"), "dir.x/name");
    EXPECT_EQ(NameWithoutExtension("dir.x/name.url"), "dir.x/name");
}

TEST(ExtractField, NthFieldBetweenSeparators)
{
    const QString text = QStringLiteral("Maps\"http://x/?q=\"quoted\"\"");
    EXPECT_EQ(ExtractField(text, u'"', 1), QStringLiteral("Maps"));
    EXPECT_EQ(ExtractField(text, u'"', 2), QStringLiteral("http://x/?q=")); // cut at the quote
    EXPECT_EQ(ExtractField(QStringLiteral("a,b,c"), u',', 3), QStringLiteral("c"));
    EXPECT_EQ(ExtractField(QStringLiteral("a,b,"), u',', 3), QString());
    EXPECT_EQ(ExtractField(QStringLiteral(",b"), u',', 1), QString());
}

TEST(ExtractField, EmptyWhenTooFewSeparators)
{
    EXPECT_EQ(ExtractField(QStringLiteral("a"), u',', 1), QStringLiteral("a"));
    EXPECT_EQ(ExtractField(QStringLiteral("a"), u',', 2), QString());
    EXPECT_EQ(ExtractField(QStringLiteral("a,b"), u',', 3), QString());
    EXPECT_EQ(ExtractField(QStringLiteral("a,b"), u',', 0), QString());
}

TEST(PathUtils, JoiningPutsOneSeparatorAndTrimmingKeepsTheRoot)
{
    EXPECT_EQ(JoinPath("/fav", "a.url"), "/fav/a.url");
    EXPECT_EQ(JoinPath("/fav/", "a.url"), "/fav/a.url");
    EXPECT_EQ(JoinPath("", "a.url"), "/a.url");
    EXPECT_EQ(JoinPath("/fav//", "\xFF"), "/fav//\xFF") << "the folder's bytes are kept";
    EXPECT_EQ(WithoutTrailingSeparators("/fav//"), "/fav");
    EXPECT_EQ(WithoutTrailingSeparators("///"), "/");
    EXPECT_EQ(WithoutTrailingSeparators(""), "");
}
