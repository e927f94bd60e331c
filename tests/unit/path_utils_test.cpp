#include "PathUtils.h"

#include <gtest/gtest.h>

TEST(PathUtils, SplitsAtTheLastSeparator)
{
    EXPECT_EQ(DirectoryPart("/home/u/Favorites/Mail.url"), "/home/u/Favorites/");
    EXPECT_EQ(FileNamePart("/home/u/Favorites/Mail.url"), "Mail.url");
    EXPECT_EQ(DirectoryPart("/home/u/Favorites/"), "/home/u/Favorites/");
    EXPECT_EQ(FileNamePart("/home/u/Favorites/"), "");
    EXPECT_EQ(DirectoryPart("/"), "/");
}

TEST(PathUtils, TextWithoutSeparatorIsAllFileName)
{
    EXPECT_EQ(DirectoryPart("Mail.url"), "");
    EXPECT_EQ(FileNamePart("Mail.url"), "Mail.url");
    EXPECT_EQ(DirectoryPart(""), "");
    EXPECT_EQ(FileNamePart(""), "");
#ifndef _WIN32
    // Only '/' separates here; a backslash or colon is part of a Linux name.
    EXPECT_EQ(FileNamePart("dir/a\\b:c.url"), "a\\b:c.url");
#endif
}

TEST(PathUtils, OnlyTheLastExtensionGoes)
{
    EXPECT_EQ(NameWithoutExtension("Maps.url"), "Maps");
    EXPECT_EQ(NameWithoutExtension("a.b.url"), "a.b");
    EXPECT_EQ(NameWithoutExtension(".url"), "");
    EXPECT_EQ(NameWithoutExtension(".x.url"), ".x");
    EXPECT_EQ(NameWithoutExtension("name."), "name");
    EXPECT_EQ(NameWithoutExtension("noextension"), "noextension");
}

TEST(PathUtils, DotInAFolderNameIsNoExtension)
{
    EXPECT_EQ(NameWithoutExtension("dir.x/name"), "dir.x/name");
    EXPECT_EQ(NameWithoutExtension("dir.x/name.url"), "dir.x/name");
    EXPECT_EQ(NameWithoutExtension("dir.x/"), "dir.x/");
}

TEST(ExtractField, CountsFieldsBetweenSeparators)
{
    const QString text = QStringLiteral("Maps\"http://maps.example/\"");
    EXPECT_EQ(ExtractField(text, u'"', 1), QStringLiteral("Maps"));
    EXPECT_EQ(ExtractField(text, u'"', 2), QStringLiteral("http://maps.example/"));
    // The text after the last separator is a field of its own, empty here.
    EXPECT_EQ(ExtractField(text, u'"', 3), QString());
    EXPECT_EQ(ExtractField(QStringLiteral("a,b,c"), u',', 3), QStringLiteral("c"));
    EXPECT_EQ(ExtractField(QStringLiteral(",b"), u',', 1), QString());
}

TEST(ExtractField, EmptyWhenTooFewSeparators)
{
    EXPECT_EQ(ExtractField(QStringLiteral("a"), u',', 1), QStringLiteral("a"));
    EXPECT_EQ(ExtractField(QStringLiteral("a"), u',', 2), QString());
    EXPECT_EQ(ExtractField(QStringLiteral("a,b"), u',', 3), QString());
    EXPECT_EQ(ExtractField(QString(), u',', 1), QString());
    EXPECT_EQ(ExtractField(QStringLiteral("a,b"), u',', 0), QString());
}

TEST(ExtractField, QuoteInsideTheLinkCutsItThere)
{
    // What the scan builds for a link whose URL holds a double quote.
    const QString text = QStringLiteral("Title\"http://x/?q=\"quoted\"\"");
    EXPECT_EQ(ExtractField(text, u'"', 1), QStringLiteral("Title"));
    EXPECT_EQ(ExtractField(text, u'"', 2), QStringLiteral("http://x/?q="));
}
