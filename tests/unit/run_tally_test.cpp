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

    RunTally tally{12, 5, 1, 5, 4200};
    EXPECT_EQ(RunProgressText(tally), "Checked 5 of 12, 1 dead");
    EXPECT_EQ(RunSummaryText(tally, false), "5 checked, 1 dead, in 4.2 s");
    EXPECT_EQ(RunSummaryText(tally, true), "5 checked, 1 dead, in 4.2 s, stopped");

    tally.answered = 0;
    tally.dead = 5;
    EXPECT_TRUE(ReachedNoServer(tally));
    EXPECT_EQ(RunSummaryText(tally, false),
              "5 checked, 5 dead, in 4.2 s. No server answered: the network or proxy may be down.");
    // Nothing checked says nothing about the network.
    EXPECT_FALSE(ReachedNoServer(RunTally{3, 0, 0, 0, 100}));
}
