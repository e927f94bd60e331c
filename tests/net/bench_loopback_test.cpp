// The benchmarks' loopback server and bare probe loop: the loop must send the
// same request the probe sends and count only what answered 200, or the
// probe would be measured against less work than its own.

#include "BareProbe.h"
#include "CurlGlobalEnvironment.h"
#include "LocalHttpServer.h"
#include "LoopbackServer.h"
#include "ProbeLink.h"
#include "RefusingPort.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace {

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

TEST(BenchLoopbackTest, EveryLinkIsDistinctAndAliveForTheProbeAndTheBareLoop)
{
    LoopbackServer server;
    ASSERT_TRUE(server.start());
    std::vector<std::string> urls;
    std::set<std::string> distinct;
    for (int i = 0; i < 20; ++i) {
        urls.push_back(server.linkFor(i));
        distinct.insert(urls.back());
        EXPECT_TRUE(ProbeLink(QString::fromStdString(urls.back()), ProxySettings{}).alive)
            << urls.back();
    }
    EXPECT_EQ(distinct.size(), urls.size());
    EXPECT_EQ(BareProbeLoop(urls, ProbeUserAgent), 20);
}

TEST(BenchLoopbackTest, LinkPageListsEveryLinkAndLiftsLinkCheckersPause)
{
    LoopbackServer server(3);
    ASSERT_TRUE(server.start());
    httplib::Client client("127.0.0.1", server.port());
    const auto page = client.Get("/links.html");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_TRUE(page->has_header("LinkChecker"));
    std::vector<std::string> hrefs;
    const std::regex anchor(R"re(<a href="([^"]+)">)re");
    for (auto it = std::sregex_iterator(page->body.begin(), page->body.end(), anchor);
         it != std::sregex_iterator(); ++it)
        hrefs.push_back((*it)[1].str());
    EXPECT_EQ(hrefs,
              (std::vector<std::string>{server.linkFor(0), server.linkFor(1), server.linkFor(2)}));
}

TEST(BenchLoopbackTest, BareLoopSendsOneGetPerUrlWithTheUserAgentAndCountsOnly200)
{
    LocalHttpServer server([](httplib::Server& routes) {
        routes.Get("/ok", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("body", "text/plain");
        });
        routes.Get("/missing", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
        });
    });
    const RefusingPort refusing;
    const std::vector<std::string> urls{server.url("/ok"), server.url("/missing"),
                                        server.url("/ok"), refusing.url("/closed")};
    EXPECT_EQ(BareProbeLoop(urls, ProbeUserAgent), 2);
    const std::vector<SeenRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 3u);
    for (const SeenRequest& request : seen) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.header("User-Agent"), "InetURL:/1.0");
    }
}

} // namespace
