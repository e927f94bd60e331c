#include "HomePage.h"

#include <gtest/gtest.h>

TEST(HomePageTest, OnlyADeeperLinkSentToAHomePageCounts)
{
    EXPECT_TRUE(MovedToHomePage("http://a.example/?id=4", "http://b.example/Index.PHP?lang=en"));
    EXPECT_TRUE(MovedToHomePage("http://a.example/old", "http://a.example/default.aspx"));
    EXPECT_FALSE(MovedToHomePage("http://a.example/index.html", "https://a.example"));
    EXPECT_FALSE(MovedToHomePage("http://a.example/old", "http://a.example/en/"));
}
