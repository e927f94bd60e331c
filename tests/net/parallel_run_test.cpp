#include "BookmarkModel.h"
#include "CurlProbeEngine.h"
#include "VerificationRun.h"

#include "CurlGlobalEnvironment.h"
#include "NoSystemProxy.h"

#include <QEventLoop>
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

// Answers every request after a pause, so that requests overlap, and keeps
// the most it ever answered at once: in all and per Host header.
class CountingServer final
{
public:
    CountingServer()
    {
        // More handler threads than any run may open, so the server never
        // caps what it sees.
        server_.new_task_queue = [] { return new httplib::ThreadPool(64); };
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            enter(request.get_header_value("Host"));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            leave(request.get_header_value("Host"));
            response.set_content("ok", "text/plain");
        });
        // Every 127.0.0.x reaches a server bound to all addresses.
        port_ = server_.bind_to_any_port("0.0.0.0");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() before the loop runs would leave it running for ever.
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~CountingServer()
    {
        server_.stop();
        thread_.join();
    }

    int port() const { return port_; }
    int mostInAll()
    {
        const std::lock_guard lock(mutex_);
        return mostInAll_;
    }
    std::map<std::string, int> mostPerHost()
    {
        const std::lock_guard lock(mutex_);
        return mostPerHost_;
    }

private:
    void enter(const std::string& host)
    {
        const std::lock_guard lock(mutex_);
        mostInAll_ = std::max(mostInAll_, ++inAll_);
        mostPerHost_[host] = std::max(mostPerHost_[host], ++perHost_[host]);
    }
    void leave(const std::string& host)
    {
        const std::lock_guard lock(mutex_);
        --inAll_;
        --perHost_[host];
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    int inAll_ = 0;
    int mostInAll_ = 0;
    std::map<std::string, int> perHost_;
    std::map<std::string, int> mostPerHost_;
};

} // namespace

TEST(ParallelRunTest, ManyHostsAtOnceNeverMoreThanSixPerHostNorTheTotal)
{
    NoSystemProxy noProxy;
    CountingServer server;
    BookmarkModel tree;
    BookmarkNode* root = tree.addChild(nullptr);
    BookmarkModel::entry(root)->IsFolder = true;
    // Each host's links in one block, so the per-host limit holds up the
    // front of the queue and later hosts have to go ahead.
    const int hosts = 10;
    const int linksPerHost = 20;
    std::vector<BookmarkNode*> links;
    for (int host = 0; host < hosts; ++host) {
        for (int i = 0; i < linksPerHost; ++i) {
            BookmarkNode* node = tree.addChild(root);
            BookmarkEntry* entry = BookmarkModel::entry(node);
            entry->Link =
                QStringLiteral("http://127.0.0.%1:%2/%3").arg(10 + host).arg(server.port()).arg(i);
            entry->Status = StatusUnverified;
            links.push_back(node);
        }
    }

    VerificationRun run(tree, std::make_shared<SharedProxySettings>(),
                        std::make_unique<CurlProbeEngine>(ProbeLimits{5000, 5, 20000}), 16);
    QEventLoop loop;
    QObject::connect(&run, &VerificationRun::ended, &loop, &QEventLoop::quit);
    ASSERT_TRUE(run.start());
    loop.exec();

    for (BookmarkNode* node : links)
        EXPECT_EQ(BookmarkModel::entry(node)->Status, StatusAlive)
            << BookmarkModel::entry(node)->Link.toStdString();
    const auto perHost = server.mostPerHost();
    EXPECT_EQ(int(perHost.size()), hosts);
    for (const auto& [host, most] : perHost)
        EXPECT_LE(most, 6) << host;
    EXPECT_LE(server.mostInAll(), 16);
    // Several hosts were served side by side, not one after another.
    EXPECT_GT(server.mostInAll(), 6);
}
