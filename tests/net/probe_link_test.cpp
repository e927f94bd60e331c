#include "CurlProbeEngine.h"
#include "ProbeAddress.h"
#include "ProbeLink.h"
#include "Verdict.h"

#include "CurlGlobalEnvironment.h"
#include "LocalHttpServer.h"
#include "RefusingPort.h"
#include "ScopedEnvironment.h"
#include "ScriptedConnection.h"
#include "ScriptedServer.h"
#include "SilentServer.h"
#include "TempDir.h"
#include "TinyProxy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

// The verdict and its reason by the old rule of two verdicts.
QString StrictVerdictText(const ProbeResult& result)
{
    return JudgeProbe(result, JudgeMode::Strict, {}, true).text;
}

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

const ProxySettings direct;
// Lowered so that a hung server ends a probe quickly.
const ProbeLimits shortLimits{2000, 2};

const size_t hugeBodySize = 100u * 1024 * 1024;

// A label longer than DNS allows: the resolver gives up without asking
// anyone, so the lookup fails on this machine.
const std::string unresolvable = "http://" + std::string(64, 'a') + ".invalid/";

// A handler answering with the status, a Location header when one is given,
// and a short body; a body on a redirect must not be taken for the final one.
httplib::Server::Handler answer(int status, const std::string& location = {})
{
    return [status, location](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        if (!location.empty())
            response.set_header("Location", location);
        response.set_content("body", "text/plain");
    };
}

// Bytes of the huge body that left the server, and whether it has given up.
struct BodyCounter
{
    std::atomic<size_t> sent{0};
    std::atomic_bool finished{false};

    bool waitUntilFinished() const
    {
        for (int tries = 0; tries < 3000 && !finished.load(); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return finished.load();
    }
};

void addRoutes(httplib::Server& server, BodyCounter& counter)
{
    server.Get("/ok", answer(200));
    server.Get("/empty",
               [](const httplib::Request&, httplib::Response& response) { response.status = 200; });
    server.Get("/found-nowhere", answer(302));
    server.Get("/moved-nowhere", answer(301));
    server.Get("/temporary-nowhere", answer(307));
    server.Get("/moved", answer(301, "/ok"));
    server.Get("/see-other", answer(303, "/ok"));
    server.Get("/missing", answer(404));
    server.Get("/broken", answer(500));
    server.Get("/loop", answer(302, "/loop"));
    server.Get("/to-file", answer(302, "file:///etc/passwd"));
    server.Get("/to-ftp", answer(302, "ftp://127.0.0.1/"));
    server.Get("/private", [](const httplib::Request& request, httplib::Response& response) {
        if (request.has_header("Authorization"))
            return answer(200)(request, response);
        response.set_header("WWW-Authenticate", "Basic realm=\"private\"");
        answer(401)(request, response);
    });
    // A page, so that not even an HTML body is read unless asked for.
    server.Get("/huge", [&counter](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            hugeBodySize, "text/html",
            [&counter](size_t, size_t length, httplib::DataSink& sink) {
                static const std::string chunk(64 * 1024, 'x');
                const size_t size = std::min(length, chunk.size());
                if (!sink.write(chunk.data(), size))
                    return false;
                counter.sent += size;
                return true;
            },
            [&counter](bool) { counter.finished = true; });
    });
    // Everything else answers 200, so the tests can see which path arrived.
    server.Get(".*", answer(200));
}

class ProbeLinkTest : public ::testing::Test
{
protected:
    ProbeLinkTest()
    {
        // The machine's own proxy settings must not carry test traffic away
        // from 127.0.0.1; tests that want them set them.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                 "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
            environment.unset(name);
    }

    static ProbeResult result(const std::string& link, const ProxySettings& proxy = direct,
                              const std::atomic_bool* cancel = nullptr)
    {
        return ProbeLink(QString::fromStdString(link), proxy, shortLimits, cancel);
    }

    static bool probe(const std::string& link, const ProxySettings& proxy = direct)
    {
        return result(link, proxy).alive;
    }

    ScopedEnvironment environment;
    BodyCounter counter;
    LocalHttpServer server{[this](httplib::Server& routes) { addRoutes(routes, counter); }};
};

TEST_F(ProbeLinkTest, FinalStatusTextDecides)
{
    const struct
    {
        const char* path;
        bool alive;
    } cases[] = {
        {"/ok", true},       {"/empty", true},     {"/found-nowhere", true},
        {"/moved", true},    {"/see-other", true}, {"/moved-nowhere", false},
        {"/missing", false}, {"/broken", false},   {"/temporary-nowhere", false},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.path);
        EXPECT_EQ(probe(server.url(each.path)), each.alive);
    }
}

TEST_F(ProbeLinkTest, EveryVerdictSaysWhy)
{
    SilentServer silent;
    const RefusingPort refusing;
    const std::atomic_bool cancelled{true};
    const ProxySettings proxyDown{true, QStringLiteral("127.0.0.1"),
                                  QString::number(refusing.port())};
    const struct
    {
        std::string link;
        ProbeOutcome outcome;
        std::string text;
        ProxySettings proxy = direct;
        const std::atomic_bool* cancel = nullptr;
    } cases[] = {
        {server.url("/missing"), ProbeOutcome::Answered, "Dead: 404 Not Found"},
        {server.url("/ok"), ProbeOutcome::Answered, "Alive: 200 OK"},
        {server.url("/found-nowhere"), ProbeOutcome::Answered, "Alive: 302 Found"},
        {server.url("/moved"), ProbeOutcome::Answered, "Alive: 200 OK, to " + server.url("/ok")},
        {unresolvable, ProbeOutcome::NameNotResolved, "Dead: name not resolved"},
        {refusing.url("/"), ProbeOutcome::ConnectionRefused, "Dead: connection refused"},
        {"http://127.0.0.1:" + std::to_string(silent.port()) + "/", ProbeOutcome::NoDataTimeout,
         "Dead: no answer within 2 s"},
        {server.url("/loop"), ProbeOutcome::TooManyRedirects, "Dead: too many redirects"},
        {server.url("/to-ftp"), ProbeOutcome::SchemeNotAllowed, "Dead: scheme not allowed"},
        {"", ProbeOutcome::MalformedLink, "Dead: malformed link"},
        {server.url("/ok"), ProbeOutcome::ProxyRefused, "Dead: proxy failure: connection refused",
         proxyDown},
        {server.url("/ok"), ProbeOutcome::Cancelled, "Dead: cancelled", direct, &cancelled},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.text);
        const ProbeResult probed = result(each.link, each.proxy, each.cancel);
        EXPECT_EQ(probed.outcome, each.outcome);
        EXPECT_EQ(StrictVerdictText(probed).toStdString(), each.text);
    }

    const ProbeResult moved = result(server.url("/moved"));
    EXPECT_EQ(moved.redirects, 1);
    EXPECT_EQ(ProbeReasonText(moved).toStdString(), "200 OK, to " + server.url("/ok"));
    EXPECT_TRUE(result(server.url("/ok")).finalAddress.isEmpty());
    EXPECT_EQ(result(server.url("/loop")).redirects, 30);
    // An answer without a phrase (as HTTP/2 gives them) gets the usual one.
    ProbeResult bare;
    bare.outcome = ProbeOutcome::Answered;
    bare.statusCode = 503;
    EXPECT_EQ(ProbeReasonText(bare), QStringLiteral("503 Service Unavailable"));
}

TEST_F(ProbeLinkTest, CredentialsGoOnlyToAServerThatAsksForThem)
{
    const std::string credentials = "user:secret@";
    for (const std::string& link : {"http://" + credentials + server.hostAndPort("/ok"),
                                    "mailto:name.secret@" + server.hostAndPort("/ok")}) {
        SCOPED_TRACE(link);
        EXPECT_TRUE(probe(link));
        EXPECT_FALSE(server.lastRequest().hasHeader("Authorization"));
    }

    server.clearRequests();
    EXPECT_TRUE(probe("http://" + credentials + server.hostAndPort("/private")));
    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].hasHeader("Authorization"));
    EXPECT_EQ(seen[1].header("Authorization"), "Basic dXNlcjpzZWNyZXQ=");

    // Without credentials the challenge is the answer.
    EXPECT_EQ(StrictVerdictText(result(server.url("/private"))),
              QStringLiteral("Dead: 401 Unauthorized"));
}

TEST_F(ProbeLinkTest, RedirectLoopsAndRedirectsOutOfHttpAreDead)
{
    EXPECT_FALSE(probe(server.url("/loop")));
    // The first request and thirty redirects, then the probe gives up.
    EXPECT_EQ(server.requests().size(), 31u);

    EXPECT_FALSE(probe(server.url("/to-file")));
    EXPECT_FALSE(probe(server.url("/to-ftp")));
}

TEST_F(ProbeLinkTest, UnreachableServersAreDead)
{
    const RefusingPort refusing;
    EXPECT_FALSE(probe(refusing.url("/")));

    SilentServer silent;
    EXPECT_FALSE(probe("http://127.0.0.1:" + std::to_string(silent.port()) + "/"));
    EXPECT_EQ(silent.acceptedCount(), 1);
}

TEST_F(ProbeLinkTest, NoDescriptorForASocketOrALookupIsOutOfFilesNotDead)
{
    // A child uses up its own descriptors, not the test's; its exit status
    // is 0, or one more than the first wrong outcome.
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_NOFILE, &limit);
        while (dup(STDERR_FILENO) >= 0) {
        }
        for (const std::string& link : {server.url("/ok"), unresolvable}) {
            if (const ProbeOutcome outcome = result(link).outcome;
                outcome != ProbeOutcome::OutOfFiles)
                _exit(1 + int(outcome));
        }
        _exit(0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "outcome " << WEXITSTATUS(status) - 1;
}

TEST_F(ProbeLinkTest, HttpPrefixAddedOnlyWhenTheWordIsMissing)
{
    EXPECT_TRUE(probe(server.hostAndPort("/ok")));
    EXPECT_TRUE(probe("HTTP://" + server.hostAndPort("/ok")));
    EXPECT_TRUE(probe("hTtP://" + server.hostAndPort("/ok")));
    EXPECT_EQ(server.requests().size(), 3u);

    // Prefixed as a whole, scheme included, these are no usable URLs.
    EXPECT_FALSE(probe("ftp://" + server.hostAndPort("/ok")));
    EXPECT_FALSE(probe("file://" + server.hostAndPort("/ok")));
    EXPECT_FALSE(probe(""));
    // "http" in the path keeps the prefix off, and a link without a scheme
    // is never guessed into one.
    EXPECT_FALSE(probe(server.hostAndPort("/http")));
    EXPECT_FALSE(probe("localhost:" + std::to_string(server.port()) + "/http"));
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(ProbeLinkTest, RequestIsAPlainGetInTheLinksOwnCase)
{
    ASSERT_TRUE(probe(server.url("/Some/Page.HTML?Q=A%20b")));
    const SeenRequest seen = server.lastRequest();
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(seen.path, "/Some/Page.HTML?Q=A%20b");
    EXPECT_EQ(seen.header("User-Agent"), "InetURL:/1.0");
    EXPECT_FALSE(seen.hasHeader("Accept-Encoding"));
    EXPECT_FALSE(seen.hasHeader("Cookie"));
    EXPECT_FALSE(seen.hasHeader("Via"));
}

TEST_F(ProbeLinkTest, BodyIsNotDownloaded)
{
    EXPECT_TRUE(probe(server.url("/huge")));
    ASSERT_TRUE(counter.waitUntilFinished());
    // The transfer ends with the head; what left the server before
    // that is what the socket buffers took, a tiny part of the whole.
    EXPECT_LT(counter.sent.load(), hugeBodySize / 10);
}

TEST_F(ProbeLinkTest, BlanksControlsAndNonAsciiGoOutPercentEncoded)
{
    EXPECT_EQ(LinkTo8Bit(QStringLiteral("http://h/a?%41~")), QByteArray("http://h/a?%41~"));
    EXPECT_EQ(LinkTo8Bit(QStringLiteral("http://h/a b\t\x7f")), QByteArray("http://h/a%20b%09%7F"));
    EXPECT_TRUE(probe(server.url("/ok?q=a b")));
    EXPECT_EQ(server.lastRequest().path, "/ok?q=a%20b");

    EXPECT_EQ(LinkTo8Bit(QString::fromUtf8("/\xD0\xB0\xD0\xB1")), QByteArray("/%D0%B0%D0%B1"));
    // A character outside the basic plane is one UTF-8 sequence, not two halves.
    EXPECT_EQ(LinkTo8Bit(QString::fromUtf8("\xF0\x9F\x98\x80")), QByteArray("%F0%9F%98%80"));

    EXPECT_TRUE(ProbeLink(QString::fromStdString(server.url("/")) +
                              QString::fromUtf8("\xD0\xBA\xD0\xBE\xD1\x82"),
                          direct, shortLimits)
                    .alive);
    EXPECT_EQ(server.lastRequest().path, "/%D0%BA%D0%BE%D1%82");
}

TEST_F(ProbeLinkTest, CancelEndsATransferInFlight)
{
    SilentServer silent;
    std::atomic_bool cancel{false};
    // Limits above the bound below, so only the cancel can end this probe
    // in time, yet a probe that ignores it still ends and fails the test.
    const ProbeLimits patient{60000, 90};
    auto probing = std::async(std::launch::async, [&] {
        return ProbeLink(QStringLiteral("http://127.0.0.1:%1/").arg(silent.port()), direct, patient,
                         &cancel);
    });
    ASSERT_TRUE(silent.waitForConnection());
    cancel = true;
    ASSERT_EQ(probing.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_FALSE(probing.get().alive);
}

TEST_F(ProbeLinkTest, CancelledBeforehandSendsNothing)
{
    const std::atomic_bool cancel{true};
    EXPECT_FALSE(
        ProbeLink(QString::fromStdString(server.url("/ok")), direct, shortLimits, &cancel).alive);
    EXPECT_TRUE(server.requests().empty());
}

httplib::Server::Handler page(const std::string& body, const std::string& type, int status = 200,
                              const std::string& retryAfter = {})
{
    return [=](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        if (!retryAfter.empty())
            response.set_header("Retry-After", retryAfter);
        response.set_content(body, type);
    };
}

void addPageRoutes(httplib::Server& server)
{
    const std::string html = "text/html; charset=utf-8";
    const std::string parked = "<title>example.org</title><p>This domain is for sale!</p>";
    server.Get("/", page("<title>Home</title>", html));
    server.Get("/parked", page(parked, html));
    server.Get("/parked-1251", page("<title>\xC4\xEE\xEC\xE0</title><p>\xDD\xF2\xEE\xF2 \xE4\xEE"
                                    "\xEC\xE5\xED \xEF\xF0\xEE\xE4\xE0\xE5\xF2\xF1\xFF.</p>",
                                    "text/html; charset=windows-1251"));
    server.Get("/nicht-da", page("<title>Seite nicht gefunden</title><p>Leider.</p>", html));
    server.Get("/article", page("<title>Bread</title><p>Bake it for an hour.</p>", html));
    server.Get("/parked-text", page(parked, "text/plain"));
    server.Get("/busy", page(parked, html, 429, "30"));
    server.Get("/down", page("", "text/plain", 503, "Wed, 21 Oct 2099 07:28:00 GMT"));
    server.Get("/permanent", answer(301, "/permanent-2"));
    server.Get("/permanent-2", answer(308, "/article"));
    server.Get("/mixed", answer(301, "/mixed-2"));
    server.Get("/mixed-2", answer(302, "/article"));
    server.Get("/deep/page", answer(301, "/"));
    // Only a host on the way names the domain for sale (libcurl itself takes
    // localhost to the loopback).
    server.Get("/to-localhost", [](const httplib::Request& request, httplib::Response& response) {
        const std::string sold = "http://localhost:" + std::to_string(request.local_port) + "/sold";
        answer(302, sold)(request, response);
    });
    server.Get("/sold", page("<p>localhost is for sale</p>", html));
}

void stallAfterTheHead(ScriptedConnection& connection)
{
    if (!connection.readRequest())
        return;
    connection.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 99999\r\n\r\n"
                    "<html><title>Domain for sale");
    connection.pause(std::chrono::minutes(2));
}

TEST_F(ProbeLinkTest, PageReadAndRedirectChainTellWhatTheVerdictNeeds)
{
    const LocalHttpServer pages{&addPageRoutes};
    const LocalHttpServer other{
        [&](httplib::Server& routes) { routes.Get("/", answer(302, pages.url("/"))); }};
    ScriptedServer stalling{&stallAfterTheHead};
    // Only the page reading's own bound can end the stalled body well before 30 s.
    const ProbeLimits limits{2000, 30};
    using P = PageSignal;
    // Status, page, Retry-After, redirects, all permanent, sent to a home page.
    using Facts = std::tuple<int, PageSignal, int, int, bool, bool>;
    const std::tuple<std::string, bool, Facts> cases[] = {
        {pages.url("/parked"), true, {200, P::Parked, -1, 0, false, false}},
        {pages.url("/parked-1251"), true, {200, P::Parked, -1, 0, false, false}},
        {pages.url("/nicht-da"), true, {200, P::SaysNotFound, -1, 0, false, false}},
        {pages.url("/article"), true, {200, P::None, -1, 0, false, false}},
        {pages.url("/parked-text"), true, {200, P::None, -1, 0, false, false}},
        {pages.url("/parked"), false, {200, P::None, -1, 0, false, false}},
        {stalling.url("/"), true, {200, P::None, -1, 0, false, false}},
        {pages.url("/busy"), true, {429, P::None, 30, 0, false, false}},
        {pages.url("/down"), true, {503, P::None, 60, 0, false, false}},
        {pages.url("/permanent"), true, {200, P::None, -1, 2, true, false}},
        {pages.url("/mixed"), true, {200, P::None, -1, 2, false, false}},
        {pages.url("/deep/page?id=3"), true, {200, P::None, -1, 1, true, true}},
        {other.url("/"), true, {200, P::None, -1, 1, false, false}},
        {pages.url("/to-localhost"), true, {200, P::Parked, -1, 1, false, false}},
    };
    for (const auto& [link, readPage, facts] : cases) {
        SCOPED_TRACE(link + (readPage ? " read" : " head only"));
        const ProbeResult r =
            ProbeLink(QString::fromStdString(link), direct, limits, nullptr, readPage);
        EXPECT_EQ(Facts(r.statusCode, r.page, r.retryAfterSeconds, r.redirects,
                        r.permanentRedirects, r.movedToHomePage),
                  facts);
        EXPECT_LT(r.elapsedMs, 20000);
    }

    CurlProbeEngine engine(limits);
    engine.start(7, QString::fromStdString(pages.url("/parked")), direct, true);
    std::vector<FinishedProbe> finished;
    while (finished.empty())
        finished = engine.takeFinished(1000);
    EXPECT_EQ(finished[0].result.page, PageSignal::Parked);
}

// Pages that send the browser on by themselves, and where they lead.
void addMovingPageRoutes(httplib::Server& server)
{
    const std::string html = "text/html";
    const auto refresh = [&](const std::string& content) {
        return page("<head><meta http-equiv=\"Refresh\" content=\"" + content +
                        "\"><title>Moving</title></head><body>One moment</body>",
                    html);
    };
    const auto script = [&](const std::string& line) {
        return page("<title>Moving</title><script>" + line + "</script>", html);
    };
    server.Get("/refresh", refresh("0; URL='/article'"));
    server.Get("/old/refresh-relative", refresh("3;url=next"));
    server.Get("/old/next", page("<title>Next</title>", html));
    server.Get("/script", script("window.location.href = \"/article\";"));
    server.Get("/to-gone", script("location.replace('/gone')"));
    server.Get("/gone", page("<title>Gone</title>", html, 404));
    server.Get("/deep/moved", refresh("0;url=/"));
    server.Get("/", page("<title>Home</title>", html));
    server.Get("/article", page("<title>Bread</title><p>Bake it.</p>", html));
    server.Get("/later", refresh("30; url=/gone"));
    server.Get("/self", refresh("5; url=/self#top"));
    server.Get("/ping", refresh("0; url=/pong"));
    server.Get("/pong", script("location = '/ping'"));
    server.Get("/moved-then-refresh", answer(301, "/to-gone"));
}

// A proxy in name only: it serves each host's page itself, so that a
// parking service's host can be reached without leaving the machine.
void addProxiedHosts(httplib::Server& server)
{
    server.Get(".*", [](const httplib::Request& request, httplib::Response& response) {
        const std::string host = request.get_header_value("Host");
        if (host == "oldshop.example")
            return page("<script>top.location = \"http://sedo.com/lander?d=oldshop.example\"\n"
                        "</script>",
                        "text/html")(request, response);
        if (host == "sedo.com")
            return page("<title>Welcome</title><p>Nice things</p>", "text/html")(request, response);
        response.status = 502;
    });
}

TEST_F(ProbeLinkTest, PagesThatMoveTheBrowserAreFollowedAsRedirects)
{
    LocalHttpServer pages{&addMovingPageRoutes};
    const LocalHttpServer proxied{&addProxiedHosts};
    const ProxySettings throughProxied{true, QStringLiteral("127.0.0.1"),
                                       QString::number(proxied.port())};
    const std::string moved = "200 OK, then the page moved the browser to ";
    const struct
    {
        std::string link;
        std::string text; // as a person judges it; by the old rule when pages are not read
        int redirects;
        bool readPage = true;
        ProxySettings proxy = direct;
    } cases[] = {
        {pages.url("/refresh"), "Alive: " + moved + pages.url("/article"), 1},
        {pages.url("/old/refresh-relative"), "Alive: " + moved + pages.url("/old/next"), 1},
        {pages.url("/script"), "Alive: " + moved + pages.url("/article"), 1},
        {pages.url("/to-gone"), "Dead: " + moved + pages.url("/gone") + ": 404 Not Found", 1},
        {pages.url("/moved-then-refresh"),
         "Dead: " + moved + pages.url("/gone") + ": 404 Not Found", 2},
        {pages.url("/deep/moved?id=4"),
         "Not sure: " + moved + pages.url("/") +
             ", sent to the site's home page; open it in a browser to see",
         1},
        {"http://oldshop.example/",
         "Dead: " + moved + "http://sedo.com/lander?d=oldshop.example" +
             ", the domain is parked or for sale",
         1, true, throughProxied},
        {pages.url("/later"), "Alive: 200 OK", 0},
        {pages.url("/self"), "Alive: 200 OK", 0},
        {pages.url("/ping"), "Dead: " + moved + pages.url("/ping") + ": too many redirects", 30},
        // The old rule reads no page, so only HTTP moves the browser.
        {pages.url("/to-gone"), "Alive: 200 OK", 0, false},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.link + (each.readPage ? " read" : " head only"));
        const ProbeResult r = ProbeLink(QString::fromStdString(each.link), each.proxy, shortLimits,
                                        nullptr, each.readPage);
        const JudgeMode mode = each.readPage ? JudgeMode::Person : JudgeMode::Strict;
        EXPECT_EQ(JudgeProbe(r, mode, {true, true}, true).text.toStdString(), each.text);
        EXPECT_EQ(r.redirects, each.redirects);
        EXPECT_FALSE(r.permanentRedirects);
    }
    // A loop of pages is asked as often as one of redirects.
    pages.clearRequests();
    ProbeLink(QString::fromStdString(pages.url("/ping")), direct, shortLimits, nullptr, true);
    EXPECT_EQ(pages.requests().size(), 31u);
}

class ProbeLinkProxyTest : public ProbeLinkTest
{
protected:
    static ProxySettings proxyAt(const std::string& address, int port)
    {
        return {true, QString::fromStdString(address), QString::number(port)};
    }

    bool reachedThroughProxy() const
    {
        return server.lastRequest().header("Via").find("tinyproxy") != std::string::npos;
    }

    TempDir folder;
    TinyProxy proxy{folder.path()};
};

TEST_F(ProbeLinkProxyTest, UseProxySendsEveryProbeThroughIt)
{
    EXPECT_TRUE(probe(server.url("/ok"), proxyAt("127.0.0.1", proxy.port())));
    EXPECT_TRUE(reachedThroughProxy());
    EXPECT_FALSE(probe(server.url("/missing"), proxyAt("127.0.0.1", proxy.port())));
    EXPECT_TRUE(reachedThroughProxy());

    // The proxy fields count only while the box is ticked.
    const RefusingPort refusing;
    ProxySettings unticked = proxyAt("127.0.0.1", refusing.port());
    unticked.useProxy = false;
    EXPECT_TRUE(probe(server.url("/ok"), unticked));
    EXPECT_FALSE(reachedThroughProxy());
}

TEST_F(ProbeLinkProxyTest, UnreachableOrEmptyProxyMakesLinksDead)
{
    const RefusingPort refusing;
    EXPECT_FALSE(probe(server.url("/ok"), proxyAt("127.0.0.1", refusing.port())));
    EXPECT_FALSE(probe(server.url("/ok"), {true, QString(), QStringLiteral("80")}));
    EXPECT_FALSE(probe(server.url("/ok"), {true, QString(), QString()}));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(ProbeLinkProxyTest, SystemProxySettingsApplyWhenUseProxyIsOff)
{
    environment.set("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));
    EXPECT_TRUE(probe(server.url("/ok")));
    EXPECT_TRUE(reachedThroughProxy());

    environment.set("no_proxy", "127.0.0.1");
    EXPECT_TRUE(probe(server.url("/ok")));
    EXPECT_FALSE(reachedThroughProxy());
}

TEST_F(ProbeLinkProxyTest, UseProxyIgnoresTheSystemBypassList)
{
    environment.set("no_proxy", "127.0.0.1,localhost");
    environment.set("NO_PROXY", "127.0.0.1,localhost");
    EXPECT_TRUE(probe(server.url("/ok"), proxyAt("127.0.0.1", proxy.port())));
    EXPECT_TRUE(reachedThroughProxy());
}

} // namespace
