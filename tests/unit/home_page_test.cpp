#include "HomePage.h"

#include <gtest/gtest.h>

TEST(HomePageTest, OnlyADeeperLinkSentToAHomePageCounts)
{
    EXPECT_TRUE(MovedToHomePage("http://a.example/?id=4", "http://b.example/Index.PHP?lang=en"));
    EXPECT_TRUE(MovedToHomePage("http://a.example/old", "http://a.example/default.aspx"));
    EXPECT_FALSE(MovedToHomePage("http://a.example/index.html", "https://a.example"));
    EXPECT_TRUE(MovedToHomePage("http://a.example/old", "http://a.example/en/"));
    EXPECT_TRUE(MovedToHomePage("http://a.example/old", "http://a.example/pt-BR/index.html"));
    EXPECT_FALSE(MovedToHomePage("http://a.example/en/", "http://a.example/"));
    EXPECT_FALSE(MovedToHomePage("http://a.example/old", "http://a.example/eng/"));
    EXPECT_FALSE(MovedToHomePage("http://a.example/old", "http://a.example/en/news"));
}

TEST(HomePageTest, OnlyADeeperLinkSentToTheSearchPageCounts)
{
    EXPECT_TRUE(MovedToSearchPage("http://a.example/p/12", "http://a.example/search?q=12"));
    EXPECT_TRUE(MovedToSearchPage("http://a.example/p/12", "http://a.example/de/Suche.php"));
    EXPECT_FALSE(MovedToSearchPage("http://a.example/search?q=x", "http://a.example/search/"));
    EXPECT_FALSE(MovedToSearchPage("http://a.example/", "http://a.example/search"));
    EXPECT_FALSE(MovedToSearchPage("http://a.example/p/12", "http://a.example/research"));
}
