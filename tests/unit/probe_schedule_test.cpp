#include "ProbeSchedule.h"

#include <gtest/gtest.h>

namespace {

// Tickets of the links started until none may start.
std::vector<quint64> StartAll(ProbeSchedule& schedule)
{
    std::vector<quint64> started;
    while (const auto link = schedule.startNext())
        started.push_back(link->ticket);
    return started;
}

} // namespace

TEST(ProbeScheduleTest, LinksStartInOrderWithinTheTotalAndThePerHostLimits)
{
    ProbeSchedule schedule(10, 2);
    // 1..3 to host a (written in two cases), 4 with no host, 5 to b, 6 to a's
    // name on another port, 7 to a again.
    const char* hosts[] = {"a:80", "A:80", "a:80", "", "b:80", "a:8080", "a:80"};
    for (quint64 ticket = 1; ticket <= 7; ++ticket)
        schedule.add({ticket, "link", hosts[ticket - 1]});

    // A host at its limit lets later links of other hosts go ahead.
    EXPECT_EQ(StartAll(schedule), (std::vector<quint64>{1, 2, 4, 5, 6}));
    EXPECT_EQ(schedule.running(), 5);
    EXPECT_TRUE(schedule.hasWaiting());

    // A finished link of host a makes room for the oldest waiting one of a.
    schedule.finished(2);
    EXPECT_EQ(StartAll(schedule), (std::vector<quint64>{3}));
    schedule.finished(4); // no host: frees no room for a
    EXPECT_EQ(StartAll(schedule), std::vector<quint64>{});
    schedule.finished(1);
    EXPECT_EQ(StartAll(schedule), (std::vector<quint64>{7}));
    EXPECT_FALSE(schedule.hasWaiting());

    // The total bounds links of distinct hosts too; one finishing lets the next in.
    ProbeSchedule narrow(2);
    for (quint64 ticket = 1; ticket <= 4; ++ticket)
        narrow.add({ticket, "link", QStringLiteral("h%1:80").arg(ticket)});
    EXPECT_EQ(StartAll(narrow), (std::vector<quint64>{1, 2}));
    narrow.finished(1);
    EXPECT_EQ(StartAll(narrow), (std::vector<quint64>{3}));
}

TEST(ProbeScheduleTest, OnlyWaitingLinksCanBeTakenBack)
{
    ProbeSchedule schedule(1);
    schedule.add({1, "link", "a:80"});
    schedule.add({2, "link", "a:80"});
    schedule.add({3, "link", "b:80"});
    ASSERT_EQ(StartAll(schedule), std::vector<quint64>{1});

    EXPECT_FALSE(schedule.remove(1));
    EXPECT_TRUE(schedule.remove(2));
    EXPECT_FALSE(schedule.remove(2));
    schedule.finished(1);
    EXPECT_EQ(StartAll(schedule), std::vector<quint64>{3});

    schedule.add({4, "link", "c:80"});
    schedule.clearWaiting();
    schedule.finished(3);
    EXPECT_EQ(StartAll(schedule), std::vector<quint64>{});
    EXPECT_EQ(schedule.running(), 0);
}

TEST(ProbeScheduleTest, LinksAtOnceLeaveDescriptorsForTheProgram)
{
    EXPECT_EQ(LinksAtOnceWithin(128, 20000), 128);
    // A limit of 128 with a dozen open: 84 left past the reserve, 4 a probe.
    EXPECT_EQ(LinksAtOnceWithin(128, 116), 21);
    EXPECT_EQ(LinksAtOnceWithin(128, 0), 1);
    EXPECT_EQ(LinksAtOnceWithin(6, 116), 6);
}

TEST(ProbeScheduleTest, LinksWaitForTheirTimeAndHeldHostsWithoutTakingASlot)
{
    qint64 now = 1000;
    ProbeSchedule schedule(1, ProbeSchedule::DefaultPerHost, [&now] { return now; });
    EXPECT_EQ(schedule.nextDue(), std::nullopt);
    schedule.add({1, "link", "a:80"});
    ASSERT_EQ(StartAll(schedule), std::vector<quint64>{1});
    // a's answer asks for two seconds' rest; its next link waits, later
    // ones of other hosts take the one slot meanwhile.
    schedule.holdHostOf(1, 3000);
    schedule.finished(1);
    schedule.add({2, "link", "A:80"});
    schedule.add({3, "link", "b:80"});
    schedule.add({4, "link", "c:80", 2500});
    EXPECT_EQ(schedule.nextDue(), 2500);
    EXPECT_EQ(StartAll(schedule), std::vector<quint64>{3});
    schedule.finished(3);
    EXPECT_EQ(StartAll(schedule), std::vector<quint64>{});
    EXPECT_EQ(schedule.running(), 0);

    now = 2500;
    EXPECT_EQ(schedule.nextDue(), 3000);
    EXPECT_EQ(StartAll(schedule), std::vector<quint64>{4});
    schedule.finished(4);
    now = 3000;
    EXPECT_EQ(schedule.nextDue(), std::nullopt);
    EXPECT_EQ(StartAll(schedule), std::vector<quint64>{2});

    // Two answers of one host: the later, shorter pause never cuts the longer one short.
    ProbeSchedule twice(2, ProbeSchedule::DefaultPerHost, [&now] { return now; });
    for (quint64 ticket = 1; ticket <= 3; ++ticket)
        twice.add({ticket, "link", "a:80"});
    ASSERT_EQ(StartAll(twice), (std::vector<quint64>{1, 2}));
    twice.holdHostOf(1, 9000);
    twice.holdHostOf(2, 4000);
    twice.finished(1);
    twice.finished(2);
    EXPECT_EQ(twice.nextDue(), 9000);
}

TEST(ProbeScheduleTest, AHostsPausesAddUpToItsBudgetThenItIsGivenUp)
{
    qint64 now = 1000;
    ProbeSchedule schedule(10, ProbeSchedule::DefaultPerHost, [&now] { return now; });
    schedule.setHostWaitBudget(5000);
    for (quint64 ticket = 1; ticket <= 3; ++ticket)
        schedule.add({ticket, "link", ticket == 3 ? "b:80" : "a:80"});
    ASSERT_EQ(StartAll(schedule), (std::vector<quint64>{1, 2, 3}));

    // Two answers that came together ask for the same three seconds: held once.
    EXPECT_EQ(schedule.holdHostOf(1, now + 3000), "");
    EXPECT_EQ(schedule.holdHostOf(2, now + 3000), "");
    EXPECT_EQ(schedule.longestHold(), std::nullopt) << "no link waits for a";
    schedule.add({4, "link", "a:80"});
    schedule.add({5, "link", "a:80"});
    ASSERT_TRUE(schedule.longestHold());
    EXPECT_EQ(schedule.longestHold()->host, "a:80");
    EXPECT_EQ(schedule.longestHold()->leftMs, 3000);
    for (quint64 ticket = 1; ticket <= 3; ++ticket)
        schedule.finished(ticket);
    now += 1000;
    EXPECT_EQ(schedule.longestHold()->leftMs, 2000);

    // Three seconds spent: a minute asked for gets the two that are left.
    now += 2000;
    ASSERT_EQ(StartAll(schedule), (std::vector<quint64>{4, 5}));
    EXPECT_EQ(schedule.holdHostOf(4, now + 60000), "");
    // 5 was asked before that pause began: its answer gives nothing up.
    EXPECT_EQ(schedule.holdHostOf(5, now + 60001), "");
    schedule.add({6, "link", "a:80"});
    schedule.add({7, "link", "b:80"});
    EXPECT_EQ(schedule.nextDue(), now + 2000);
    ASSERT_EQ(StartAll(schedule), std::vector<quint64>{7});
    schedule.finished(7);
    schedule.finished(4);
    schedule.finished(5);
    now += 2000;
    ASSERT_EQ(StartAll(schedule), std::vector<quint64>{6});

    // Spent: the next pause gives a up, once; its links never start and
    // nothing waits for a time, while b goes on.
    EXPECT_EQ(schedule.holdHostOf(6, now + 1000), "a:80");
    schedule.finished(6);
    schedule.add({8, "link", "A:80"});
    schedule.add({9, "link", "b:80"});
    now += 120000;
    EXPECT_EQ(StartAll(schedule), std::vector<quint64>{9});
    EXPECT_EQ(schedule.nextDue(), std::nullopt);
    EXPECT_EQ(schedule.longestHold(), std::nullopt);
    EXPECT_EQ(schedule.holdHostOf(9, now + 1000), "") << "b has its own budget";
    EXPECT_TRUE(schedule.remove(8));

    // No budget at all: the first pause gives the host up.
    ProbeSchedule none(1, ProbeSchedule::DefaultPerHost, [&now] { return now; });
    none.setHostWaitBudget(0);
    none.add({1, "link", "c:80"});
    ASSERT_EQ(StartAll(none), std::vector<quint64>{1});
    EXPECT_EQ(none.holdHostOf(1, now + 1000), "c:80");
}
