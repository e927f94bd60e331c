#include "ArchiveAnswer.h"
#include "ArchiveRequest.h"
#include "ArchiveTime.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

std::int64_t nanoseconds(const QDateTime& time)
{
    return time.toMSecsSinceEpoch() * 1000000;
}

} // namespace

TEST(ArchiveAnswer, OnlyAnAvailable2xxSnapshotCountsAndAnythingElseThanTheJsonFails)
{
    using Kind = ArchiveAnswer::Kind;
    const QByteArray copy = "http://web.archive.org/web/20130919044612/http://example.com/";
    const auto closest = [&copy](const QByteArray& available, const QByteArray& status) {
        return "{\"url\":\"example.com\",\"archived_snapshots\":{\"closest\":{\"available\":" +
               available + ",\"url\":\"" + copy +
               "\",\"timestamp\":\"20130919044612\",\"status\":" + status + "}}}";
    };
    const struct
    {
        QByteArray body;
        Kind kind;
    } cases[] = {
        {closest("true", "\"200\""), Kind::Found},
        {closest("true", "\"206\""), Kind::Found},
        {closest("true", "\"302\""), Kind::None},
        {closest("true", "\"404\""), Kind::None},
        {closest("false", "\"200\""), Kind::None},
        {closest("true", "200"), Kind::None}, // a number is no status of the service
        {"{\"archived_snapshots\":{}}", Kind::None},
        {"{\"url\":\"x\",\"archived_snapshots\":{\"closest\":null}}", Kind::None},
        {"", Kind::Failed},
        {"<html>busy</html>", Kind::Failed},
        {"{\"archived_snapshots\":", Kind::Failed},
        {"[]", Kind::Failed},
        {"{}", Kind::Failed},
        {"{\"archived_snapshots\":[]}", Kind::Failed},
        {"{\"archived_snapshots\":{\"closest\":\"x\"}}", Kind::Failed},
        {"{\"archived_snapshots\":{\"closest\":{\"available\":true,\"status\":\"200\"}}}",
         Kind::Failed},
        {closest("true", "\"200\"").replace("20130919044612\",", "2013\","), Kind::Failed},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.body.toStdString());
        const ArchiveAnswer answer = ParseArchiveAnswer(entry.body);
        EXPECT_EQ(answer.kind, entry.kind);
        EXPECT_EQ(answer.failure.isEmpty(), entry.kind != Kind::Failed);
        if (entry.kind == Kind::Found) {
            EXPECT_EQ(answer.copy.url, QString::fromLatin1(copy));
            EXPECT_EQ(answer.copy.timestamp, QStringLiteral("20130919044612"));
        } else {
            EXPECT_TRUE(answer.copy.url.isEmpty());
        }
    }
    EXPECT_EQ(ArchivedCopyDate(QStringLiteral("20130919044612")),
              QStringLiteral("19 September 2013"));
    EXPECT_EQ(ArchivedCopyDate(QStringLiteral("20130230044612")), QString());
    EXPECT_EQ(ArchivedCopyDate(QString()), QString());
}

TEST(ArchiveTime, TheShortcutsModifiedValueWinsAndTheFileTimeStandsInForOneThatDoesNotParse)
{
    const QDateTime fileTime(QDate(2020, 5, 6), QTime(7, 8, 9), Qt::UTC);
    const struct
    {
        const char* modified;
        const char* timestamp;
    } cases[] = {
        // 2013-09-19 04:46:12 UTC, with the byte Windows writes after it.
        {"00024C2AF3B4CE0162", "20130919044612"},
        {"00024C2AF3B4CE01", "20130919044612"},
        {" 60ADD7B6C5A1D201 ", "20170320220249"},
        {"60add7b6c5a1d201", "20170320220249"},
        {"", "20200506070809"},
        {"00024C2AF3B4CE", "20200506070809"},   // too short
        {"00024C2AF3B4CEZZ", "20200506070809"}, // not hex
        {"0000000000000000", "20200506070809"}, // no time at all
        {"00C0D4AA15B19D01", "20200506070809"}, // before 1970
        {"FFFFFFFFFFFFFFFF", "20200506070809"}, // past any year the service reads
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.modified);
        EXPECT_EQ(ArchiveTimestamp(QString::fromLatin1(entry.modified), nanoseconds(fileTime)),
                  QByteArray(entry.timestamp));
    }

    const TempDir dir;
    const auto shortcut = dir.write("a.url", "[DEFAULT]\r\nBASEURL=http://a/\r\n"
                                             "[InternetShortcut]\r\nURL=http://a/\r\n"
                                             "Modified=00024C2AF3B4CE0162\r\n");
    EXPECT_EQ(ShortcutModifiedValue(shortcut.native()), QStringLiteral("00024C2AF3B4CE0162"));
    const auto elsewhere = dir.write("b.url", "[Other]\r\nModified=00024C2AF3B4CE0162\r\n"
                                              "[InternetShortcut]\r\nURL=http://b/\r\n");
    EXPECT_EQ(ShortcutModifiedValue(elsewhere.native()), QString());
    EXPECT_EQ(ShortcutModifiedValue((dir / "missing.url").native()), QString());
}

TEST(ArchiveRequest, TheLinkGoesInTheQueryEscapedWhateverItHolds)
{
    EXPECT_EQ(ArchiveQueryUrl(QStringLiteral("https://archive.org/"),
                              QStringLiteral("http://a.example/x?b=1&c=2#top"), "20130919044612"),
              QByteArray("https://archive.org/wayback/available?url=http%3A%2F%2Fa.example%2Fx%3Fb%"
                         "3D1%26c%3D2%23top&timestamp=20130919044612"));
    EXPECT_EQ(ArchiveQueryUrl(QStringLiteral(" http://127.0.0.1:9 "), QStringLiteral("http://ü/"),
                              "20200101000000"),
              QByteArray("http://127.0.0.1:9/wayback/available?url=http%3A%2F%2F%C3%BC%2F&"
                         "timestamp=20200101000000"));
}
