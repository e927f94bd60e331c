#include "ArchiveAnswer.h"
#include "ArchiveRequest.h"
#include "ArchiveTime.h"
#include "ArchiveTree.h"
#include "BookmarkModel.h"
#include "FavoritesScan.h"
#include "ResultsStore.h"
#include "TreeResults.h"

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

TEST(ArchiveTree, OnlyDeadLinksWithoutAFreshAnswerAreAskedAndAFoundCopyJoinsTheTooltip)
{
    const QDateTime now(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
    const TempDir dir;
    std::filesystem::create_directories(dir / "state");
    for (const char* name : {"Dead", "Answered", "Stale", "Alive", "Relinked"})
        dir.write(std::string("fav/") + name + ".url",
                  std::string("[InternetShortcut]\r\nURL=http://") + name + "/\r\n");
    ResultsStore store(dir / "state", dir / "fav");
    const auto keep = [&store](const char* name, Verdict verdict, const char* link = nullptr) {
        const QString text = QStringLiteral("http://%1/").arg(QLatin1String(link ? link : name));
        store.record(QByteArray(name) + ".url", text,
                     {verdict, VerdictWord(verdict), QStringLiteral("why")}, QDateTime());
    };
    keep("Dead", Verdict::Dead);
    keep("Answered", Verdict::Dead);
    keep("Stale", Verdict::Dead);
    keep("Alive", Verdict::Alive);
    keep("Relinked", Verdict::Dead, "elsewhere");
    store.recordArchive("Answered.url", QStringLiteral("http://Answered/"), {}, {},
                        now.addDays(-29));
    store.recordArchive("Stale.url", QStringLiteral("http://Stale/"), {}, {}, now.addDays(-30));
    BookmarkModel tree;
    LoadFavorites(tree, dir / "fav");
    ShowKeptVerdicts(tree, store, now);

    std::vector<QString> asked;
    for (const ArchiveQuestion& question : ArchiveQuestions(tree, store, now)) {
        asked.push_back(question.link);
        EXPECT_EQ(question.key, store.keyOf(question.path));
    }
    EXPECT_EQ(asked, (std::vector<QString>{QStringLiteral("http://Dead/"),
                                           QStringLiteral("http://Stale/")}));

    const ArchiveQuestion dead = ArchiveQuestions(tree, store, now).front();
    const ArchiveAnswer found{ArchiveAnswer::Kind::Found,
                              {QStringLiteral("http://web.archive.org/web/20130919044612/x"),
                               QStringLiteral("20130919044612")},
                              {}};
    // A failure keeps nothing; none is kept and changes no tooltip.
    EXPECT_FALSE(KeepArchiveAnswer(tree, store, dead, {ArchiveAnswer::Kind::Failed, {}, {}}, now));
    EXPECT_FALSE(HasFreshArchiveAnswer(*store.find(dead.key, dead.link), now));
    EXPECT_FALSE(KeepArchiveAnswer(tree, store, dead, {ArchiveAnswer::Kind::None, {}, {}}, now));
    EXPECT_TRUE(HasFreshArchiveAnswer(*store.find(dead.key, dead.link), now));
    BookmarkNode* node = KeepArchiveAnswer(tree, store, dead, found, now);
    ASSERT_TRUE(node);
    EXPECT_TRUE(BookmarkModel::entry(node)->Detail.endsWith(
        QStringLiteral("\nArchived copy from 19 September 2013")));
    // Said once, however often it comes.
    EXPECT_FALSE(KeepArchiveAnswer(tree, store, dead, found, now));
    EXPECT_EQ(BookmarkModel::entry(node)->Detail.count(QStringLiteral("Archived")), 1);
    ASSERT_TRUE(ArchivedCopyOf(&store, node));
    EXPECT_EQ(ArchivedCopyOf(&store, node)->archiveUrl, found.copy.url);
    EXPECT_FALSE(ArchivedCopyOf(nullptr, node));
    tree.setStatus(node, StatusAlive);
    EXPECT_FALSE(ArchivedCopyOf(&store, node));
}
