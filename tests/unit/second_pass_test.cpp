#include "BookmarkModel.h"
#include "ProbeSchedule.h"
#include "SecondPass.h"

#include <gtest/gtest.h>

namespace {

ProbeResult AnswerWithRetryAfter(int seconds)
{
    ProbeResult answer;
    answer.outcome = ProbeOutcome::Answered;
    answer.statusCode = 503;
    answer.retryAfterSeconds = qint16(seconds);
    return answer;
}

} // namespace

TEST(SecondPassTest, WaitsForTheDelayOrRetryAfterAsksTheLongestWaitsLastAndForgetsRemovedLinks)
{
    BookmarkModel tree;
    BookmarkNode* folder = tree.addChild(nullptr);
    BookmarkNode* inside = tree.addChild(folder);
    BookmarkNode* outside = tree.addChild(nullptr);

    SecondPass pass(5000);
    const qint64 before = SteadyClockMs();
    pass.wait(inside, "http://a/", "a:80", AnswerWithRetryAfter(60), 1);
    pass.wait(outside, "http://b/", "b:80", AnswerWithRetryAfter(-1), 1);
    pass.setDelay(1000);
    pass.wait(outside, "http://c/", "c:80", AnswerWithRetryAfter(2), 2);
    const qint64 after = SteadyClockMs();

    pass.order();
    struct Expected
    {
        const char* link;
        qint64 waitMs;
        int attempts;
    };
    // The greater of the delay then set and the answer's Retry-After.
    const Expected expected[] = {
        {"http://c/", 2000, 2}, {"http://b/", 5000, 1}, {"http://a/", 60000, 1}};
    for (const Expected& e : expected) {
        ASSERT_FALSE(pass.empty());
        const SecondPass::Waiting waiting = pass.takeNext();
        EXPECT_EQ(waiting.link, e.link);
        EXPECT_EQ(waiting.attempts, e.attempts);
        EXPECT_GE(waiting.due, before + e.waitMs) << e.link;
        EXPECT_LE(waiting.due, after + e.waitMs) << e.link;
    }
    EXPECT_TRUE(pass.empty());

    pass.wait(inside, "http://a/", "a:80", AnswerWithRetryAfter(-1), 1);
    pass.wait(outside, "http://b/", "b:80", AnswerWithRetryAfter(-1), 1);
    pass.wait(folder, "http://d/", "d:80", AnswerWithRetryAfter(-1), 1);
    EXPECT_EQ(pass.forgetWithin(folder), 2);
    EXPECT_EQ(pass.forgetWithin(nullptr), 0);
    const std::deque<SecondPass::Waiting> left = pass.takeAll();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.front().node, outside);
    EXPECT_TRUE(pass.empty());
}

TEST(SecondPassTest, ARetryAfterWaitsNoLongerThanAHostMayBeWaitedForAndAHostsLinksComeOutTogether)
{
    SecondPass pass(1000);
    pass.setLongestWait(2000);
    const qint64 before = SteadyClockMs();
    pass.wait(nullptr, "http://a/1", "a:80", AnswerWithRetryAfter(60), 1);
    pass.wait(nullptr, "http://b/", "b:80", AnswerWithRetryAfter(-1), 1);
    pass.wait(nullptr, "http://a/2", "a:80", AnswerWithRetryAfter(1), 1);
    const qint64 after = SteadyClockMs();

    const std::deque<SecondPass::Waiting> a = pass.takeHost("a:80");
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].link, "http://a/1");
    EXPECT_GE(a[0].due, before + 2000);
    EXPECT_LE(a[0].due, after + 2000);
    EXPECT_EQ(a[1].link, "http://a/2");
    EXPECT_LE(a[1].due, after + 1000);
    ASSERT_FALSE(pass.empty());
    EXPECT_EQ(pass.takeNext().link, "http://b/");
    EXPECT_TRUE(pass.empty());
}
