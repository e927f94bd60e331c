// 500 links spread over 40 loopback hosts with planned latencies: the
// window's verification run at its default settings against the best run
// that keeps the tree's order, the floor that the links at once and 6 per
// host allow, LinkChecker and linkinator on a page of the same links, and
// the bare one-at-a-time loop. Every time is the server's: from the first
// request it saw to the last link's first answer (a second opinion asked
// later is not counted).

#include "BareProbe.h"
#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "FavoritesGenerator.h"
#include "FigureRow.h"
#include "HostPlan.h"
#include "HostsServer.h"
#include "Measure.h"
#include "ProcessTimer.h"
#include "Settings.h"
#include "TForm1.h"
#include "TreeCensus.h"
#include "VerificationRun.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>
#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unordered_map>

namespace {

constexpr int LinkCount = 500;
constexpr int HostCount = 40;
constexpr unsigned Seed = 14;
constexpr int LinksAtOnce = Settings::DefaultLinksAtOnce;
constexpr int LinksPerHost = 6;
constexpr double RunTimeoutSeconds = 600;
constexpr unsigned OtherPlans = 60;

const std::string Group =
    "8 " + FormatCount(LinkCount) + " links on " + std::to_string(HostCount) + " hosts, ";

// A peer's or our run as the server saw it.
struct Served
{
    double seconds = 0;
    bool complete = false; // every link that can be reached was asked for
};

Served servedBy(const HostsServer& server)
{
    if (!server.waitUntilIdle())
        std::fprintf(stderr,
                     "hosts: connections still open; the figure may lack the last answers\n");
    const std::vector<int> missing = server.linksNotAsked();
    std::fprintf(stderr,
                 "hosts: %zu requests, %.2f s to the first answers, %.2f s in all, %zu reachable "
                 "links never asked for%s\n",
                 server.requests().size(), server.firstAnswersSeconds(), server.wallSeconds(),
                 missing.size(),
                 missing.empty() ? "" : (", the first " + std::to_string(missing[0])).c_str());
    return {server.firstAnswersSeconds(), missing.empty()};
}

// The plan's indexes of the tree's links, in the order a run takes them.
std::vector<int> linkOrder(const BookmarkModel& tree, const HostsServer& server)
{
    std::unordered_map<QString, int> indexes;
    const std::vector<std::string> links = server.links();
    for (int i = 0; i < int(links.size()); ++i)
        indexes.emplace(QString::fromStdString(links[std::size_t(i)]), i);
    std::vector<int> order;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (!entry->IsFolder)
            order.push_back(indexes.at(entry->Link));
    }
    return order;
}

// The window as a user starts it: default settings, the generated Favorites
// folder, "Verify links" from the menu; returns when the run has ended, with
// the order of its links in order.
Served runWindow(HostsServer& server, int expectedAlive, std::vector<int>& order)
{
    TForm1 form;
    form.show();
    for (int i = 0; i < 1000 && !(form.windowHandle() && form.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    server.clearRequests();
    form.mnVerifyLinksClick();
    if (!form.VerifyThread)
        return {};
    QEventLoop loop;
    QObject::connect(form.VerifyThread, &VerificationRun::ended, &loop, &QEventLoop::quit);
    int madeUp = 0;
    QObject::connect(form.VerifyThread, &VerificationRun::ended,
                     [&madeUp](VerificationRun* run) { madeUp = run->tally().madeUp; });
    QTimer::singleShot(int(RunTimeoutSeconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    order = linkOrder(*form.VT->bookmarks(), server);
    const TreeCensus census = TakeCensus(*form.VT->bookmarks());
    std::fprintf(stderr,
                 "orvanta: %d links, %d alive (%d planned), %d not verified, %d made-up "
                 "addresses asked\n",
                 census.links, census.alive, expectedAlive, census.unverified, madeUp);
    Served served = servedBy(server);
    served.complete = served.complete && census.alive == expectedAlive && census.unverified == 0;
    return served;
}

Served runPeer(HostsServer& server, const std::string& program,
               const std::vector<std::string>& args, const std::filesystem::path& output)
{
    server.clearRequests();
    const ProcessRun run = RunProcess(program, args, output.string(), RunTimeoutSeconds);
    if (run.exitCode < 0 || run.timedOut) {
        std::fprintf(stderr, "%s: could not be run or did not finish\n", program.c_str());
        return {};
    }
    return servedBy(server);
}

Served runLinkChecker(HostsServer& server, const std::filesystem::path& work)
{
    const std::filesystem::path config = work / "hosts-linkcheckerrc";
    // No pause between requests: the server says it is a test server.
    std::ofstream(config) << "[checking]\nmaxrequestspersecond=1000000\n";
    return runPeer(server, "linkchecker",
                   {"--config", config.string(), "--threads", "10", "-r1", "--check-extern",
                    "--no-status", server.pageUrl()},
                   work / "hosts-linkchecker.txt");
}

void printVersus(const std::string& name, const Served& ours, const Served& theirs,
                 const std::string& target, double limit)
{
    if (theirs.seconds <= 0) {
        PrintRow({Group + "Orvanta vs " + name, FormatSeconds(ours.seconds), "not run", "-", target,
                  std::nullopt});
        return;
    }
    const double ratio = ours.seconds / theirs.seconds;
    const bool met = target.starts_with("<=") ? ratio <= limit : ratio < limit;
    PrintRow({Group + "Orvanta vs " + name, FormatSeconds(ours.seconds),
              FormatSeconds(theirs.seconds), FormatRatio(ratio), target,
              ours.complete && theirs.complete && met});
}

// The same order over other plans of the generator: whether this plan's
// distance between the best in-order run and the floor is the usual one.
void reportOrderOverPlans(const std::vector<int>& order)
{
    std::vector<double> ratios;
    for (unsigned seed = 1; seed <= OtherPlans; ++seed) {
        const std::vector<PlannedLink> plan = PlanLinks(LinkCount, HostCount, seed);
        ratios.push_back(InOrderSeconds(plan, order, LinksAtOnce, LinksPerHost) /
                         FloorSeconds(plan, LinksAtOnce, LinksPerHost));
    }
    const auto [least, most] = std::minmax_element(ratios.begin(), ratios.end());
    std::fprintf(stderr,
                 "hosts: the tree's order at no cost over %u plans: %.2fx to %.2fx of the floor\n",
                 OtherPlans, *least, *most);
    PrintRow({Group + "the tree's order at no cost vs floor, median of " +
                  std::to_string(OtherPlans) + " plans",
              FormatRatio(Median(ratios)), "-", "-", "(reported)", std::nullopt});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s WORK-FOLDER [LINKINATOR]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path work = argv[1];
    const std::string linkinator = argc == 3 ? argv[2] : "";
    const std::vector<PlannedLink> plan = PlanLinks(LinkCount, HostCount, Seed);
    const int alive = int(std::count_if(plan.begin(), plan.end(), [](const PlannedLink& link) {
        return link.answer == PlannedAnswer::Ok || link.answer == PlannedAnswer::Redirect;
    }));

    HostsServer server(plan, HostCount);
    if (!server.start()) {
        std::fprintf(stderr, "hosts: no port could be bound on all %d addresses\n", HostCount);
        return 1;
    }
    // A home of its own: no Config.ini, so the run has its default settings.
    const std::filesystem::path home = work / "hosts-home";
    std::filesystem::create_directories(home);
    GenerateFavorites(home / "Favorites", FavoritesLayout{5, 4, LinkCount / 25},
                      [&](int index) { return server.linkFor(index); });
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);

    curl_global_init(CURL_GLOBAL_DEFAULT);
    Served ours;
    std::vector<int> order;
    {
        QApplication app(argc, argv);
        ours = runWindow(server, alive, order);
    }
    const double floor = FloorSeconds(plan, LinksAtOnce, LinksPerHost);
    // No run that keeps the tree's order can be faster than this; what is
    // left above it is the run's own cost.
    const double inOrder = InOrderSeconds(plan, order, LinksAtOnce, LinksPerHost);
    PrintRow({Group + "Orvanta vs the tree's order at no cost", FormatSeconds(ours.seconds),
              FormatSeconds(inOrder), FormatRatio(ours.seconds / inOrder), "<= 1.05x",
              ours.complete && ours.seconds / inOrder <= 1.05});
    PrintRow({Group + "Orvanta vs floor (" + std::to_string(LinksAtOnce) + ", 6 per host)",
              FormatSeconds(ours.seconds), FormatSeconds(floor), FormatRatio(ours.seconds / floor),
              "(reported)", std::nullopt});
    reportOrderOverPlans(order);

    printVersus("LinkChecker (10 threads)", ours, runLinkChecker(server, work), "< 1x", 1);
    const Served theirs = linkinator.empty() ? Served{}
                                             : runPeer(server, linkinator, {server.pageUrl()},
                                                       work / "hosts-linkinator.txt");
    printVersus("linkinator 6 (defaults)", ours, theirs, "< 1x", 1);

    server.clearRequests();
    const int bareAlive = BareProbeLoop(server.links(), ProbeUserAgent);
    const Served bare = servedBy(server);
    std::fprintf(stderr, "bare: %d links answered 200\n", bareAlive);
    PrintRow({Group + "bare libcurl loop, one by one", FormatSeconds(bare.seconds), "-", "-",
              "(reported)", std::nullopt});
    curl_global_cleanup();
    return 0;
}
