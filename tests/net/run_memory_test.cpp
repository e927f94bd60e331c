#include "BookmarkModel.h"
#include "CurlProbeEngine.h"
#include "VerificationRun.h"

#include "CurlGlobalEnvironment.h"
#include "LocalHttpServer.h"
#include "NoSystemProxy.h"
#include "ResidentMemory.h"

#include <QEventLoop>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

const auto* const curlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlGlobalEnvironment);

const ProbeLimits shortLimits{2000, 2};
const int folderCount = 100;
const int linksPerFolder = 100;
const int runCount = 3;
// What the process may grow by from the first run to the last. One leaked
// curl handle, thread or per-link buffer per probe would be far beyond it.
const long flatMemoryKibibytes = 4 * 1024;

struct ExpectedLink
{
    BookmarkNode* node;
    bool alive;
};

class RunMemoryTest : public ::testing::Test
{
protected:
    RunMemoryTest() { fillTree(); }

    // Every other link answers 404, spread over folders as a Favorites tree is.
    void fillTree()
    {
        int number = 0;
        for (int f = 0; f < folderCount; ++f) {
            BookmarkNode* folder = tree.addChild(nullptr);
            BookmarkEntry* folderEntry = BookmarkModel::entry(folder);
            folderEntry->Name = QStringLiteral("folder %1").arg(f);
            folderEntry->IsFolder = true;
            folderEntry->Status = StatusFolder;
            for (int l = 0; l < linksPerFolder; ++l, ++number) {
                const bool alive = number % 2 == 0;
                const std::string path = (alive ? "/alive/" : "/dead/") + std::to_string(number);
                BookmarkNode* node = tree.addChild(folder);
                BookmarkModel::entry(node)->Link = QString::fromStdString(server.url(path));
                links.push_back({node, alive});
            }
        }
    }

    // One whole run from statuses reset to unverified; returns once the
    // worker has ended and the run is gone.
    bool runOnce()
    {
        for (const ExpectedLink& link : links)
            BookmarkModel::entry(link.node)->Status = StatusUnverified;
        VerificationRun run(tree, std::make_shared<SharedProxySettings>(),
                            std::make_unique<CurlProbeEngine>(shortLimits));
        QEventLoop loop;
        QObject::connect(&run, &VerificationRun::ended, &loop, &QEventLoop::quit);
        if (!run.start())
            return false;
        loop.exec();
        return true;
    }

    int wrongVerdicts() const
    {
        int wrong = 0;
        for (const ExpectedLink& link : links) {
            if (BookmarkModel::entry(link.node)->Status != (link.alive ? StatusAlive : StatusDead))
                ++wrong;
        }
        return wrong;
    }

    NoSystemProxy noProxy;
    std::atomic_int answered{0};
    LocalHttpServer server{[this](httplib::Server& routes) {
        routes.Get(R"(/alive/\d+)", [this](const httplib::Request&, httplib::Response& response) {
            ++answered;
            response.set_content("alive", "text/plain");
        });
        routes.Get(R"(/dead/\d+)", [this](const httplib::Request&, httplib::Response& response) {
            ++answered;
            response.status = 404;
            response.set_content("dead", "text/plain");
        });
    }};
    BookmarkModel tree;
    std::vector<ExpectedLink> links;
};

TEST_F(RunMemoryTest, RepeatedRunsOverTenThousandLinksKeepVerdictsAndMemory)
{
    long resident[runCount] = {};
    for (int round = 0; round < runCount; ++round) {
        SCOPED_TRACE(round + 1);
        answered = 0;
        ASSERT_TRUE(runOnce());
        EXPECT_EQ(answered.load(), folderCount * linksPerFolder);
        EXPECT_EQ(wrongVerdicts(), 0);
        // The test server's own log is not the program's memory.
        server.clearRequests();
        resident[round] = residentKibibytes();
        ASSERT_GT(resident[round], 0);
        RecordProperty("resident_kib_after_run_" + std::to_string(round + 1), int(resident[round]));
        std::printf("resident after run %d: %ld KiB\n", round + 1, resident[round]);
    }
    if (residentMemoryIsComparable()) {
        EXPECT_LT(resident[runCount - 1] - resident[0], flatMemoryKibibytes);
    }
}

} // namespace
