#include "DirectoryHandle.h"
#include "ProfileFile.h"
#include "RegularFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

TEST(DirectoryHandleTest, ReadsFilesByNameInsideTheOpenFolder)
{
    TempDir temp;
    // A name that is not UTF-8 is opened by its exact bytes.
    const std::string odd = "caf\xE9.url";
    temp.write("fav/" + odd, "[InternetShortcut]\r\nURL=http://example.com/\r\n");
    temp.write("fav/plain.url", "[InternetShortcut]\r\nURL=http://plain/\r\n");

    const DirectoryHandle folder((temp / "fav").c_str());
    ASSERT_TRUE(folder.isOpen());
    EXPECT_EQ(ReadProfileStringAt(folder.fd(), odd.c_str(), "InternetShortcut", "URL"),
              "http://example.com/");
    EXPECT_EQ(ReadProfileStringAt(folder.fd(), "plain.url", "internetshortcut", "url"),
              "http://plain/");
    EXPECT_EQ(ReadProfileStringAt(folder.fd(), "missing.url", "InternetShortcut", "URL", "def"),
              "def");
}

TEST(DirectoryHandleTest, RefusesWhatIsNotARegularFileWithoutBlocking)
{
    TempDir temp;
    temp.mkdir("fav/sub");
    ASSERT_EQ(::mkfifo((temp / "fav/pipe.url").c_str(), 0600), 0);
    const DirectoryHandle folder((temp / "fav").c_str());
    QByteArray bytes("left over");
    EXPECT_EQ(ReadRegularFileAt(folder.fd(), "sub", bytes), EISDIR);
    EXPECT_EQ(ReadRegularFileAt(folder.fd(), "pipe.url", bytes), EINVAL);
    EXPECT_TRUE(bytes.isEmpty());
}

TEST(DirectoryHandleTest, AFolderThatCannotBeOpenedGivesNoHandle)
{
    TempDir temp;
    const auto file = temp.write("file.url", "x");
    EXPECT_FALSE(DirectoryHandle((temp / "missing").c_str()).isOpen());
    EXPECT_FALSE(DirectoryHandle(file.c_str()).isOpen());
}

} // namespace
