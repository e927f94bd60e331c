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
