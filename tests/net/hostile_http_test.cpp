#include "BookmarkModel.h"
#include "CurlProbeEngine.h"
#include "ProbeLink.h"
#include "Verdict.h"
#include "VerificationRun.h"

#include "CurlGlobalEnvironment.h"
#include "LocalHttpServer.h"
#include "NoSystemProxy.h"
#include "RefusingPort.h"
#include "ResidentMemory.h"
#include "ScriptedConnection.h"
#include "ScriptedServer.h"
#include "SilentServer.h"

#include <QEventLoop>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <memory>

namespace {

// The verdict and its reason by the old rule of two verdicts.
QString StrictVerdictText(const ProbeResult& result)
{
    return JudgeProbe(result, JudgeMode::Strict, {}, true).text;
}

using namespace std::chrono_literals;

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

// Lowered so that every stalled case ends in a few seconds.
const ProbeLimits shortLimits{2000, 2};

// Growth of the resident set that a probe may cause; a client that kept a
// hostile answer in memory would go far beyond it.
const long flatMemoryKibibytes = 50 * 1024;

const std::string emptyOk = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";

class HostileHttpTest : public ::testing::Test
{
protected:
    static ProbeResult result(const std::string& url, const ProbeLimits& limits = shortLimits)
    {
        return ProbeLink(QString::fromStdString(url), ProxySettings{}, limits);
    }

    static bool probe(const std::string& url) { return result(url).alive; }

    NoSystemProxy noProxy;
};

std::string redirectTo(const std::string& location)
{
    return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

// Answers each request with the bytes stored for its target, then closes.
ScriptedServer::Script cannedAnswers(const std::map<std::string, std::string>& answers)
{
    return [answers](ScriptedConnection& connection) {
        const auto target = connection.readRequest();
        if (!target)
            return;
        const auto found = answers.find(*target);
        if (found != answers.end())
            connection.send(found->second);
    };
}

// Each byte followed by a silence, by default longer than the probe's
// low-speed time.
void trickle(ScriptedConnection& connection, const std::string& bytes,
             std::chrono::milliseconds silence = 3s)
{
    for (const char byte : bytes) {
        if (!connection.send(std::string_view(&byte, 1)) || !connection.pause(silence))
            return;
    }
}

const std::uint64_t fiveGigabytes = 5ull * 1024 * 1024 * 1024;

// A 200 announcing five gigabytes, streamed as fast as the client takes them;
// returns how much of the body left the server.
std::uint64_t streamHugeBody(ScriptedConnection& connection)
{
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(fiveGigabytes) + "\r\n\r\n";
    if (!connection.send(head))
        return 0;
    const std::string zeros(64 * 1024, '\0');
    const std::uint64_t headBytes = connection.bytesSent();
    while (connection.bytesSent() - headBytes < fiveGigabytes && connection.send(zeros)) {
    }
    return connection.bytesSent() - headBytes;
}

TEST_F(HostileHttpTest, HeadTrickledSlowerThanTheLowSpeedBoundIsDead)
{
    ScriptedServer server([](ScriptedConnection& connection) {
        const auto target = connection.readRequest();
        if (!target)
            return;
        if (*target == "/at-once") {
            connection.send(emptyOk);
            return;
        }
        trickle(connection, emptyOk);
    });
    EXPECT_TRUE(probe(server.url("/at-once")));
    EXPECT_FALSE(probe(server.url("/trickle")));
    EXPECT_EQ(server.acceptedCount(), 2);
}

TEST_F(HostileHttpTest, HeadTrickledWithinTheLowSpeedBoundEndsAtTheOverallBound)
{
    ScriptedServer server([](ScriptedConnection& connection) {
        if (connection.readRequest() && connection.send("HTTP/1.1 200 OK\r\nX-Slow: "))
            trickle(connection, std::string(1000, 'a'), 200ms);
    });
    const ProbeResult probed = result(server.url("/"), ProbeLimits{2000, 2, 1500});
    EXPECT_EQ(probed.outcome, ProbeOutcome::OverallTimeout);
    EXPECT_EQ(StrictVerdictText(probed), QStringLiteral("Dead: not done within 1.5 s"));
}

TEST_F(HostileHttpTest, VerdictComesWithTheFinalHeadNotTheBody)
{
    const struct
    {
        const char* path;
        const char* headBeforeStalling;
        ProbeOutcome outcome;
    } cases[] = {
        {"/final", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", ProbeOutcome::Answered},
        {"/challenge", "HTTP/1.1 401 No\r\nWWW-Authenticate: Basic\r\nContent-Length: 9\r\n\r\n",
         ProbeOutcome::Answered},
        // Neither head is the answer, so the probe waits for more.
        {"/informational", "HTTP/1.1 100 Continue\r\n\r\n", ProbeOutcome::NoDataTimeout},
        {"/redirect", "HTTP/1.1 302 Found\r\nLocation: /final\r\nContent-Length: 9\r\n\r\n",
         ProbeOutcome::NoDataTimeout},
    };
    std::map<std::string, std::string> heads;
    for (const auto& each : cases)
        heads[each.path] = each.headBeforeStalling;
    ScriptedServer server([heads](ScriptedConnection& connection) {
        const auto target = connection.readRequest();
        if (target && heads.count(*target) && connection.send(heads.at(*target)))
            connection.pause(1h);
    });

    for (const auto& each : cases) {
        SCOPED_TRACE(each.path);
        EXPECT_EQ(result(server.url(each.path)).outcome, each.outcome);
    }
    EXPECT_EQ(StrictVerdictText(result(server.url("/final"))), QStringLiteral("Alive: 200 OK"));
}

// Sends header lines of lineBytes each (a numbered name, filler, CRLF) until
// about totalBytes have gone; the filler goes in pieces, so the server never
// holds a whole line of ten megabytes.
void sendHeaderLines(ScriptedConnection& connection, size_t lineBytes, size_t totalBytes)
{
    const std::string filler(64 * 1024, 'a');
    for (size_t sent = 0, number = 0; sent < totalBytes; sent += lineBytes, ++number) {
        const std::string name = "X-Fill-" + std::to_string(number) + ": ";
        if (!connection.send(name))
            return;
        for (size_t left = lineBytes - name.size() - 2; left > 0;) {
            const size_t piece = std::min(left, filler.size());
            if (!connection.send(std::string_view(filler).substr(0, piece)))
                return;
            left -= piece;
        }
        if (!connection.send("\r\n"))
            return;
    }
}

TEST_F(HostileHttpTest, HugeHeadsAreRefusedAndNotKeptInMemory)
{
    const size_t tenMegabytes = 10 * 1024 * 1024;
    // /<line bytes>/<total bytes>
    ScriptedServer server([](ScriptedConnection& connection) {
        const auto target = connection.readRequest();
        size_t lineBytes = 0, totalBytes = 0;
        if (!target || std::sscanf(target->c_str(), "/%zu/%zu", &lineBytes, &totalBytes) != 2 ||
            !connection.send("HTTP/1.1 200 OK\r\n"))
            return;
        sendHeaderLines(connection, lineBytes, totalBytes);
        connection.send("Content-Length: 0\r\n\r\n");
    });
    const auto path = [](size_t lineBytes, size_t totalBytes) {
        return "/" + std::to_string(lineBytes) + "/" + std::to_string(totalBytes);
    };

    const long before = residentKibibytes();
    ASSERT_GT(before, 0);
    // Large but sound heads pass, so what follows fails for its size alone.
    EXPECT_TRUE(probe(server.url(path(1024, 64 * 1024))));
    EXPECT_TRUE(probe(server.url(path(16 * 1024, 16 * 1024))));
    // Such a head is no sound answer, and a client that took it whole would
    // take any size: the link is dead, and says why, be it many lines or one.
    for (const std::string& huge : {path(1024, tenMegabytes), path(tenMegabytes, tenMegabytes)})
        EXPECT_EQ(StrictVerdictText(result(server.url(huge))).toStdString(),
                  "Dead: answer head too large");
    if (residentMemoryIsComparable()) {
        EXPECT_LT(residentKibibytes() - before, flatMemoryKibibytes);
    }
    EXPECT_EQ(server.acceptedCount(), 4);
}

TEST_F(HostileHttpTest, RedirectChainsEndAfterThirtyHops)
{
    std::atomic_int requests{0};
    // /chain/<hops>/<n> redirects to /chain/<hops>/<n+1> until n reaches hops;
    // in a /tabs/ chain every other Location holds a TAB, so the probe follows
    // those hops itself and libcurl the others.
    ScriptedServer server([&requests](ScriptedConnection& connection) {
        while (const auto target = connection.readRequest()) {
            ++requests;
            char kind[8] = {};
            long hops = 0, at = 0;
            if (std::sscanf(target->c_str(), "/%7[a-z]/%ld/%ld", kind, &hops, &at) != 3)
                return;
            const std::string tab = std::string(kind) == "tabs" && at % 2 == 1 ? "\t" : "";
            const std::string next = "/" + std::string(kind) + "/" + std::to_string(hops) + "/" +
                                     tab + std::to_string(at + 1);
            if (!connection.send(at < hops ? redirectTo(next) : emptyOk))
                return;
        }
    });

    const struct
    {
        const char* kind;
        long hops;
        bool alive;
    } cases[] = {{"chain", 30, true},
                 {"chain", 31, false},
                 {"chain", 1000000, false},
                 {"tabs", 30, true},
                 {"tabs", 31, false}};
    for (const auto& each : cases) {
        SCOPED_TRACE(std::string(each.kind) + " " + std::to_string(each.hops));
        requests = 0;
        const std::string first =
            "/" + std::string(each.kind) + "/" + std::to_string(each.hops) + "/0";
        EXPECT_EQ(probe(server.url(first)), each.alive);
        // The first request and thirty redirects at most.
        EXPECT_EQ(requests.load(), 31);
    }
}

// A browser drops TAB, LF and CR from a Location and follows the rest.
const std::map<std::string, std::string> controlsInLocations = {
    {"/tab", "HTTP/1.1 302 Found\r\nLocation: /fi\tnal\r\nContent-Length: 0\r\n\r\n"},
    {"/cr", "HTTP/1.1 302 Found\r\nLocation: /fi\rnal\r\nContent-Length: 0\r\n\r\n"},
    {"/folded", "HTTP/1.1 301 Moved\r\nLocation: /fi\r\n\tnal\r\nContent-Length: 0\r\n\r\n"},
    {"/folded-after-blank",
     "HTTP/1.1 302 Found\r\nLocation:\r\n /final\r\nContent-Length: 0\r\n\r\n"},
    {"/trailing-control",
     "HTTP/1.1 302 Found\r\nLocation: /final\x01\r\nContent-Length: 0\r\n\r\n"},
    {"/tab-then-moved", "HTTP/1.1 302 Found\r\nLocation: /mo\tved\r\nContent-Length: 0\r\n\r\n"},
    {"/moved", redirectTo("/final")},
    {"/control", "HTTP/1.1 302 Found\r\nLocation: /fi\x01nal\r\nContent-Length: 0\r\n\r\n"},
    {"/final", emptyOk},
};

TEST_F(HostileHttpTest, ControlBytesInARedirectAreReadAsABrowserReadsThem)
{
    ScriptedServer server(cannedAnswers(controlsInLocations));
    const struct
    {
        const char* path;
        const char* verdict; // a person's, up to where the address follows
        int redirects;
    } cases[] = {
        {"/tab", "Alive: 200 OK", 1},
        {"/cr", "Alive: 200 OK", 1},
        {"/folded", "Alive: 200 OK", 1},
        {"/folded-after-blank", "Alive: 200 OK", 1},
        // Controls at either end are trimmed as blanks are.
        {"/trailing-control", "Alive: 200 OK", 1},
        {"/tab-then-moved", "Alive: 200 OK", 2},
        {"/control", "Not sure: the server sent a malformed redirect", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const ProbeResult probed = result(server.url(c.path));
        const QString verdict = JudgeProbe(probed, JudgeMode::Person, {}, true).text;
        EXPECT_TRUE(verdict.startsWith(QLatin1String(c.verdict))) << verdict.toStdString();
        EXPECT_EQ(probed.redirects, c.redirects);
        if (c.redirects > 0) {
            EXPECT_EQ(probed.finalAddress.toStdString(), server.url("/final"));
        }
    }
}

TEST_F(HostileHttpTest, MalformedStatusLinesGetDefiniteVerdicts)
{
    const struct
    {
        const char* answer;
        bool alive;
    } cases[] = {
        {"HTTP/1.1 abc OK\r\nContent-Length: 0\r\n\r\n", false},
        {"garbage\r\n\r\n", false},
        {"\r\n\r\n", false},
        {"HTTP/1.1 2000 OK\r\nContent-Length: 0\r\n\r\n", false},
        {"HTTP/1.1 20 OK\r\nContent-Length: 0\r\n\r\n", false},
        {"HTTP/1.1 0200 OK\r\nContent-Length: 0\r\n\r\n", false},
        {"HTTP/1.1 -200 OK\r\nContent-Length: 0\r\n\r\n", false},
        {"HTTP/9.9 200 OK\r\nContent-Length: 0\r\n\r\n", false},
        // The reason phrase is optional, and bare line feeds are what many
        // small servers send: both are sound answers.
        {"HTTP/1.1 200\r\nContent-Length: 0\r\n\r\n", true},
        {"HTTP/1.1 200 OK\nContent-Length: 0\n\n", true},
    };
    std::map<std::string, std::string> answers;
    for (size_t i = 0; i < std::size(cases); ++i)
        answers["/case/" + std::to_string(i)] = cases[i].answer;
    ScriptedServer server(cannedAnswers(answers));

    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].answer);
        EXPECT_EQ(probe(server.url("/case/" + std::to_string(i))), cases[i].alive);
    }
    EXPECT_EQ(server.acceptedCount(), int(std::size(cases)));
}

TEST_F(HostileHttpTest, TlsHandshakeAnsweredInPlainTextIsDead)
{
    // Takes whatever the client sends first, a request or a TLS hello, and
    // answers it as plain HTTP.
    ScriptedServer answering([](ScriptedConnection& connection) {
        if (!connection.readSome().empty())
            connection.send(emptyOk);
    });
    EXPECT_TRUE(probe(answering.url("/")));
    EXPECT_EQ(result(answering.url("/", "https")).outcome, ProbeOutcome::TlsFailure);

    // Greets in plain text before the client has said anything.
    ScriptedServer greeting([](ScriptedConnection& connection) { connection.send(emptyOk); });
    EXPECT_FALSE(probe(greeting.url("/", "https")));

    LocalHttpServer real([](httplib::Server& routes) {
        routes.Get(".*", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("body", "text/plain");
        });
    });
    EXPECT_FALSE(probe("https://" + real.hostAndPort("/")));

    EXPECT_EQ(answering.acceptedCount(), 2);
    EXPECT_EQ(greeting.acceptedCount(), 1);
}

TEST_F(HostileHttpTest, ConnectionClosedInsideTheHeadIsDead)
{
    const struct
    {
        const char* path;
        const char* sentBeforeClosing;
        bool alive;
    } cases[] = {
        {"/nothing", "", false},
        {"/inside-status-line", "HTTP/1.1 20", false},
        {"/after-status-line", "HTTP/1.1 200 OK\r\n", false},
        {"/inside-header", "HTTP/1.1 200 OK\r\nContent-Ty", false},
        {"/before-blank-line", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n", false},
        // The head is whole; the body simply ends with the connection.
        {"/whole-head", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n", true},
        // A whole redirect does not make the cut head after it whole.
        {"/to-cut", "HTTP/1.1 302 Found\r\nLocation: /after-status-line\r\n\r\n", false},
        {"/to-whole", "HTTP/1.1 302 Found\r\nLocation: /whole-head\r\n\r\n", true},
    };
    std::map<std::string, std::string> answers;
    for (const auto& each : cases)
        answers[each.path] = each.sentBeforeClosing;
    ScriptedServer server(cannedAnswers(answers));

    for (const auto& each : cases) {
        SCOPED_TRACE(each.path);
        const ProbeResult probed = result(server.url(each.path));
        EXPECT_EQ(probed.alive, each.alive);
        EXPECT_EQ(probed.outcome, each.alive ? ProbeOutcome::Answered : ProbeOutcome::CutHead);
    }
}

TEST_F(HostileHttpTest, FiveGigabyteBodyIsNotDownloadedNorKeptInMemory)
{
    std::atomic<std::uint64_t> sent{0};
    ScriptedServer server([&sent](ScriptedConnection& connection) {
        if (connection.readRequest())
            sent = streamHugeBody(connection);
    });

    const long before = residentKibibytes();
    ASSERT_GT(before, 0);
    EXPECT_TRUE(probe(server.url("/")));
    if (residentMemoryIsComparable()) {
        EXPECT_LT(residentKibibytes() - before, flatMemoryKibibytes);
    }
    // Once the script has returned, its count is final: what the socket
    // buffers took before the client, done at the end of the head, hung up.
    server.stop();
    EXPECT_LT(sent.load(), 10u * 1024 * 1024);
}

// Whole verification runs, with the real probe, over links to such servers.
class HostileRunTest : public HostileHttpTest
{
protected:
    BookmarkNode* addLink(const std::string& url)
    {
        BookmarkNode* node = tree.addChild(nullptr);
        BookmarkEntry* entry = BookmarkModel::entry(node);
        entry->Link = QString::fromStdString(url);
        entry->Status = StatusUnverified;
        return node;
    }

    std::unique_ptr<VerificationRun> makeRun(const ProbeLimits& limits,
                                             int linksAtOnce = Settings::DefaultLinksAtOnce)
    {
        return std::make_unique<VerificationRun>(tree, std::make_shared<SharedProxySettings>(),
                                                 std::make_unique<CurlProbeEngine>(limits),
                                                 linksAtOnce);
    }

    static qint16 status(BookmarkNode* node) { return BookmarkModel::entry(node)->Status; }

    BookmarkModel tree;
};

TEST_F(HostileRunTest, RunThroughMisbehavingServersDecidesEveryLinkAndGoesOn)
{
    ScriptedServer server([](ScriptedConnection& connection) {
        while (const auto target = connection.readRequest()) {
            if (*target == "/loop") {
                if (!connection.send(redirectTo("/loop")))
                    return;
                continue;
            }
            if (*target == "/trickle")
                trickle(connection, emptyOk);
            else if (*target == "/cut")
                connection.send("HTTP/1.1 200 OK\r\nContent-Ty");
            else if (*target == "/garbage")
                connection.send("garbage\r\n\r\n");
            else if (*target == "/huge-body")
                streamHugeBody(connection);
            else
                connection.send(emptyOk);
            return;
        }
    });
    const RefusingPort refusing;
    const std::string unreachable = refusing.url("/");
    const struct
    {
        BookmarkNode* node;
        qint16 expected;
    } links[] = {
        {addLink(server.url("/first")), StatusAlive},
        {addLink(server.url("/trickle")), StatusDead},
        {addLink(server.url("/cut")), StatusDead},
        {addLink(server.url("/loop")), StatusDead},
        {addLink(server.url("/garbage")), StatusDead},
        {addLink(server.url("/huge-body")), StatusAlive},
        {addLink(server.url("/", "https")), StatusDead},
        {addLink(unreachable), StatusDead},
        {addLink(server.url("/last")), StatusAlive},
    };

    const auto run = makeRun(shortLimits);
    // Each misbehaviour gets its one definite verdict of the old rule.
    run->setJudgeMode(JudgeMode::Strict);
    QEventLoop loop;
    QObject::connect(run.get(), &VerificationRun::ended, &loop, &QEventLoop::quit);
    ASSERT_TRUE(run->start());
    loop.exec();

    for (const auto& link : links) {
        SCOPED_TRACE(BookmarkModel::entry(link.node)->Link.toStdString());
        EXPECT_EQ(status(link.node), link.expected);
    }
}

TEST_F(HostileRunTest, ARunFollowsARedirectWithATabAndKnowsTheServerAnswered)
{
    ScriptedServer server(cannedAnswers(controlsInLocations));
    BookmarkNode* tab = addLink(server.url("/tab"));
    BookmarkNode* control = addLink(server.url("/control"));

    const auto run = makeRun(shortLimits);
    QEventLoop loop;
    QObject::connect(run.get(), &VerificationRun::ended, &loop, &QEventLoop::quit);
    ASSERT_TRUE(run->start());
    loop.exec();

    EXPECT_EQ(status(tab), StatusAlive);
    EXPECT_EQ(status(control), StatusUnsure);
    EXPECT_FALSE(ReachedNoServer(run->tally()));
}

TEST_F(HostileRunTest, ClosingEndsARunWhoseProbeHangs)
{
    // Bounds beyond any test's time: only the cancel can end these probes,
    // and without it the test runs into its timeout.
    const ProbeLimits endless{3600L * 1000, 3600};
    for (const bool stoppedFirst : {false, true}) {
        SCOPED_TRACE(stoppedFirst ? "stopped, then closed" : "closed");
        SilentServer silent;
        tree.clear();
        BookmarkNode* hanging = addLink("http://127.0.0.1:" + std::to_string(silent.port()) + "/");
        BookmarkNode* next = addLink("http://127.0.0.1:" + std::to_string(silent.port()) + "/2");

        const auto run = makeRun(endless, 1);
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(silent.waitForConnection());
        if (stoppedFirst)
            run->stop();
        run->abort();

        EXPECT_FALSE(run->isWorkerRunning());
        // The cancelled probe says nothing about its link; the next never ran.
        EXPECT_EQ(status(hanging), StatusUnverified);
        EXPECT_EQ(status(next), StatusUnverified);
        EXPECT_EQ(silent.acceptedCount(), 1);
    }
}

} // namespace
