#include "RunTally.h"

#include <gtest/gtest.h>

TEST(RunTallyTest, TextsGiveCountsTimeAndAnOfflineWarning)
{
    EXPECT_EQ(RunDurationText(0), "0.0 s");
    EXPECT_EQ(RunDurationText(4240), "4.2 s");
    // Rounding never shows "60.0 s" nor "1 min 60 s".
    EXPECT_EQ(RunDurationText(59960), "1 min 0 s");
    EXPECT_EQ(RunDurationText(125400), "2 min 5 s");
    EXPECT_EQ(RunDurationText(119600), "2 min 0 s");

    RunTally tally;
    tally.links = 12;
    tally.checked = 5;
    tally.alive = 2;
    tally.dead = 1;
    tally.unsure = 2;
    tally.answered = 4;
    tally.elapsedMs = 4200;
    EXPECT_EQ(RunProgressText(tally), "Checked 5 of 12: 1 dead, 2 not sure");
    EXPECT_EQ(RunSummaryText(tally, false), "5 checked: 1 dead, 2 not sure, in 4.2 s");
    EXPECT_EQ(RunSummaryText(tally, true), "5 checked: 1 dead, 2 not sure, in 4.2 s, stopped");
    tally.moved = 1; // one of the alive ones
    EXPECT_EQ(RunSummaryText(tally, false), "5 checked: 1 dead, 2 not sure, 1 moved, in 4.2 s");
    tally.secondPass = true;
    tally.again = 3;
    tally.checkedAgain = 1;
    EXPECT_EQ(RunProgressText(tally), "Checking again: 1 of 3");
    EXPECT_FALSE(ReachedNoServer(tally));

    // A link judged "no network?" while other servers answered (its name
    // did not resolve, the others were named by address) is no sign of it.
    tally.noNetwork = 1;
    EXPECT_FALSE(ReachedNoServer(tally));
    // The warning takes the whole panel when none of those asked for got an answer.
    tally.answered = 0;
    EXPECT_TRUE(ReachedNoServer(tally));
    EXPECT_EQ(RunSummaryText(tally, false), "No server answered: the network or proxy may be down");
    // Links that are no web links ask nothing of the network.
    RunTally mailOnly;
    mailOnly.checked = mailOnly.unchecked = 3;
    EXPECT_FALSE(ReachedNoServer(mailOnly));
    EXPECT_FALSE(ReachedNoServer(RunTally{}));
    // Nor do shortcuts without a link, dead as they are.
    RunTally linkless;
    linkless.recount(std::nullopt, Verdict::Dead);
    linkless.noLink = 1;
    EXPECT_FALSE(ReachedNoServer(linkless));
}

TEST(RunTallyTest, EachLinkCountsOnceUnderItsVerdictOfTheMoment)
{
    RunTally tally;
    tally.recount(std::nullopt, Verdict::Unsure); // a first answer to be asked again
    tally.recount(std::nullopt, Verdict::Alive);
    tally.recount(std::nullopt, Verdict::Unchecked);
    tally.recount(Verdict::Unsure, Verdict::Dead); // its second answer
    EXPECT_EQ(tally.checked, 3);
    EXPECT_EQ(tally.alive, 1);
    EXPECT_EQ(tally.dead, 1);
    EXPECT_EQ(tally.unsure, 0);
    EXPECT_EQ(tally.unchecked, 1);
}

TEST(RunTallyTest, TimeLeftComesFromTheRateSoFarInCoarseSteps)
{
    struct Case
    {
        int links;
        int checked;
        qint64 elapsedMs;
        const char* left;
    };
    const Case cases[] = {
        {1000, 49, 1000, ""}, // too few to go by
        {1000, 50, 1000, "about 20 seconds left"},
        {1000, 100, 400, "about 10 seconds left"}, // never "0 seconds"
        {1000, 500, 54000, "about 50 seconds left"},
        {1000, 500, 56000, "about 1 minute left"},
        {1000, 500, 89000, "about 1 minute left"},
        {1000, 500, 90000, "about 2 minutes left"},
        {1000, 100, 10000, "about 2 minutes left"}, // 90 s
        {1000, 100, 15000, "about 2 minutes left"}, // 135 s
        {1000, 100, 17000, "about 3 minutes left"}, // 153 s
        {1000, 100, 396000, "about 59 minutes left"},
        {1000, 100, 400000, "about 1 hour left"},
        {10000, 100, 180000, "about 5 hours left"},
        {1000, 1000, 60000, ""}, // done
    };
    for (const Case& c : cases) {
        RunTally tally;
        tally.links = c.links;
        tally.checked = c.checked;
        tally.elapsedMs = c.elapsedMs;
        SCOPED_TRACE(testing::Message() << c.checked << " of " << c.links << " in " << c.elapsedMs);
        EXPECT_EQ(TimeLeftText(tally), c.left);
    }

    // Beside the count, then the wait for a host; the second pass has no estimate.
    RunTally tally;
    tally.links = 1000;
    tally.checked = 100;
    tally.unsure = 3;
    tally.elapsedMs = 15000;
    EXPECT_EQ(RunProgressText(tally),
              "Checked 100 of 1000: 0 dead, 3 not sure; about 2 minutes left");
    tally.waitingFor = "example.org:80";
    tally.waitLeftMs = 39001;
    EXPECT_EQ(RunProgressText(tally),
              "Checked 100 of 1000: 0 dead, 3 not sure; about 2 minutes "
              "left. Waiting 40 s for example.org, which asked to slow down");
    tally.secondPass = true;
    tally.again = 3;
    tally.waitingFor = "127.0.0.1:8080";
    tally.waitLeftMs = 2000;
    EXPECT_EQ(RunProgressText(tally),
              "Checking again: 0 of 3. Waiting 2 s for 127.0.0.1:8080, which asked to slow down");
    tally.waitLeftMs = 0;
    EXPECT_EQ(RunProgressText(tally), "Checking again: 0 of 3");
}
