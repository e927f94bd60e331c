#include "BookmarkModel.h"
#include "CurlProbeEngine.h"
#include "VerificationRun.h"

#include "CurlGlobalEnvironment.h"
#include "LocalHttpServer.h"
#include "NoSystemProxy.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <thread>

namespace {

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

// How a site answers an address it does not know.
enum class Unknown
{
    NotFound,     // 404
    SoftNotFound, // 200 with its "page not found" page
    SentHome,     // a redirect to its home page
    Error,        // 500
    // 429 with "Retry-After: 60" to all but the page that says it is not
    // found, so that the host is given up before its made-up address is asked.
    SlowDown,
};

void page(httplib::Response& response, const std::string& title)
{
    response.set_content("<html><head><title>" + title + "</title></head><body><h1>" + title +
                             "</h1><p>Some text.</p></body></html>",
                         "text/html; charset=utf-8");
}

void answerUnknown(Unknown unknown, httplib::Response& response)
{
    switch (unknown) {
    case Unknown::NotFound:
        response.status = 404;
        return page(response, "Not Found");
    case Unknown::SoftNotFound:
        return page(response, "Page not found");
    case Unknown::SentHome:
        return response.set_redirect("/");
    case Unknown::Error:
        response.status = 500;
        return;
    case Unknown::SlowDown:
        response.status = 429;
        response.set_header("Retry-After", "60");
        return;
    }
}

// A site with a home page, a live article whose title merely says "404", a
// page that says it is not found, and an old address sent home; whatever
// else is asked for gets the site's answer for unknown addresses.
std::unique_ptr<LocalHttpServer> site(Unknown unknown)
{
    return std::make_unique<LocalHttpServer>([unknown](httplib::Server& routes) {
        routes.Get("/", [](const httplib::Request&, httplib::Response& r) { page(r, "Welcome"); });
        routes.Get("/articles/404-errors-explained",
                   [unknown](const httplib::Request&, httplib::Response& r) {
                       if (unknown == Unknown::SlowDown)
                           return answerUnknown(unknown, r);
                       page(r, "404 errors explained");
                   });
        routes.Get("/articles/gone", [unknown](const httplib::Request&, httplib::Response& r) {
            if (unknown == Unknown::SoftNotFound)
                return answerUnknown(unknown, r);
            page(r, "Page not found");
        });
        routes.Get("/articles/moved", [unknown](const httplib::Request&, httplib::Response& r) {
            if (unknown == Unknown::SlowDown)
                return answerUnknown(unknown, r);
            r.set_redirect("/");
        });
        routes.Get(".*", [unknown](const httplib::Request&, httplib::Response& r) {
            answerUnknown(unknown, r);
        });
    });
}

class ContrastProbeTest : public ::testing::Test
{
protected:
    void addLink(const std::string& link)
    {
        BookmarkNode* node = tree.addChild(nullptr);
        BookmarkModel::entry(node)->Link = QString::fromStdString(link);
        BookmarkModel::entry(node)->Status = StatusUnverified;
    }

    // The text of each link's final verdict. One link at a time, in the
    // order added, and a second's wait at most for a host that asks for one.
    std::map<std::string, std::string> runOnce(JudgeMode mode)
    {
        std::map<std::string, std::string> texts;
        VerificationRun run(tree, std::make_shared<SharedProxySettings>(),
                            std::make_unique<CurlProbeEngine>(ProbeLimits{5000, 5, 20000}), 1);
        run.setJudgeMode(mode);
        run.setMaxHostWait(1);
        QObject::connect(&run, &VerificationRun::verdictStored,
                         [&](BookmarkNode* node, const LinkVerdict& verdict) {
                             texts[BookmarkModel::entry(node)->Link.toStdString()] =
                                 verdict.judgement.text.toStdString();
                         });
        QEventLoop loop;
        QObject::connect(&run, &VerificationRun::ended, &loop, &QEventLoop::quit);
        EXPECT_TRUE(run.start());
        loop.exec();
        tally = run.tally();
        return texts;
    }

    NoSystemProxy noProxy;
    BookmarkModel tree;
    RunTally tally;
};

const QString Welcome404 = QStringLiteral("200 OK; the site answers unknown addresses with 404");
const QString ShownForAny =
    QStringLiteral("gone: the site shows this page for any unknown address");

} // namespace

TEST_F(ContrastProbeTest, ASiteAnswerForAMadeUpAddressTellsGonePagesFromLiveOnes)
{
    struct Row
    {
        Unknown unknown;
        // The verdicts of the page that says it is not found, of the live
        // article titled "404 errors explained", and of the link sent home.
        QString notFound, decoy, sentHome;
        int madeUp; // requests for a made-up address
    };
    const QString dead = QStringLiteral("Dead: 200 OK, ") + ShownForAny;
    const QString notFoundUnsure = QStringLiteral(
        "Not sure: 200 OK, the page says it was not found; open it in a browser to see");
    const QString home = QStringLiteral("200 OK, to %1/");
    const QString homeUnsure =
        QStringLiteral("Not sure: ") + home +
        QStringLiteral(", sent to the site's home page; open it in a browser to see");
    const QString limited =
        QStringLiteral("Not sure: the site limits robots; checked 1 of its 3 links");
    const Row rows[] = {
        {Unknown::NotFound, "Alive: " + Welcome404, "Alive: " + Welcome404,
         "Alive: " + home + "; the site answers unknown addresses with 404", 1},
        {Unknown::SoftNotFound, dead, notFoundUnsure, homeUnsure, 1},
        {Unknown::SentHome, notFoundUnsure, notFoundUnsure, "Dead: " + home + ", " + ShownForAny,
         1},
        {Unknown::Error, notFoundUnsure, notFoundUnsure, homeUnsure, 1},
        // The made-up address waits behind the host's pause, and the host is
        // given up before it ends: the page goes by its own answer.
        {Unknown::SlowDown, notFoundUnsure, limited, limited, 0},
    };
    std::vector<std::unique_ptr<LocalHttpServer>> sites;
    for (const Row& row : rows) {
        sites.push_back(site(row.unknown));
        for (const char* path :
             {"/articles/gone", "/articles/404-errors-explained", "/articles/moved"})
            addLink(sites.back()->url(path));
    }
    const std::map<std::string, std::string> texts = runOnce(JudgeMode::Person);

    int expectedMadeUp = 0;
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const LocalHttpServer& server = *sites[i];
        SCOPED_TRACE(server.url("/"));
        const QString origin = QString::fromStdString(server.url(""));
        EXPECT_EQ(texts.at(server.url("/articles/gone")), row.notFound.toStdString());
        EXPECT_EQ(texts.at(server.url("/articles/404-errors-explained")), row.decoy.toStdString());
        EXPECT_EQ(texts.at(server.url("/articles/moved")), row.sentHome.arg(origin).toStdString());
        // One made-up address for the three links of the directory: random,
        // no word, in the same directory.
        int madeUp = 0;
        for (const SeenRequest& request : server.requests()) {
            const bool known = request.path == "/" || request.path == "/articles/gone" ||
                               request.path == "/articles/404-errors-explained" ||
                               request.path == "/articles/moved";
            if (known)
                continue;
            ++madeUp;
            EXPECT_TRUE(
                std::regex_match(request.path, std::regex("/articles/[b-df-hj-np-tv-z0-9]{20,}")))
                << request.path;
        }
        EXPECT_EQ(madeUp, row.madeUp);
        expectedMadeUp += row.madeUp;
    }
    EXPECT_EQ(tally.madeUp, expectedMadeUp);
}

TEST_F(ContrastProbeTest, AStopWhileTheMadeUpAddressIsAskedLeavesThePageToItsOwnAnswer)
{
    std::atomic_bool asked{false};
    std::atomic_bool release{false};
    LocalHttpServer server{[&](httplib::Server& routes) {
        routes.Get("/articles/gone", [](const httplib::Request&, httplib::Response& r) {
            page(r, "Page not found");
        });
        routes.Get(".*", [&](const httplib::Request&, httplib::Response& r) {
            asked = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            answerUnknown(Unknown::SoftNotFound, r);
        });
    }};
    // Lets the server's handler go before the server itself is taken down.
    const std::unique_ptr<std::atomic_bool, void (*)(std::atomic_bool*)> releaseAtEnd(
        &release, [](std::atomic_bool* flag) { *flag = true; });
    addLink(server.url("/articles/gone"));

    VerificationRun run(tree, std::make_shared<SharedProxySettings>(),
                        std::make_unique<CurlProbeEngine>(ProbeLimits{5000, 5, 20000}));
    run.setJudgeMode(JudgeMode::Person);
    std::vector<std::string> texts;
    QObject::connect(&run, &VerificationRun::verdictStored,
                     [&](BookmarkNode*, const LinkVerdict& verdict) {
                         texts.push_back(verdict.judgement.text.toStdString());
                     });
    QEventLoop loop;
    QObject::connect(&run, &VerificationRun::ended, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (asked && !run.isStopped())
            run.stop();
    });
    poll.start(5);
    ASSERT_TRUE(run.start());
    loop.exec();

    EXPECT_EQ(texts, std::vector<std::string>{"Not sure: 200 OK, the page says it was not found; "
                                              "open it in a browser to see"});
    EXPECT_EQ(run.tally().checked, 1);
}

TEST_F(ContrastProbeTest, TheStrictRuleAsksForNoMadeUpAddress)
{
    const std::unique_ptr<LocalHttpServer> server = site(Unknown::SoftNotFound);
    for (const char* path : {"/articles/gone", "/articles/moved"})
        addLink(server->url(path));
    const std::map<std::string, std::string> texts = runOnce(JudgeMode::Strict);

    EXPECT_EQ(texts.at(server->url("/articles/gone")), "Alive: 200 OK");
    // The two links and where the redirect led, nothing else.
    std::multiset<std::string> paths;
    for (const SeenRequest& request : server->requests())
        paths.insert(request.path);
    EXPECT_EQ(paths, (std::multiset<std::string>{"/articles/gone", "/articles/moved", "/"}));
    EXPECT_EQ(tally.madeUp, 0);
}
