// The many-hosts benchmark's server: every link must answer as planned, on
// its own address, no sooner than its latency, and be recorded, or the
// figures drawn from its records would be of other work.

#include "CurlGlobalEnvironment.h"
#include "HostsServer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <regex>

namespace {

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

struct Fetched
{
    CURLcode result = CURLE_OK;
    long status = 0;
    std::string finalUrl;
    std::string body;
};

size_t keep(char* data, size_t size, size_t count, void* body)
{
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

Fetched fetch(const std::string& url)
{
    Fetched fetched;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &keep);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fetched.body);
    fetched.result = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &fetched.status);
    char* finalUrl = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &finalUrl);
    fetched.finalUrl = finalUrl ? finalUrl : "";
    curl_easy_cleanup(curl);
    return fetched;
}

std::string hostOf(const std::string& url)
{
    return url.substr(0, url.find('/', std::string("http://").size()));
}

TEST(BenchHostsServerTest, EachLinkAnswersAsPlannedOnItsHostAfterItsLatencyAndIsRecorded)
{
    using enum PlannedAnswer;
    const std::vector<PlannedLink> plan{{0, Ok, 30},         {1, Redirect, 20}, {2, NotFound, 10},
                                        {0, ServerError, 5}, {1, Refused, 0},   {2, Ok, 0}};
    HostsServer server(plan, 3);
    ASSERT_TRUE(server.start());

    const std::vector<std::string> links = server.links();
    const std::string port = ":" + std::to_string(server.port());
    EXPECT_EQ(hostOf(links[0]), "http://127.0.0.10" + port);
    EXPECT_EQ(hostOf(links[1]), "http://127.0.0.11" + port);
    EXPECT_EQ(hostOf(links[5]), "http://127.0.0.12" + port);

    EXPECT_EQ(server.linksNotAsked(), (std::vector<int>{0, 1, 2, 3, 5}));
    const std::vector<long> finalStatus{200, 200, 404, 500, 0, 200};
    const std::vector<int> sentStatus{200, 302, 404, 500, 0, 200};
    for (std::size_t i = 0; i < links.size(); ++i) {
        const Fetched fetched = fetch(links[i]);
        EXPECT_EQ(fetched.status, finalStatus[i]) << links[i];
        EXPECT_EQ(hostOf(fetched.finalUrl), hostOf(links[i])) << links[i];
    }
    EXPECT_EQ(fetch(links[4]).result, CURLE_COULDNT_CONNECT);
    EXPECT_NE(fetch(links[1]).finalUrl, links[1]);

    ASSERT_TRUE(server.waitUntilIdle());
    // Five links that reach the server, the redirect twice, each time with its target.
    const std::vector<ServedRequest> served = server.requests();
    EXPECT_EQ(served.size(), 5u + 1u + 2u);
    EXPECT_TRUE(server.linksNotAsked().empty());
    for (const ServedRequest& request : served) {
        const int index = std::stoi(request.target.substr(request.target.rfind('/') + 1));
        const bool moved = request.target.starts_with("/moved/");
        EXPECT_EQ(request.status, moved ? 200 : sentStatus[std::size_t(index)]) << request.target;
        EXPECT_GE(request.answered - request.arrived,
                  std::chrono::milliseconds(moved ? 0 : plan[std::size_t(index)].latencyMs))
            << request.target;
    }
    EXPECT_GT(server.wallSeconds(), 0.0);

    const Fetched page = fetch(server.pageUrl());
    std::vector<std::string> listed;
    const std::regex anchor(R"re(<a href="([^"]+)">)re");
    for (auto it = std::sregex_iterator(page.body.begin(), page.body.end(), anchor);
         it != std::sregex_iterator(); ++it)
        listed.push_back((*it)[1].str());
    EXPECT_EQ(listed, links);
    ASSERT_TRUE(server.waitUntilIdle());
    EXPECT_EQ(server.requests().size(), served.size()) << "the page is not a link";

    server.clearRequests();
    EXPECT_EQ(server.wallSeconds(), 0.0);
}

TEST(BenchHostsServerTest, HundredsOfWaitingConnectionsAreAllAnswered)
{
    constexpr int Links = 300;
    std::vector<PlannedLink> plan;
    for (int i = 0; i < Links; ++i)
        plan.push_back({i % 4, i % 3 ? PlannedAnswer::Ok : PlannedAnswer::NotFound, 100});
    HostsServer server(plan, 4);
    ASSERT_TRUE(server.start());

    CURLM* multi = curl_multi_init();
    std::vector<CURL*> handles;
    for (const std::string& link : server.links()) {
        CURL* curl = curl_easy_init();
        curl_easy_setopt(curl, CURLOPT_URL, link.c_str());
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        curl_multi_add_handle(multi, curl);
        handles.push_back(curl);
    }
    for (int running = 1; running > 0;) {
        curl_multi_perform(multi, &running);
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    for (int i = 0; i < Links; ++i) {
        long status = 0;
        curl_easy_getinfo(handles[std::size_t(i)], CURLINFO_RESPONSE_CODE, &status);
        EXPECT_EQ(status, i % 3 ? 200 : 404) << i;
        curl_multi_remove_handle(multi, handles[std::size_t(i)]);
        curl_easy_cleanup(handles[std::size_t(i)]);
    }
    curl_multi_cleanup(multi);
    ASSERT_TRUE(server.waitUntilIdle());
    EXPECT_EQ(server.requests().size(), std::size_t(Links));
    EXPECT_TRUE(server.linksNotAsked().empty());
}

TEST(BenchHostsServerTest, FloorIsTheTightestOfTheTotalTheHostAndTheSlowestLink)
{
    using enum PlannedAnswer;
    // 12 links of 1 s on one host: six at a time there.
    const std::vector<PlannedLink> oneHost(12, PlannedLink{0, Ok, 1000});
    EXPECT_DOUBLE_EQ(FloorSeconds(oneHost, 64, 6), 2.0);
    // Spread over 12 hosts, each has room; 4 at a time in all is the bound.
    std::vector<PlannedLink> spread;
    for (int host = 0; host < 12; ++host)
        spread.push_back({host, Ok, 1000});
    EXPECT_DOUBLE_EQ(FloorSeconds(spread, 4, 6), 3.0);
    // One slow link outlasts everything shared out.
    spread.push_back({0, Ok, 5000});
    EXPECT_DOUBLE_EQ(FloorSeconds(spread, 64, 6), 5.0);

    const std::vector<PlannedLink> plan = PlanLinks(500, 40, 14);
    EXPECT_EQ(PlanLinks(500, 40, 14).size(), plan.size());
    int refused = 0;
    for (const PlannedLink& link : plan) {
        EXPECT_TRUE(link.host >= 0 && link.host < 40);
        EXPECT_TRUE(link.answer == Refused ? link.latencyMs == 0
                                           : link.latencyMs >= 50 && link.latencyMs <= 3000);
        refused += link.answer == Refused;
    }
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, 50);
}

} // namespace
