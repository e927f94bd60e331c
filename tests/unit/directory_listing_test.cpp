#include "DirectoryListing.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

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

const DirEntry* find(const std::vector<DirEntry>& entries, const std::string& name)
{
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const DirEntry& entry) { return entry.name == name; });
    return it == entries.end() ? nullptr : &*it;
}

using Names = std::vector<std::string>;

} // namespace

TEST(MatchesPattern, StarDotStarMatchesEveryName)
{
    for (const char* name : {"Travel", "a.b", ".", "..", ".hidden", "x.", "old.url"})
        EXPECT_TRUE(MatchesPattern(name, "*.*")) << name;
    EXPECT_TRUE(MatchesPattern("readme", "readme.*"));
    EXPECT_FALSE(MatchesPattern("readme2", "readme.*"));
}

TEST(MatchesPattern, UrlPatternIgnoresCase)
{
    for (const char* name : {"Mail.url", "X.URL", "a.b.Url", ".url", "..url"})
        EXPECT_TRUE(MatchesPattern(name, "*.url")) << name;
    for (const char* name : {"Mail.url.bak", "Mailurl", "Mail.ur", "url", "Mail.urlx"})
        EXPECT_FALSE(MatchesPattern(name, "*.url")) << name;
}

TEST(MatchesPattern, QuestionMarkIsOneCharacter)
{
    EXPECT_TRUE(MatchesPattern("a1.url", "a?.url"));
    EXPECT_FALSE(MatchesPattern("a.url", "a?.url"));
    EXPECT_FALSE(MatchesPattern("a12.url", "a?.url"));
    // A two-byte UTF-8 letter is still one character.
    EXPECT_TRUE(MatchesPattern("a\xD0\xAF.url", "a?.url"));
    EXPECT_TRUE(MatchesPattern("abcabd", "*ab?"));
    EXPECT_TRUE(MatchesPattern("aXbXc", "a*b*c"));
    EXPECT_FALSE(MatchesPattern("aXbX", "a*b*c"));
    EXPECT_TRUE(MatchesPattern("", "*"));
    EXPECT_FALSE(MatchesPattern("a", ""));
}

TEST(NtfsOrder, UpperCasedUtf16Order)
{
    // Upper-casing puts '_' (0x5F) after every letter, unlike a plain byte order.
    EXPECT_TRUE(NtfsNameLess("zeta", "_under"));
    EXPECT_TRUE(NtfsNameLess("alpha", "Beta"));
    EXPECT_FALSE(NtfsNameLess("Beta", "alpha"));
    // Cyrillic: Б (U+0411) before я (U+044F, upper-cased U+042F).
    EXPECT_TRUE(NtfsNameLess("\xD0\x91", "\xD1\x8F"));
    // Names that differ only in case still have a fixed order: by their bytes.
    EXPECT_TRUE(NtfsNameLess("ABC", "abc"));
    EXPECT_FALSE(NtfsNameLess("abc", "ABC"));
    EXPECT_FALSE(NtfsNameLess("abc", "abc"));
}

TEST(NtfsOrder, CharactersBeyondTheBmpSortAsSurrogates)
{
    // U+1F600 becomes D83D DE00 and so comes before U+FF21 (FULLWIDTH A).
    EXPECT_TRUE(NtfsNameLess("\xF0\x9F\x98\x80", "\xEF\xBC\xA1"));
    EXPECT_TRUE(NtfsNameLess("\xEF\xBC\xA1", "\xEF\xBF\xBD"));
}

TEST(NtfsOrder, InvalidUtf8HasAStablePlace)
{
    // Stray bytes land in U+DC80..U+DCFF: after Cyrillic, before U+E000 and up.
    const std::string stray = "\xFF";
    const std::string overlong = "\xC0\xAF";
    EXPECT_TRUE(NtfsNameLess("\xD1\x8F", stray));
    EXPECT_TRUE(NtfsNameLess(stray, "\xEE\x80\x80"));
    EXPECT_TRUE(NtfsNameLess(overlong, stray));
    EXPECT_FALSE(NtfsNameLess(stray, overlong));
    // A truncated sequence is escaped too, byte by byte.
    EXPECT_TRUE(NtfsNameLess("a\xD0", "a\xFF"));
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
    const auto locked = temp.mkdir("locked");
    ::chmod(locked.c_str(), 0555);

    const auto entries = list(temp.path(), "*.*", MaskAnyFile);
    EXPECT_EQ(names(entries), (Names{".", "..", ".hidden.url", "dangling", "dir", "dir-link",
                                     "file-link", "file.txt", "locked"}));
    EXPECT_EQ(find(entries, ".")->attributes, faDirectory);
    EXPECT_EQ(find(entries, "..")->attributes & faHidden, 0);
    EXPECT_EQ(find(entries, "dir")->attributes, faDirectory);
    EXPECT_EQ(find(entries, "dir-link")->attributes, faDirectory);
    EXPECT_EQ(find(entries, "file.txt")->attributes, faArchive);
    EXPECT_EQ(find(entries, "file-link")->attributes, faArchive);
    EXPECT_EQ(find(entries, "dangling")->attributes, faArchive);
    EXPECT_EQ(find(entries, ".hidden.url")->attributes, faHidden | faArchive);
    EXPECT_EQ(find(entries, "locked")->attributes, faDirectory | faReadOnly);
    for (const auto& entry : entries)
        EXPECT_EQ(entry.attributes & (faSysFile | faVolumeID), 0) << entry.name;
}

TEST(ListDirectory, LinkedDirectoryCarriesItsTargetsIdentity)
{
    TempDir temp;
    const auto dir = temp.mkdir("dir");
    std::filesystem::create_directory_symlink(dir, temp / "dir-link");
    struct stat st;
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);

    const auto entries = list(temp.path(), "*.*", MaskDirectories);
    for (const char* name : {"dir", "dir-link"}) {
        SCOPED_TRACE(name);
        const DirEntry* entry = find(entries, name);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->device, std::uint64_t(st.st_dev));
        EXPECT_EQ(entry->inode, std::uint64_t(st.st_ino));
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
