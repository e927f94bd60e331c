#include "BookmarkModel.h"
#include "CurlProbeEngine.h"
#include "TreeResults.h"
#include "VerificationRun.h"

#include "CurlGlobalEnvironment.h"
#include "GatedProbe.h"
#include "LocalHttpServer.h"
#include "NoSystemProxy.h"
#include "RefusingPort.h"
#include "TempDir.h"

#include <QEventLoop>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>

namespace {

using Steady = std::chrono::steady_clock;

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

// When each path was asked for, in order.
class RequestLog final
{
public:
    // The nth answer of a path (counting from 1).
    int note(const std::string& path)
    {
        const std::lock_guard lock(mutex_);
        times_[path].push_back(Steady::now());
        return int(times_[path].size());
    }
    std::vector<Steady::time_point> times(const std::string& path)
    {
        const std::lock_guard lock(mutex_);
        return times_[path];
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::vector<Steady::time_point>> times_;
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

// Answers every request with 429 and "Retry-After: 60" while limiting, else
// 200, noting each path it is asked for in order.
httplib::Server::Handler Limiting(std::vector<std::string>& arrivals, std::mutex& mutex,
                                  const std::atomic_bool& limiting)
{
    return [&](const httplib::Request& request, httplib::Response& response) {
        {
            const std::lock_guard lock(mutex);
            arrivals.push_back(request.path);
        }
        if (limiting) {
            response.status = 429;
            response.set_header("Retry-After", "60");
        }
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
    BookmarkNode* addLink(const std::string& link)
    {
        BookmarkNode* node = tree.addChild(nullptr);
        BookmarkModel::entry(node)->Link = QString::fromStdString(link);
        BookmarkModel::entry(node)->Status = StatusUnverified;
        return node;
    }

    // Runs over the tree one link at a time, those given first ahead of the
    // rest; the final verdict of each link.
    std::map<std::string, Checked> runOnce(int maxHostWait = Settings::DefaultMaxHostWait,
                                           const std::vector<BookmarkNode*>& first = {})
    {
        std::map<std::string, Checked> checked;
        VerificationRun run(tree, std::make_shared<SharedProxySettings>(),
                            std::make_unique<CurlProbeEngine>(ProbeLimits{5000, 5, 20000}), 1);
        run.setSecondOpinionDelay(300);
        run.setMaxHostWait(maxHostWait);
        run.askFirst(first);
        QObject::connect(&run, &VerificationRun::verdictStored,
                         [&](BookmarkNode* node, const LinkVerdict& verdict) {
                             const std::string link =
                                 BookmarkModel::entry(node)->Link.toStdString();
                             EXPECT_FALSE(checked.count(link)) << link << " stored twice";
                             checked[link] = {verdict.judgement.verdict, verdict.attempts};
                             texts[link] = verdict.judgement.text;
                             if (store)
                                 KeepVerdict(*store, *BookmarkModel::entry(node), verdict.judgement,
                                             QDateTime::currentDateTimeUtc());
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
    std::map<std::string, QString> texts; // of the last run's verdicts
    ResultsStore* store = nullptr;        // where verdicts are kept, if anywhere
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
    const Steady::time_point paused =
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

TEST_F(SecondOpinionTest, AHostThatKeepsAskingToSlowDownIsLeftAndAskedFirstByTheNextRun)
{
    std::mutex mutex;
    std::vector<std::string> arrivals;
    std::atomic_bool limiting{true};
    LocalHttpServer limited{
        [&](httplib::Server& routes) { routes.Get(".*", Limiting(arrivals, mutex, limiting)); }};
    LocalHttpServer open{[&](httplib::Server& routes) {
        routes.Get(".*", [&](const httplib::Request& request, httplib::Response&) {
            const std::lock_guard lock(mutex);
            arrivals.push_back("open" + request.path);
        });
    }};
    const TempDir dir;
    std::filesystem::create_directories(dir / "state");
    ResultsStore kept(dir / "state", dir / "fav");
    store = &kept;
    std::vector<BookmarkNode*> held;
    int shortcut = 0;
    for (const std::string path : {"/1", "open/1", "/2", "/3", "open/2", "/4", "/5"}) {
        const bool isOpen = path.starts_with("open");
        BookmarkNode* node = addLink(isOpen ? open.url(path.substr(4)) : limited.url(path));
        BookmarkModel::entry(node)->Path =
            (dir / "fav" / (std::to_string(++shortcut) + ".url")).native();
        if (!isOpen)
            held.push_back(node);
    }

    // Two seconds' wait in all: the first answer gets them, the second
    // gives the host up, and the rest of its links are not asked for.
    const std::map<std::string, Checked> checked = runOnce(2);
    EXPECT_EQ(limited.requests().size(), 2u);
    ASSERT_EQ(checked.size(), 7u);
    for (BookmarkNode* node : held) {
        const std::string link = BookmarkModel::entry(node)->Link.toStdString();
        EXPECT_EQ(checked.at(link).verdict, Verdict::Unsure);
        EXPECT_EQ(texts.at(link), "Not sure: the site limits robots; checked 0 of its 5 links");
    }
    EXPECT_EQ(checked.at(limited.url("/1")).attempts, 1);
    EXPECT_EQ(checked.at(limited.url("/5")).attempts, 0);
    EXPECT_EQ(checked.at(open.url("/2")).verdict, Verdict::Alive);
    EXPECT_EQ(tally.checked, 7);
    EXPECT_EQ(tally.unsure, 5);

    // The next run asks the links left over first, the rest in their order.
    const std::vector<BookmarkNode*> first = LinksToAskFirst(tree, kept);
    EXPECT_EQ(first, held);
    limiting = false;
    arrivals.clear();
    tree.resetStatuses();
    const std::map<std::string, Checked> again = runOnce(2, first);
    EXPECT_EQ(arrivals,
              (std::vector<std::string>{"/1", "/2", "/3", "/4", "/5", "open/1", "open/2"}));
    EXPECT_EQ(again.at(limited.url("/4")).verdict, Verdict::Alive);
    EXPECT_TRUE(LinksToAskFirst(tree, kept).empty());
}

TEST_F(SecondOpinionTest, StopDuringAWaitForAHostEndsTheRunAtOnce)
{
    std::mutex mutex;
    std::vector<std::string> arrivals;
    const std::atomic_bool limiting{true};
    LocalHttpServer limited{
        [&](httplib::Server& routes) { routes.Get(".*", Limiting(arrivals, mutex, limiting)); }};
    BookmarkNode* first = addLink(limited.url("/1"));
    BookmarkNode* second = addLink(limited.url("/2"));
    std::map<BookmarkNode*, Verdict> stored;
    VerificationRun run(tree, std::make_shared<SharedProxySettings>(),
                        std::make_unique<CurlProbeEngine>(ProbeLimits{5000, 5, 20000}), 1);
    QObject::connect(&run, &VerificationRun::verdictStored,
                     [&](BookmarkNode* node, const LinkVerdict& verdict) {
                         stored[node] = verdict.judgement.verdict;
                     });
    bool ended = false;
    QObject::connect(&run, &VerificationRun::ended, [&] { ended = true; });
    ASSERT_TRUE(run.start());

    // The status bar names the host while its minute runs.
    ASSERT_TRUE(WaitUntil([&] { return !run.tally().waitingFor.isEmpty(); }));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(limited.port());
    EXPECT_TRUE(RunProgressText(run.tally())
                    .contains(QStringLiteral(" s for %1, which asked to slow down").arg(host)));
    run.stop();
    // Far sooner than the minute asked for.
    EXPECT_TRUE(WaitUntil([&] { return ended; }, 20000));
    EXPECT_EQ(limited.requests().size(), 1u);
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[first], Verdict::Unsure);
    EXPECT_FALSE(stored.count(second));
}
