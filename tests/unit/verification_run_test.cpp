#include "BookmarkModel.h"
#include "VerificationRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>

namespace {

// Pumps the event loop until cond holds; false if it never does.
bool WaitUntil(const std::function<bool()>& cond, int boundMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

BookmarkNode* AddFolder(BookmarkModel& tree, BookmarkNode* parent, const QString& name)
{
    BookmarkNode* node = tree.addChild(parent);
    BookmarkEntry* e = BookmarkModel::entry(node);
    e->Name = name;
    e->IsFolder = true;
    e->ImageIndex = ImageFolder;
    e->Status = StatusFolder;
    return node;
}

BookmarkNode* AddLink(BookmarkModel& tree, BookmarkNode* parent, const QString& link)
{
    BookmarkNode* node = tree.addChild(parent);
    BookmarkEntry* e = BookmarkModel::entry(node);
    e->Title = link;
    e->Link = link;
    e->Status = StatusUnverified;
    return node;
}

// A probe the test releases one call at a time, recording what it was asked.
class GatedProbe
{
public:
    bool operator()(const QString& link, const ProxySettings& proxy, const std::atomic_bool* cancel)
    {
        std::unique_lock lock(mutex_);
        asked_.push_back(link);
        proxies_.push_back(proxy);
        waiting_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return released_ > 0 || (cancel && *cancel); });
        waiting_ = false;
        if (released_ > 0)
            --released_;
        return link.startsWith("alive");
    }
    void release(int count = 1)
    {
        std::lock_guard lock(mutex_);
        released_ += count;
        changed_.notify_all();
    }
    bool waiting()
    {
        std::lock_guard lock(mutex_);
        return waiting_;
    }
    QStringList asked()
    {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    QList<ProxySettings> proxies()
    {
        std::lock_guard lock(mutex_);
        return proxies_;
    }
    // Cancellation wakes the waiter too.
    void poke() { changed_.notify_all(); }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    QStringList asked_;
    QList<ProxySettings> proxies_;
    int released_ = 0;
    bool waiting_ = false;
};

ProbeFunction Wrap(GatedProbe& probe)
{
    return [&probe](const QString& l, const ProxySettings& p, const std::atomic_bool* c) {
        return probe(l, p, c);
    };
}

ProbeFunction Instant()
{
    return [](const QString& link, const ProxySettings&, const std::atomic_bool*) {
        return link.startsWith("alive");
    };
}

struct RunFixture : ::testing::Test
{
    BookmarkModel tree;
    BookmarkNode* root = nullptr;
    bool ended = false;

    std::unique_ptr<VerificationRun> makeRun(ProbeFunction probe,
                                             VerificationRun::SettingsSource settings = {})
    {
        if (!settings)
            settings = [] { return ProxySettings{}; };
        auto run = std::make_unique<VerificationRun>(tree, settings, std::move(probe));
        QObject::connect(run.get(), &VerificationRun::ended, [this] { ended = true; });
        return run;
    }
};

} // namespace

TEST_F(RunFixture, CompleteRunMarksEveryLinkAndLeavesFoldersAlone)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* collapsed = AddFolder(tree, root, "deep");
    BookmarkNode* inner = AddLink(tree, collapsed, "alive://inner");
    BookmarkNode* dead = AddLink(tree, root, "dead://x");
    BookmarkNode* alive = AddLink(tree, root, "alive://y");

    auto run = makeRun(Instant());
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(BookmarkModel::entry(inner)->Status, StatusAlive);
    EXPECT_EQ(BookmarkModel::entry(dead)->Status, StatusDead);
    EXPECT_EQ(BookmarkModel::entry(alive)->Status, StatusAlive);
    EXPECT_EQ(BookmarkModel::entry(root)->Status, StatusFolder);
    EXPECT_EQ(BookmarkModel::entry(collapsed)->Status, StatusFolder);
}

TEST_F(RunFixture, EmptyTreeEndsAtOnce)
{
    auto run = makeRun(Instant());
    ASSERT_TRUE(run->start());
    EXPECT_TRUE(WaitUntil([&] { return ended; }));
}

TEST_F(RunFixture, StopLetsTheProbeInFlightFinishAndProbesNothingMore)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* first = AddLink(tree, root, "alive://1");
    BookmarkNode* second = AddLink(tree, root, "alive://2");
    GatedProbe probe;
    auto run = makeRun(Wrap(probe));
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.waiting(); }));

    run->stop();
    probe.release(5);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(probe.asked(), QStringList{"alive://1"});
    EXPECT_EQ(BookmarkModel::entry(first)->Status, StatusAlive);
    EXPECT_EQ(BookmarkModel::entry(second)->Status, StatusUnverified);
}

TEST_F(RunFixture, DeletedNodesAreNeverProbedOrWrittenAndTheWalkGoesOn)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* folder = AddFolder(tree, root, "doomed");
    BookmarkNode* inFlight = AddLink(tree, folder, "alive://in-flight");
    AddLink(tree, folder, "alive://never-1");
    BookmarkNode* ahead = AddFolder(tree, root, "ahead");
    AddLink(tree, ahead, "alive://never-2");
    BookmarkNode* survivor = AddLink(tree, root, "dead://survivor");

    GatedProbe probe;
    auto run = makeRun(Wrap(probe));
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.waiting(); }));
    ASSERT_EQ(run->nodeInFlight(), inFlight);

    // The node being probed and a folder the cursor has not reached yet go,
    // one by one and in a bulk deletion.
    tree.deleteNode(folder);
    tree.deleteNodes({ahead});
    EXPECT_EQ(run->nodeInFlight(), nullptr);

    probe.release(10);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));
    EXPECT_EQ(probe.asked(), (QStringList{"alive://in-flight", "dead://survivor"}));
    EXPECT_EQ(BookmarkModel::entry(survivor)->Status, StatusDead);
}

TEST_F(RunFixture, EachProbeGetsTheSettingsOfItsMoment)
{
    root = AddFolder(tree, nullptr, "root");
    AddLink(tree, root, "alive://1");
    AddLink(tree, root, "alive://2");
    ProxySettings current{true, "127.0.0.1", "3128"};
    GatedProbe probe;
    auto run = makeRun(Wrap(probe), [&] { return current; });
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.waiting(); }));
    current = ProxySettings{false, "", "80"};
    probe.release(2);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    const auto proxies = probe.proxies();
    ASSERT_EQ(proxies.size(), 2);
    EXPECT_TRUE(proxies[0].useProxy);
    EXPECT_EQ(proxies[0].port, "3128");
    EXPECT_FALSE(proxies[1].useProxy);
}

TEST_F(RunFixture, AbortCancelsTheProbeInFlightAndJoinsTheWorker)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* link = AddLink(tree, root, "alive://hangs");
    GatedProbe probe;
    auto run = makeRun(Wrap(probe));
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.waiting(); }));

    std::thread poker([&] {
        // The gate re-checks the cancel flag when poked.
        for (int i = 0; i < 200 && run->isWorkerRunning(); ++i) {
            probe.poke();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    run->abort();
    poker.join();
    EXPECT_FALSE(run->isWorkerRunning());
    // A cancelled probe says nothing about the link.
    EXPECT_EQ(BookmarkModel::entry(link)->Status, StatusUnverified);
}

TEST_F(RunFixture, AWorkerThatCannotStartEndsTheRunCleanly)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* link = AddLink(tree, root, "alive://1");
    auto run = makeRun(Instant());
    run->setWorkerStackSize(1); // below any system minimum: creation fails
    EXPECT_FALSE(run->start());
    EXPECT_FALSE(run->isWorkerRunning());
    EXPECT_EQ(BookmarkModel::entry(link)->Status, StatusUnverified);
}
