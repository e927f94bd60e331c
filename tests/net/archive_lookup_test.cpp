#include "ArchiveLookupRun.h"
#include "ArchiveLookups.h"

#include "ArchiveStandIn.h"
#include "CurlGlobalEnvironment.h"
#include "NoSystemProxy.h"
#include "RefusingPort.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

using Kind = ArchiveAnswer::Kind;
using namespace std::chrono_literals;

// The shortest gap two requests may arrive at, leaving room for one of them
// to have been on the way longer than the other.
constexpr auto AtLeastASecond = 900ms;
// The time the file stands for when the shortcut has no Modified=.
const QDateTime FileTime(QDate(2020, 5, 6), QTime(7, 8, 9), Qt::UTC);

ArchiveQuestion question(const char* link)
{
    return {
        QByteArray(link), QString::fromLatin1(link), {}, FileTime.toMSecsSinceEpoch() * 1000000};
}

struct Heard
{
    QString link;
    Kind kind;
    ArchivedCopy copy;
};

struct Outcome
{
    ArchiveEnd end;
    std::vector<Heard> heard;
};

Outcome lookUp(const ArchiveStandIn& archive, const QList<ArchiveQuestion>& questions,
               ArchiveManners manners = {})
{
    const std::atomic_bool cancel{false};
    manners.timeoutMs = 500; // shorter than the slow answer
    ArchiveLookups lookups(archive.address(), manners, cancel);
    Outcome outcome;
    outcome.end = lookups.run(
        questions, [&outcome](const ArchiveQuestion& question, const ArchiveAnswer& answer) {
            outcome.heard.push_back({question.link, answer.kind, answer.copy});
        });
    return outcome;
}

std::vector<QString> askedLinks(const ArchiveStandIn& archive)
{
    std::vector<QString> links;
    for (const auto& asked : archive.asked())
        links.push_back(asked.link);
    return links;
}

void expectPaced(const ArchiveStandIn& archive)
{
    const auto asked = archive.asked();
    for (size_t i = 1; i < asked.size(); ++i)
        EXPECT_GE(asked[i].at - asked[i - 1].at, AtLeastASecond) << "request " << i;
}

} // namespace

TEST(ArchiveLookups, EachAnswerIsHeardInTurnOneRequestASecondWithTheShortcutsTime)
{
    const NoSystemProxy noProxy;
    const TempDir dir;
    ArchiveQuestion dated = question("http://found.test/a");
    dated.path = dir.write("a.url", "[InternetShortcut]\r\nURL=http://found.test/a\r\n"
                                    "Modified=00024C2AF3B4CE0162\r\n")
                     .native();
    const QList<ArchiveQuestion> questions = {
        dated,
        question("http://none.test/"),
        question("http://malformed.test/"),
        question("http://slow.test/"),
        question("http://error.test/"),
        question("http://found.test/b?x=1&y=2"),
    };
    const ArchiveStandIn archive;
    const Outcome outcome = lookUp(archive, questions);

    EXPECT_EQ(outcome.end, ArchiveEnd::Done);
    const struct
    {
        const char* link;
        Kind kind;
        const char* timestamp;
    } expected[] = {
        {"http://found.test/a", Kind::Found, "20130919044612"},
        {"http://none.test/", Kind::None, ""},
        {"http://malformed.test/", Kind::Failed, ""}, // not taken for "none"
        {"http://slow.test/", Kind::Failed, ""},      // timed out
        {"http://error.test/", Kind::Failed, ""},
        {"http://found.test/b?x=1&y=2", Kind::Found, "20200506070809"},
    };
    ASSERT_EQ(outcome.heard.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].link);
        const QString link = QString::fromLatin1(expected[i].link);
        EXPECT_EQ(outcome.heard[i].link, link);
        EXPECT_EQ(outcome.heard[i].kind, expected[i].kind);
        EXPECT_EQ(outcome.heard[i].copy.timestamp, QString::fromLatin1(expected[i].timestamp));
        if (expected[i].kind == Kind::Found) {
            EXPECT_EQ(outcome.heard[i].copy.url,
                      ArchiveStandIn::copyOf(link, QByteArray(expected[i].timestamp)));
        }
    }
    const auto asked = archive.asked();
    ASSERT_EQ(asked.size(), std::size(expected));
    for (size_t i = 0; i < asked.size(); ++i) {
        EXPECT_EQ(asked[i].link, QString::fromLatin1(expected[i].link));
        EXPECT_EQ(asked[i].path, "/wayback/available");
        EXPECT_EQ(asked[i].userAgent, "InetURL:/1.0");
    }
    EXPECT_EQ(asked[0].timestamp, QByteArray("20130919044612"));
    EXPECT_EQ(asked[1].timestamp, QByteArray("20200506070809"));
    expectPaced(archive);
}

TEST(ArchiveLookups, A429Or503EndsTheRunAfterOneRetryAfterItsWait)
{
    const NoSystemProxy noProxy;
    const struct
    {
        std::vector<const char*> links;
        ArchiveEnd end;
        std::vector<const char*> asked;
        std::vector<const char*> found;
    } cases[] = {
        // Asked again after Retry-After, it answers; the rest go on.
        {{"http://busy.test/", "http://found.test/"},
         ArchiveEnd::Done,
         {"http://busy.test/", "http://busy.test/", "http://found.test/"},
         {"http://busy.test/", "http://found.test/"}},
        {{"http://alwaysbusy.test/", "http://found.test/"},
         ArchiveEnd::Refused,
         {"http://alwaysbusy.test/", "http://alwaysbusy.test/"},
         {}},
        // No Retry-After: no second try.
        {{"http://down.test/", "http://found.test/"},
         ArchiveEnd::Refused,
         {"http://down.test/"},
         {}},
        // One wait a run: the next refusal ends it at once.
        {{"http://busy.test/", "http://alwaysbusy.test/", "http://found.test/"},
         ArchiveEnd::Refused,
         {"http://busy.test/", "http://busy.test/", "http://alwaysbusy.test/"},
         {"http://busy.test/"}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.links.front());
        QList<ArchiveQuestion> questions;
        for (const char* link : entry.links)
            questions.append(question(link));
        const ArchiveStandIn archive;
        const Outcome outcome = lookUp(archive, questions);
        EXPECT_EQ(outcome.end, entry.end);
        std::vector<QString> asked, found;
        for (const char* link : entry.asked)
            asked.push_back(QString::fromLatin1(link));
        for (const char* link : entry.found)
            found.push_back(QString::fromLatin1(link));
        EXPECT_EQ(askedLinks(archive), asked);
        std::vector<QString> heard;
        for (const Heard& one : outcome.heard) {
            EXPECT_EQ(one.kind, Kind::Found);
            heard.push_back(one.link);
        }
        EXPECT_EQ(heard, found);
        expectPaced(archive);
    }
}

TEST(ArchiveLookups, ARunAsksNoMoreThanItsLimitAndStopsWhenTheServiceIsNotThere)
{
    const NoSystemProxy noProxy;
    const ArchiveStandIn archive;
    ArchiveManners manners;
    manners.maxLookups = 2;
    const Outcome limited =
        lookUp(archive,
               {question("http://found.test/1"), question("http://found.test/2"),
                question("http://found.test/3")},
               manners);
    EXPECT_EQ(limited.end, ArchiveEnd::Limit);
    EXPECT_EQ(limited.heard.size(), 2u);
    EXPECT_EQ(archive.asked().size(), 2u);
    EXPECT_EQ(ArchiveManners().maxLookups, 200);
    EXPECT_EQ(ArchiveManners().timeoutMs, 10000);

    const RefusingPort refusing;
    const std::atomic_bool cancel{false};
    ArchiveLookups lookups(QString::fromStdString(refusing.url("")), {}, cancel);
    int heard = 0;
    EXPECT_EQ(lookups.run({question("http://found.test/"), question("http://none.test/")},
                          [&heard](const ArchiveQuestion&, const ArchiveAnswer&) { ++heard; }),
              ArchiveEnd::Unreachable);
    EXPECT_EQ(heard, 0);
}

TEST(ArchiveLookupRun, AnswersComeBackOnTheStartingThreadAndNoneAfterAStop)
{
    const NoSystemProxy noProxy;
    const ArchiveStandIn archive;
    ArchiveLookupRun run;
    std::vector<QString> heard;
    bool onStartingThread = true;
    QObject::connect(&run, &ArchiveLookupRun::answered,
                     [&](const ArchiveQuestion& question, const ArchiveAnswer& answer) {
                         onStartingThread =
                             onStartingThread && QThread::currentThread() == run.thread();
                         heard.push_back(question.link + u' ' + answer.copy.url);
                     });
    QSignalSpy finished(&run, &ArchiveLookupRun::finished);
    ASSERT_TRUE(run.start(archive.address(), {question("http://found.test/")}));
    EXPECT_TRUE(run.running());
    EXPECT_FALSE(run.start(archive.address(), {question("http://none.test/")}));
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(finished.at(0).at(0).value<ArchiveEnd>(), ArchiveEnd::Done);
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(onStartingThread);
    EXPECT_EQ(heard,
              std::vector<QString>{
                  QStringLiteral("http://found.test/ ") +
                  ArchiveStandIn::copyOf(QStringLiteral("http://found.test/"), "20200506070809")});

    // Stopped while the slow answer is on its way: nothing more is heard.
    ASSERT_TRUE(run.start(archive.address(), {question("http://slow.test/")}));
    while (archive.asked().size() < 2)
        QThread::msleep(10);
    run.stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.size(), 1u);
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(run.running());
}
