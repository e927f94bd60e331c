// 1,000 links on one loopback host that answers every request with 429 and
// "Retry-After: 60": a run at the window's default settings waits for the
// host no longer than its budget allows and judges the rest without asking.
// The figure is the run's wall time, held to two and a half minutes, with
// every link judged.

#include "BookmarkModel.h"
#include "CurlProbeEngine.h"
#include "FigureRow.h"
#include "Settings.h"
#include "VerificationRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <curl/curl.h>
#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

constexpr int LinkCount = 1000;
constexpr double TargetSeconds = 150;
constexpr int RunTimeoutMs = 600 * 1000;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    std::atomic_int requests{0};
    httplib::Server server;
    server.Get(".*", [&requests](const httplib::Request&, httplib::Response& response) {
        ++requests;
        response.status = 429;
        response.set_header("Retry-After", "60");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) {
        std::fprintf(stderr, "ratelimit: no port could be bound\n");
        return 1;
    }
    std::thread serving([&server] { server.listen_after_bind(); });

    BookmarkModel tree;
    for (int i = 0; i < LinkCount; ++i) {
        BookmarkEntry* entry = BookmarkModel::entry(tree.addChild(nullptr));
        entry->Link = QStringLiteral("http://127.0.0.1:%1/articles/%2.html").arg(port).arg(i);
        entry->Status = StatusUnverified;
    }
    int judged = 0;
    double seconds = 0;
    {
        VerificationRun run(tree, std::make_shared<SharedProxySettings>(),
                            std::make_unique<CurlProbeEngine>(), Settings::DefaultLinksAtOnce);
        run.setMaxHostWait(Settings::DefaultMaxHostWait);
        QObject::connect(&run, &VerificationRun::verdictStored, [&judged] { ++judged; });
        QEventLoop loop;
        QObject::connect(&run, &VerificationRun::ended, &loop, &QEventLoop::quit);
        QTimer::singleShot(RunTimeoutMs, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        if (run.start())
            loop.exec();
        seconds = double(clock.nsecsElapsed()) / 1e9;
        const RunTally tally = run.tally();
        std::fprintf(stderr, "ratelimit: %d requests, %d of %d links judged, %d not sure\n",
                     requests.load(), judged, LinkCount, tally.unsure);
    }
    server.stop();
    serving.join();
    curl_global_cleanup();

    PrintRow({"9 " + FormatCount(LinkCount) + " links on one host answering 429, Retry-After: 60",
              FormatSeconds(seconds), "-", "-", "< 150 s",
              judged == LinkCount && seconds < TargetSeconds});
    return 0;
}
