// 2,000 sequential probes of loopback links: the link probe against a bare
// libcurl loop, and against LinkChecker checking the same links.

#include "BareProbe.h"
#include "FigureRow.h"
#include "LinkCheckerReport.h"
#include "LoopbackServer.h"
#include "Measure.h"
#include "ProbeLink.h"
#include "ProcessTimer.h"

#include <QCoreApplication>
#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr int LinkCount = 2000;
constexpr int Rounds = 5;
constexpr int LinkCheckerRuns = 3;

int probeAll(const std::vector<QString>& links)
{
    int alive = 0;
    for (const QString& link : links) {
        if (ProbeLink(link, ProxySettings{}).alive)
            ++alive;
    }
    return alive;
}

double reportProbeLoop(const std::vector<std::string>& urls)
{
    std::vector<QString> links;
    for (const std::string& url : urls)
        links.push_back(QString::fromStdString(url));
    int ours = 0;
    int bare = 0;
    const Comparison times = CompareAlternating(
        Rounds, [&] { ours = probeAll(links); },
        [&] { bare = BareProbeLoop(urls, ProbeUserAgent); });
    std::fprintf(stderr, "probe: %d of %zu alive by ProbeLink, %d by the bare loop\n", ours,
                 urls.size(), bare);
    const bool allAnswered = ours == int(urls.size()) && bare == int(urls.size());
    PrintRow(
        {"3 " + FormatCount(qsizetype(urls.size())) + " loopback probes, ProbeLink vs bare libcurl",
         FormatSeconds(times.subject), FormatSeconds(times.baseline), FormatRatio(times.ratio()),
         "<= 1.2x", allAnswered && times.ratio() <= 1.2});
    return times.subject;
}

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string label(int links)
{
    return "4 " + FormatCount(links) + " links, ProbeLink vs LinkChecker (1 thread, whole process)";
}

void reportLinkChecker(const std::filesystem::path& work, const std::string& pageUrl, int links,
                       double oursSeconds)
{
    const std::filesystem::path config = work / "linkcheckerrc";
    const std::filesystem::path output = work / "linkchecker.txt";
    // No pause between requests: the server answers with the header that
    // allows it (see LoopbackServer).
    std::ofstream(config) << "[checking]\nthreads=1\nrecursionlevel=1\n"
                             "maxrequestspersecond=1000000\n";
    const std::vector<std::string> args{
        "--config", config.string(), "--threads", "1", "--recursion-level",
        "1",        "--no-status",   pageUrl};
    std::vector<double> times;
    int checked = -1;
    for (int run = 0; run < LinkCheckerRuns; ++run) {
        const ProcessRun result = RunProcess("linkchecker", args, output.string());
        if (result.exitCode < 0) {
            std::fprintf(stderr, "linkchecker: could not be run\n");
            PrintRow({label(links), "-", "not run", "-", "< 1x", std::nullopt});
            return;
        }
        times.push_back(result.seconds);
        checked = LinksChecked(readAll(output));
    }
    const double theirs = Median(times);
    std::fprintf(stderr, "linkchecker: %d links checked per run (the page and its links)\n",
                 checked);
    const double ratio = oursSeconds / theirs;
    PrintRow({label(links), FormatSeconds(oursSeconds), FormatSeconds(theirs), FormatRatio(ratio),
              "< 1x", checked >= links && ratio < 1});
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WORK-FOLDER\n", argv[0]);
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    int status = 0;
    {
        LoopbackServer server(LinkCount);
        if (!server.start()) {
            std::fprintf(stderr, "probe: no loopback port could be bound\n");
            status = 1;
        } else {
            std::vector<std::string> urls;
            for (int i = 0; i < LinkCount; ++i)
                urls.push_back(server.linkFor(i));
            const double ours = reportProbeLoop(urls);
            reportLinkChecker(argv[1], server.pageUrl(), LinkCount, ours);
        }
    }
    curl_global_cleanup();
    return status;
}
