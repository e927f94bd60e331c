#include "BookmarkModel.h"
#include "CurlProbeEngine.h"
#include "VerificationRun.h"

#include "CurlGlobalEnvironment.h"
#include "LocalHttpServer.h"
#include "NoSystemProxy.h"
#include "RefusingPort.h"

#include <QEventLoop>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

// When each path was asked for, in order.
class RequestLog final
{
public:
    // The nth answer of a path (counting from 1).
    int note(const std::string& path)
    {
        const std::lock_guard lock(mutex_);
        times_[path].push_back(Clock::now());
        return int(times_[path].size());
    }
    std::vector<Clock::time_point> times(const std::string& path)
    {
        const std::lock_guard lock(mutex_);
        return times_[path];
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::vector<Clock::time_point>> times_;
};

// Answers with the first status to the first request of a path, then 200.
httplib::Server::Handler FirstThenOk(RequestLog& log, int first, const char* retryAfter = nullptr)
{
    return [&log, first, retryAfter](const httplib::Request& request, httplib::Response& response) {
        if (log.note(request.path) > 1)
            return;
        response.status = first;
        if (retryAfter)
            response.set_header("Retry-After", retryAfter);
    };
}

struct Checked
{
    Verdict verdict = Verdict::Unchecked;
    int attempts = -1;
};

class SecondOpinionTest : public ::testing::Test
{
protected:
    void addLink(const std::string& link)
    {
        BookmarkNode* node = tree.addChild(nullptr);
        BookmarkModel::entry(node)->Link = QString::fromStdString(link);
        BookmarkModel::entry(node)->Status = StatusUnverified;
    }

    // Runs over the tree one link at a time; the final verdict of each link.
    std::map<std::string, Checked> runOnce()
    {
        std::map<std::string, Checked> checked;
        VerificationRun run(tree, std::make_shared<SharedProxySettings>(),
                            std::make_unique<CurlProbeEngine>(ProbeLimits{5000, 5, 20000}), 1);
        run.setSecondOpinionDelay(300);
        QObject::connect(&run, &VerificationRun::verdictStored,
                         [&](BookmarkNode* node, const LinkVerdict& verdict) {
                             const std::string link =
                                 BookmarkModel::entry(node)->Link.toStdString();
                             EXPECT_FALSE(checked.count(link)) << link << " stored twice";
                             checked[link] = {verdict.judgement.verdict, verdict.attempts};
                         });
        QEventLoop loop;
        QObject::connect(&run, &VerificationRun::ended, &loop, &QEventLoop::quit);
        EXPECT_TRUE(run.start());
        loop.exec();
        tally = run.tally();
        return checked;
    }

    NoSystemProxy noProxy;
    BookmarkModel tree;
    RunTally tally;
};

} // namespace

TEST_F(SecondOpinionTest, PassingFailuresAreAskedAgainAndAHostThatAsksForAPauseGetsIt)
{
    RequestLog log;
    LocalHttpServer pausing{[&log](httplib::Server& routes) {
        routes.Get("/slow-down", FirstThenOk(log, 429, "1"));
        routes.Get("/next", FirstThenOk(log, 200));
    }};
    LocalHttpServer server{[&log](httplib::Server& routes) {
        routes.Get("/flaky", FirstThenOk(log, 503));
        routes.Get("/broken", [&log](const httplib::Request& request, httplib::Response& response) {
            log.note(request.path);
            response.status = 500;
        });
        routes.Get(".*", FirstThenOk(log, 200));
    }};
    const RefusingPort refusing;
    const std::string port = std::to_string(server.port());
    // In the tree's order.
    const std::vector<std::pair<std::string, Checked>> expected = {
        {pausing.url("/slow-down"), {Verdict::Alive, 2}},
        {pausing.url("/next"), {Verdict::Alive, 1}},
        {server.url("/flaky"), {Verdict::Alive, 2}},
        {server.url("/broken"), {Verdict::Unsure, 2}},
        {server.url("/ok"), {Verdict::Alive, 1}},
        {refusing.url("/"), {Verdict::Dead, 2}},
        // Not web links: no request for them reaches any server.
        {"mailto:someone@127.0.0.1:" + port, {Verdict::Unchecked, 0}},
        {"javascript:fetch('http://127.0.0.1:" + port + "/script')", {Verdict::Unchecked, 0}},
        {"ftp://127.0.0.1:" + port + "/ftp", {Verdict::Unchecked, 0}},
    };
    for (const auto& [link, verdict] : expected)
        addLink(link);
    const std::map<std::string, Checked> checked = runOnce();

    for (const auto& [link, verdict] : expected) {
        SCOPED_TRACE(link);
        ASSERT_TRUE(checked.count(link));
        EXPECT_EQ(checked.at(link).verdict, verdict.verdict);
        EXPECT_EQ(checked.at(link).attempts, verdict.attempts);
    }
    for (const char* path : {"/slow-down", "/flaky", "/broken"})
        EXPECT_EQ(log.times(path).size(), 2u) << path;
    EXPECT_TRUE(log.times("/script").empty());
    EXPECT_TRUE(log.times("/ftp").empty());
    // The pausing host got no request for the second it asked for (the
    // run's clock counts whole milliseconds), while the other host's links,
    // handed out after it, went ahead.
    const Clock::time_point paused =
        log.times("/slow-down")[0] + std::chrono::seconds(1) - std::chrono::milliseconds(2);
    EXPECT_GE(log.times("/slow-down")[1], paused);
    EXPECT_GE(log.times("/next")[0], paused);
    EXPECT_LT(log.times("/ok")[0], log.times("/next")[0]);
}

TEST_F(SecondOpinionTest, OfflineNoLinkIsDeadAndTheRunSaysTheNetworkMayBeDown)
{
    // Labels longer than DNS allows: the resolver gives up without asking anyone.
    const std::string unresolvable = "http://" + std::string(64, 'a') + ".invalid/";
    const RefusingPort refusing;
    for (const std::string& link : {unresolvable + "1", unresolvable + "2", refusing.url("/")})
        addLink(link);
    const std::map<std::string, Checked> checked = runOnce();

    ASSERT_EQ(checked.size(), 3u);
    for (const auto& [link, verdict] : checked) {
        EXPECT_EQ(verdict.verdict, Verdict::Unsure) << link;
        EXPECT_EQ(verdict.attempts, 2) << link;
    }
    EXPECT_EQ(tally.dead, 0);
    EXPECT_EQ(tally.noNetwork, 3);
    EXPECT_EQ(RunSummaryText(tally, false), NoServerAnsweredText());
}
