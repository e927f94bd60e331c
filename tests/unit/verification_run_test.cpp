#include "BookmarkModel.h"
#include "GatedProbe.h"
#include "VerificationRun.h"

#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

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

ProbeEngineFactory Instant()
{
    return Answering([](const QString& link) { return link.startsWith("alive"); });
}

struct RunFixture : ::testing::Test
{
    BookmarkModel tree;
    BookmarkNode* root = nullptr;
    bool ended = false;

    // One link at a time unless asked otherwise, so the order is fixed.
    std::unique_ptr<VerificationRun> makeRun(const ProbeEngineFactory& engines,
                                             std::shared_ptr<SharedProxySettings> settings = {},
                                             int linksAtOnce = 1)
    {
        if (!settings)
            settings = std::make_shared<SharedProxySettings>();
        auto run = std::make_unique<VerificationRun>(tree, settings, engines(), linksAtOnce);
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

    QSignalSpy changed(&tree, &QAbstractItemModel::dataChanged);
    auto run = makeRun(Instant(), {}, 64);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    // Each verdict reaches the view as a change of its own row, and only then.
    QList<BookmarkNode*> notified;
    for (const QList<QVariant>& signal : changed)
        notified << BookmarkModel::nodeOf(signal[0].toModelIndex());
    std::sort(notified.begin(), notified.end());
    QList<BookmarkNode*> links{inner, dead, alive};
    std::sort(links.begin(), links.end());
    EXPECT_EQ(notified, links);
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
    EXPECT_EQ(run->tally().links, 4);

    // The node being probed and a folder the cursor has not reached yet go,
    // one by one and in a bulk deletion.
    tree.deleteNode(folder);
    tree.deleteNodes({ahead});
    EXPECT_EQ(run->nodeInFlight(), nullptr);
    EXPECT_EQ(run->tally().links, 1);

    probe.release(10);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));
    EXPECT_EQ(probe.asked(), (QStringList{"alive://in-flight", "dead://survivor"}));
    EXPECT_EQ(BookmarkModel::entry(survivor)->Status, StatusDead);
    // The dropped verdict of the deleted link is not counted.
    EXPECT_EQ(run->tally().checked, 1);
    EXPECT_EQ(run->tally().dead, 1);
}

TEST_F(RunFixture, EachVerdictKeepsItsReasonAndIsCounted)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* missing = AddLink(tree, root, "http://a/missing");
    BookmarkNode* refused = AddLink(tree, root, "http://a/refused");
    BookmarkNode* moved = AddLink(tree, root, "http://a/moved");
    const auto probe = Judging([](const QString& link) {
        ProbeResult result = AnsweredVerdict(false);
        if (link.endsWith("refused")) {
            result.outcome = ProbeOutcome::ConnectionRefused;
            result.statusCode = 0;
        } else if (link.endsWith("moved")) {
            result = AnsweredVerdict(true);
            result.statusCode = 302;
            result.finalAddress = "https://b/";
        }
        return result;
    });
    auto run = makeRun(probe);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    const auto cell = [&](BookmarkNode* node, int column, int role) {
        return tree.data(tree.indexOf(node, column), role).toString();
    };
    EXPECT_EQ(cell(missing, ColumnStatus, Qt::ToolTipRole), "Dead: 404 Not Found");
    EXPECT_EQ(cell(missing, ColumnLink, Qt::ToolTipRole), "Dead: 404 Not Found");
    EXPECT_EQ(cell(missing, ColumnName, Qt::ToolTipRole), "");
    EXPECT_EQ(cell(refused, ColumnStatus, Qt::AccessibleTextRole), "Dead: connection refused");
    EXPECT_EQ(cell(moved, ColumnStatus, Qt::ToolTipRole), "Alive: 302 Found, to https://b/");
    EXPECT_EQ(cell(root, ColumnStatus, Qt::ToolTipRole), "");

    const RunTally tally = run->tally();
    EXPECT_EQ(tally.links, 3);
    EXPECT_EQ(tally.checked, 3);
    EXPECT_EQ(tally.dead, 2);
    EXPECT_EQ(tally.answered, 2);

    // A new run's reset forgets every reason.
    tree.resetStatuses();
    EXPECT_TRUE(BookmarkModel::entry(moved)->Detail.isNull());
    EXPECT_EQ(cell(moved, ColumnStatus, Qt::ToolTipRole), "");
    EXPECT_EQ(cell(moved, ColumnStatus, Qt::AccessibleTextRole), "Not verified");
}

TEST_F(RunFixture, EachProbeGetsTheSettingsOfItsMoment)
{
    root = AddFolder(tree, nullptr, "root");
    AddLink(tree, root, "alive://1");
    AddLink(tree, root, "alive://2");
    auto settings = std::make_shared<SharedProxySettings>(ProxySettings{true, "127.0.0.1", "3128"});
    GatedProbe probe;
    auto run = makeRun(Wrap(probe), settings);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.waiting(); }));
    // The second link is already waiting with the worker; it still gets
    // the settings of the moment its probe begins.
    settings->set(ProxySettings{false, "", "80"});
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

    run->abort();
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

TEST_F(RunFixture, StopWithSeveralInFlightStoresTheirResultsAndStartsNoMore)
{
    root = AddFolder(tree, nullptr, "root");
    QList<BookmarkNode*> links;
    for (int i = 0; i < 10; ++i)
        links << AddLink(tree, root, QStringLiteral("alive://%1").arg(i));
    GatedProbe probe;
    auto run = makeRun(Wrap(probe), {}, 3);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.inFlight() == 3; }));
    probe.release(); // the first answer lands and a fourth link starts
    ASSERT_TRUE(WaitUntil([&] {
        return BookmarkModel::entry(links[0])->Status == StatusAlive && probe.inFlight() == 3;
    }));

    run->stop();
    probe.release(10);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(probe.asked(), (QStringList{"alive://0", "alive://1", "alive://2", "alive://3"}));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(BookmarkModel::entry(links[i])->Status, i < 4 ? StatusAlive : StatusUnverified)
            << i;
}

TEST_F(RunFixture, DeletingAFolderForgetsItsLinksInFlightAndWaiting)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* before = AddLink(tree, root, "alive://before");
    BookmarkNode* folder = AddFolder(tree, root, "doomed");
    for (int i = 0; i < 6; ++i)
        AddLink(tree, folder, QStringLiteral("alive://doomed-%1").arg(i));
    BookmarkNode* after = AddLink(tree, root, "dead://after");
    QSignalSpy changed(&tree, &QAbstractItemModel::dataChanged);

    GatedProbe probe;
    // Two doomed links start with the first; four wait with the worker.
    auto run = makeRun(Wrap(probe), {}, 3);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.inFlight() == 3; }));

    tree.deleteNode(folder);
    probe.release(10);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(probe.asked(), (QStringList{"alive://before", "alive://doomed-0", "alive://doomed-1",
                                          "dead://after"}));
    EXPECT_EQ(BookmarkModel::entry(before)->Status, StatusAlive);
    EXPECT_EQ(BookmarkModel::entry(after)->Status, StatusDead);
    // Only the two surviving rows were written.
    EXPECT_EQ(changed.size(), 2);
}

TEST_F(RunFixture, LinksShortOfDescriptorsAreTriedAgainAndNeverJudgedDead)
{
    root = AddFolder(tree, nullptr, "root");
    // Distinct hosts, so only the total limits what runs at once.
    for (const char* link : {"http://once/", "http://never/", "http://b/", "http://c/"})
        AddLink(tree, root, link);
    std::map<QString, int> tries;
    auto run = makeRun(Judging([&tries](const QString& link) {
                           const bool descriptorFree = link != "http://never/" &&
                                                       (link != "http://once/" || tries[link] > 0);
                           ++tries[link];
                           ProbeResult unmade;
                           unmade.outcome = ProbeOutcome::OutOfFiles;
                           return descriptorFree ? AnsweredVerdict(true) : unmade;
                       }),
                       {}, 4);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(tries["http://once/"], 2);
    // Tried until nothing else ran; then it stays unverified and uncounted.
    EXPECT_GE(tries["http://never/"], 2);
    EXPECT_EQ(BookmarkModel::entry(root->child(1))->Status, StatusUnverified);
    EXPECT_EQ(BookmarkModel::entry(root->child(0))->Status, StatusAlive);
    EXPECT_EQ(run->tally().checked, 3);
    EXPECT_EQ(run->tally().dead, 0);
}
