#include "DirectoryHandle.h"
#include "DirectoryListing.h"
#include "NtfsOrder.h"
#include "WildcardMatch.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<DirEntry> list(const std::filesystem::path& dir, const std::string& pattern, int mask)
{
    std::vector<DirEntry> entries;
    EXPECT_TRUE(ListDirectory(dir, pattern, mask, entries));
    return entries;
}

std::vector<std::string> names(const std::vector<DirEntry>& entries)
{
    std::vector<std::string> result;
    for (const auto& entry : entries)
        result.push_back(entry.name);
    return result;
}

using Names = std::vector<std::string>;

} // namespace

TEST(MatchesPattern, WindowsWildcardsWithoutRegardToCase)
{
    for (const char* name : {"Travel", "a.b", ".", "..", "old.url"})
        EXPECT_TRUE(MatchesPattern(name, "*.*")) << name;
    for (const char* name : {"Mail.url", "X.URL", ".url"})
        EXPECT_TRUE(MatchesPattern(name, "*.url")) << name;
    for (const char* name : {"Mail.url.bak", "Mailurl", "url"})
        EXPECT_FALSE(MatchesPattern(name, "*.url")) << name;
    EXPECT_TRUE(MatchesPattern("readme", "readme.*"));
    EXPECT_TRUE(MatchesPattern("aXbXc", "a*b*c"));
    EXPECT_FALSE(MatchesPattern("aXbX", "a*b*c"));
    // '?' is one character, also when UTF-8 needs two bytes for it.
    EXPECT_TRUE(MatchesPattern("a\xD0\xAF.url", "a?.url"));
    EXPECT_FALSE(MatchesPattern("a12.url", "a?.url"));
}

TEST(NtfsOrder, UpperCasedUtf16ThenBytes)
{
    EXPECT_TRUE(NtfsNameLess("zeta", "_under")); // '_' sorts after upper-cased letters
    EXPECT_TRUE(NtfsNameLess("ABC", "abc"));     // same key: raw bytes decide
    EXPECT_FALSE(NtfsNameLess("abc", "ABC"));
    // U+1F600 is D83D DE00 in UTF-16 and so comes before U+FF21.
    EXPECT_TRUE(NtfsNameLess("\xF0\x9F\x98\x80", "\xEF\xBC\xA1"));
    // Bytes that are no UTF-8 sit at U+DC80 + byte: after Cyrillic, before U+E000.
    EXPECT_TRUE(NtfsNameLess("\xD1\x8F", "\xFF"));
    EXPECT_TRUE(NtfsNameLess("\xFF", "\xEE\x80\x80"));
    EXPECT_TRUE(NtfsNameLess("\xC0\xAF", "\xFF")); // an overlong form is two stray bytes
}

TEST(ListDirectory, SortsTheWayNtfsLists)
{
    TempDir temp;
    for (const char* name : {"zeta.url", "_under.url", "Alpha.url", "beta.url", "BETA2.url",
                             "\xD1\x8F.url", "\xD0\x91.url", "b\xFF.url"})
        temp.write(name, "");
    EXPECT_EQ(names(list(temp.path(), "*.url", MaskAnyFile)),
              (Names{"Alpha.url", "beta.url", "BETA2.url", "b\xFF.url", "zeta.url", "_under.url",
                     "\xD0\x91.url", "\xD1\x8F.url"}));
}

TEST(ListDirectory, GivesAttributesOfWhatNamesLeadTo)
{
    TempDir temp;
    const auto dir = temp.mkdir("dir");
    temp.write("file.txt", "x");
    temp.write(".hidden.url", "x");
    std::filesystem::create_directory_symlink(dir, temp / "dir-link");
    std::filesystem::create_symlink(temp / "file.txt", temp / "file-link");
    std::filesystem::create_symlink(temp / "nowhere", temp / "dangling");
    ::chmod(temp.mkdir("locked").c_str(), 0555);

    std::map<std::string, int> attributes;
    std::set<std::string> links;
    for (const DirEntry& entry : list(temp.path(), "*.*", MaskAnyFile)) {
        attributes[entry.name] = entry.attributes;
        if (entry.isLink)
            links.insert(entry.name);
    }
    EXPECT_EQ(links, (std::set<std::string>{"dir-link", "file-link", "dangling"}));
    const std::map<std::string, int> expected{
        {".", faDirectory},
        {"..", faDirectory},
        {"dir", faDirectory},
        {"dir-link", faDirectory},
        {"file.txt", faArchive},
        {"file-link", faArchive},
        {"dangling", faArchive},
        {".hidden.url", faHidden | faArchive},
        {"locked", faDirectory | faReadOnly},
    };
    EXPECT_EQ(attributes, expected);

    // A directory link carries the identity of its target, for loop detection.
    struct stat st;
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    for (const DirEntry& entry : list(temp.path(), "dir*", MaskDirectories)) {
        EXPECT_EQ(entry.device, std::uint64_t(st.st_dev)) << entry.name;
        EXPECT_EQ(entry.inode, std::uint64_t(st.st_ino)) << entry.name;
    }

    // A folder held open lists the same, however often it is listed.
    const DirectoryHandle held(temp.path().c_str());
    for (int round = 0; round < 2; ++round) {
        std::vector<DirEntry> entries;
        ASSERT_TRUE(ListDirectoryAt(held.fd(), "*.*", MaskAnyFile, entries));
        EXPECT_EQ(names(entries), names(list(temp.path(), "*.*", MaskAnyFile))) << round;
    }
}

TEST(ListDirectory, MaskSkipsHiddenAndDirectoriesItLacks)
{
    TempDir temp;
    temp.mkdir("Travel");
    temp.mkdir(".backup");
    temp.mkdir("old.url");
    temp.write("Mail.url", "");
    temp.write(".x.url", "");
    temp.write("notes.txt", "");

    // The folders listing keeps plain files and directories, never hidden ones.
    EXPECT_EQ(names(list(temp.path(), "*.*", MaskDirectories)),
              (Names{".", "..", "Mail.url", "notes.txt", "old.url", "Travel"}));
    // Any-file lists hidden files, and directories whose names match.
    EXPECT_EQ(names(list(temp.path(), "*.url", MaskAnyFile)),
              (Names{".x.url", "Mail.url", "old.url"}));
    // Without the directory bit, directories are left out.
    EXPECT_EQ(names(list(temp.path(), "*.url", faHidden | faArchive)),
              (Names{".x.url", "Mail.url"}));
}

TEST(ListDirectory, FailsOnlyForWhatCannotBeOpened)
{
    TempDir temp;
    const auto file = temp.write("file", "x");
    std::vector<DirEntry> entries(1); // whatever was there before goes
    EXPECT_FALSE(ListDirectory(temp / "missing", "*.*", MaskAnyFile, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(ListDirectory(file, "*.*", MaskAnyFile, entries));

    EXPECT_TRUE(ListDirectory(temp.path(), "*.url", MaskAnyFile, entries));
    EXPECT_TRUE(entries.empty());
}
