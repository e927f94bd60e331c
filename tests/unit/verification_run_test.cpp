#include "BookmarkModel.h"
#include "GatedProbe.h"
#include "VerificationRun.h"

#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

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

bool Alive(const QString& link)
{
    return link.startsWith("http://alive/");
}

ProbeEngineFactory Instant()
{
    return Answering(Alive);
}

ProbeResult Failed(ProbeOutcome outcome, int status = 0)
{
    ProbeResult result;
    result.outcome = outcome;
    result.statusCode = qint16(status);
    return result;
}

// Refused, unless the link is on the host "ok".
ProbeResult RefusedButOk(const QString& link)
{
    return link.startsWith("http://ok/") ? AnsweredVerdict(true)
                                         : Failed(ProbeOutcome::ConnectionRefused);
}

struct RunFixture : ::testing::Test
{
    BookmarkModel tree;
    BookmarkNode* root = nullptr;
    bool ended = false;

    static qint16 status(BookmarkNode* node) { return BookmarkModel::entry(node)->Status; }
    QString reason(BookmarkNode* node) const
    {
        return tree.data(tree.indexOf(node, ColumnStatus), Qt::ToolTipRole).toString();
    }

    // One link at a time unless asked otherwise, so the order is fixed.
    std::unique_ptr<VerificationRun> makeRun(const ProbeEngineFactory& engines,
                                             std::shared_ptr<SharedProxySettings> settings = {},
                                             int linksAtOnce = 1)
    {
        if (!settings)
            settings = std::make_shared<SharedProxySettings>();
        auto run = std::make_unique<VerificationRun>(tree, settings, engines(), linksAtOnce);
        run->setSecondOpinionDelay(0);
        QObject::connect(run.get(), &VerificationRun::ended, [this] { ended = true; });
        return run;
    }
};

} // namespace

TEST_F(RunFixture, CompleteRunMarksEveryLinkAndCountsTheDeadInTheirFolders)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* collapsed = AddFolder(tree, root, "deep");
    BookmarkNode* inner = AddLink(tree, collapsed, "http://alive/inner");
    BookmarkNode* dead = AddLink(tree, root, "http://dead/x");
    BookmarkNode* alive = AddLink(tree, root, "http://alive/y");

    QSignalSpy changed(&tree, &QAbstractItemModel::dataChanged);
    auto run = makeRun(Instant(), {}, 64);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    // Each verdict reaches the view as a change of its own row, and only
    // then; the dead one also as a change of its folder's count.
    QList<BookmarkNode*> notified;
    for (const QList<QVariant>& signal : changed)
        notified << BookmarkModel::nodeOf(signal[0].toModelIndex());
    std::sort(notified.begin(), notified.end());
    QList<BookmarkNode*> links{inner, dead, alive, root};
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

TEST_F(RunFixture, StopDropsTheProbeInFlightUnlessTheOldRuleRunsOneAtATime)
{
    const struct
    {
        JudgeMode mode;
        int linksAtOnce;
        BookmarkStatus first; // of the link in flight when stopped
    } cases[] = {{JudgeMode::Person, 1, StatusUnverified},
                 {JudgeMode::Strict, 2, StatusUnverified},
                 {JudgeMode::Strict, 1, StatusAlive}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.linksAtOnce);
        tree.clear();
        ended = false;
        root = AddFolder(tree, nullptr, "root");
        BookmarkNode* first = AddLink(tree, root, "http://alive/1");
        BookmarkNode* second = AddLink(tree, nullptr, "http://alive/2");
        GatedProbe probe(Alive);
        auto run = makeRun(Wrap(probe), {}, c.linksAtOnce);
        run->setJudgeMode(c.mode);
        int stored = 0;
        QObject::connect(run.get(), &VerificationRun::verdictStored, [&] { ++stored; });
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(WaitUntil([&] { return probe.inFlight() == c.linksAtOnce; }));

        run->stop();
        probe.release(5);
        ASSERT_TRUE(WaitUntil([&] { return ended; }));

        EXPECT_EQ(probe.asked().size(), c.linksAtOnce);
        EXPECT_EQ(status(first), c.first);
        EXPECT_EQ(status(second), StatusUnverified);
        EXPECT_EQ(stored, c.first == StatusAlive);
        EXPECT_EQ(run->tally().checked, c.first == StatusAlive);
    }
}

TEST_F(RunFixture, DeletedNodesAreNeverProbedOrWrittenAndTheWalkGoesOn)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* folder = AddFolder(tree, root, "doomed");
    BookmarkNode* inFlight = AddLink(tree, folder, "http://alive/in-flight");
    AddLink(tree, folder, "http://alive/never-1");
    BookmarkNode* ahead = AddFolder(tree, root, "ahead");
    AddLink(tree, ahead, "http://alive/never-2");
    BookmarkNode* survivor = AddLink(tree, root, "http://dead/survivor");

    GatedProbe probe(Alive);
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
    EXPECT_EQ(probe.asked(), (QStringList{"http://alive/in-flight", "http://dead/survivor"}));
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
    EXPECT_EQ(cell(root, ColumnStatus, Qt::ToolTipRole).section(u' ', 1), "dead");

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

TEST_F(RunFixture, LinksAliveAtANewAddressLightTheMovedLampUnlessTheRuleIsStrict)
{
    // Each link says where its redirects end and whether they were permanent.
    const auto probe = Judging([](const QString& link) {
        ProbeResult result = AnsweredVerdict(true);
        const bool toOther = link.contains("/to-other");
        result.permanentRedirects = link.contains("/permanent");
        result.finalAddress = toOther ? "https://b/page" : QString(link).replace("http:", "https:");
        if (link.contains("/same"))
            result.finalAddress = link;
        return result;
    });
    struct Link
    {
        const char* link;
        bool cut; // the shortcut's link goes on past what was read
        BookmarkStatus person;
    } const links[] = {
        {"http://a/permanent/to-other", false, StatusMoved},
        {"http://a/secure", false, StatusMoved},
        {"http://a/to-other", false, StatusAlive},       // a redirect for now
        {"http://a/permanent/same", false, StatusAlive}, // nowhere new
        {"http://a/permanent/cut/to-other", true, StatusAlive},
    };
    for (const JudgeMode mode : {JudgeMode::Person, JudgeMode::Strict}) {
        SCOPED_TRACE(mode == JudgeMode::Person ? "person" : "strict");
        tree.clear();
        ended = false;
        root = AddFolder(tree, nullptr, "root");
        BookmarkNode* folder = AddFolder(tree, root, "folder");
        std::vector<BookmarkNode*> nodes;
        for (const Link& link : links) {
            nodes.push_back(AddLink(tree, folder, link.link));
            BookmarkModel::entry(nodes.back())->LinkCut = link.cut;
        }
        auto run = makeRun(probe);
        run->setJudgeMode(mode);
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(WaitUntil([&] { return ended; }));

        const int moved = mode == JudgeMode::Person ? 2 : 0;
        for (size_t at = 0; at < nodes.size(); ++at) {
            const BookmarkStatus expected =
                mode == JudgeMode::Person ? links[at].person : StatusAlive;
            EXPECT_EQ(status(nodes[at]), expected) << links[at].link;
            // The tooltip and a screen reader say which it is.
            EXPECT_TRUE(reason(nodes[at]).startsWith(expected == StatusMoved ? "Moved: 200 OK"
                                                                             : "Alive: 200 OK"))
                << reason(nodes[at]).toStdString();
        }
        EXPECT_EQ(run->tally().moved, moved);
        EXPECT_EQ(run->tally().alive, 5);
        for (BookmarkNode* above : {folder, root})
            EXPECT_EQ(BookmarkModel::entry(above)->MovedInside, moved);
    }
}

TEST_F(RunFixture, EachProbeGetsTheSettingsOfItsMoment)
{
    root = AddFolder(tree, nullptr, "root");
    AddLink(tree, root, "http://alive/1");
    AddLink(tree, root, "http://alive/2");
    auto settings = std::make_shared<SharedProxySettings>(ProxySettings{true, "127.0.0.1", "3128"});
    GatedProbe probe(Alive);
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
    BookmarkNode* link = AddLink(tree, root, "http://alive/hangs");
    GatedProbe probe(Alive);
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
    BookmarkNode* link = AddLink(tree, root, "http://alive/1");
    auto run = makeRun(Instant());
    run->setWorkerStackSize(1); // below any system minimum: creation fails
    EXPECT_FALSE(run->start());
    EXPECT_FALSE(run->isWorkerRunning());
    EXPECT_EQ(BookmarkModel::entry(link)->Status, StatusUnverified);
}

TEST_F(RunFixture, StopWithSeveralInFlightDropsThemAllAndStartsNoMore)
{
    root = AddFolder(tree, nullptr, "root");
    QList<BookmarkNode*> links;
    for (int i = 0; i < 10; ++i)
        links << AddLink(tree, root, QStringLiteral("http://alive/%1").arg(i));
    GatedProbe probe(Alive);
    auto run = makeRun(Wrap(probe), {}, 3);
    QList<BookmarkNode*> stored;
    QObject::connect(run.get(), &VerificationRun::verdictStored,
                     [&](BookmarkNode* node) { stored << node; });
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.inFlight() == 3; }));
    probe.release(); // the first answer lands and a fourth link starts
    ASSERT_TRUE(WaitUntil([&] {
        return BookmarkModel::entry(links[0])->Status == StatusAlive && probe.inFlight() == 3;
    }));

    run->stop();
    // Dropped at once, not when their answers would have come.
    ASSERT_TRUE(WaitUntil([&] { return ended; }, 5000));
    EXPECT_EQ(probe.inFlight(), 0);
    probe.release(10);
    QCoreApplication::processEvents();

    EXPECT_EQ(probe.asked(), (QStringList{"http://alive/0", "http://alive/1", "http://alive/2",
                                          "http://alive/3"}));
    EXPECT_EQ(stored, QList<BookmarkNode*>{links[0]});
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(BookmarkModel::entry(links[i])->Status, StatusUnverified) << i;
    EXPECT_EQ(run->tally().checked, 1);
}

TEST_F(RunFixture, DeletingAFolderForgetsItsLinksInFlightAndWaiting)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* before = AddLink(tree, root, "http://alive/before");
    BookmarkNode* folder = AddFolder(tree, root, "doomed");
    for (int i = 0; i < 6; ++i)
        AddLink(tree, folder, QStringLiteral("http://alive/doomed-%1").arg(i));
    BookmarkNode* after = AddLink(tree, root, "http://dead/after");
    QSignalSpy changed(&tree, &QAbstractItemModel::dataChanged);

    GatedProbe probe(Alive);
    // Two doomed links start with the first; four wait with the worker.
    auto run = makeRun(Wrap(probe), {}, 3);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return probe.inFlight() == 3; }));

    tree.deleteNode(folder);
    probe.release(10);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(probe.asked(), (QStringList{"http://alive/before", "http://alive/doomed-0",
                                          "http://alive/doomed-1", "http://dead/after"}));
    EXPECT_EQ(BookmarkModel::entry(before)->Status, StatusAlive);
    EXPECT_EQ(BookmarkModel::entry(after)->Status, StatusDead);
    // Only the two surviving rows were written, and the dead one's count
    // in the root.
    EXPECT_EQ(changed.size(), 3);
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
    // Tried while others ran (how often depends on when they end) until it
    // ran alone, and once more after the first pass; then it is not sure.
    EXPECT_GE(tries["http://never/"], 2);
    EXPECT_EQ(BookmarkModel::entry(root->child(1))->Status, StatusUnsure);
    EXPECT_EQ(BookmarkModel::entry(root->child(0))->Status, StatusAlive);
    EXPECT_EQ(run->tally().checked, 4);
    EXPECT_EQ(run->tally().unsure, 1);
    EXPECT_EQ(run->tally().dead, 0);
}

TEST_F(RunFixture, NotWebLinksAreLeftUncheckedAndOnlyTheStrictRuleAsksForThem)
{
    const QStringList notWeb{"mailto:a@b.org", "javascript:void(0)", "ftp://alive/x", "news:c.l"};
    const QStringList web{"www.alive.org/page", "HTTP://alive/caps"};
    const struct
    {
        JudgeMode mode;
        QStringList links;
        QStringList asked;
    } cases[] = {
        {JudgeMode::Person, notWeb + web, {"http://www.alive.org/page", "HTTP://alive/caps"}},
        {JudgeMode::Person, notWeb, {}},
        {JudgeMode::Strict, notWeb + web, notWeb + web},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.links.join(' ').toStdString());
        tree.clear();
        ended = false;
        root = AddFolder(tree, nullptr, "root");
        for (const QString& link : c.links)
            AddLink(tree, root, link);
        GatedProbe probe(Alive, INT_MAX);
        auto run = makeRun(Wrap(probe));
        run->setJudgeMode(c.mode);
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(WaitUntil([&] { return ended; }));
        EXPECT_EQ(probe.asked(), c.asked);
        EXPECT_EQ(run->tally().checked, c.links.size());
        const bool person = c.mode == JudgeMode::Person;
        EXPECT_EQ(run->tally().unchecked, person ? notWeb.size() : 0);
        EXPECT_EQ(status(root->child(0)), person ? StatusUnchecked : StatusDead);
        if (person) {
            EXPECT_EQ(reason(root->child(0)), "Not checked: not a web link");
        }
    }
}

TEST_F(RunFixture, ShortcutsWithoutALinkAreDeadWithoutARequestInEitherMode)
{
    for (const JudgeMode mode : {JudgeMode::Person, JudgeMode::Strict}) {
        SCOPED_TRACE(mode == JudgeMode::Person ? "person" : "strict");
        tree.clear();
        ended = false;
        root = AddFolder(tree, nullptr, "root");
        BookmarkNode* empty = AddLink(tree, root, "");
        BookmarkNode* blank = AddLink(tree, root, " \t");
        AddLink(tree, root, "http://alive/x");
        GatedProbe probe(Alive, INT_MAX);
        auto run = makeRun(Wrap(probe));
        run->setJudgeMode(mode);
        std::vector<int> attempts;
        QObject::connect(
            run.get(), &VerificationRun::verdictStored,
            [&](BookmarkNode*, const LinkVerdict& v) { attempts.push_back(v.attempts); });
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(WaitUntil([&] { return ended; }));
        EXPECT_EQ(probe.asked(), QStringList{"http://alive/x"});
        for (BookmarkNode* node : {empty, blank}) {
            EXPECT_EQ(status(node), StatusDead);
            EXPECT_EQ(reason(node), "Dead: the shortcut holds no link");
        }
        EXPECT_EQ(attempts, (std::vector<int>{0, 0, 1}));
        EXPECT_EQ(run->tally().dead, 2);
        EXPECT_EQ(run->tally().checked, 3);
    }
    // Asking nothing, such a run has no word on the network.
    tree.clear();
    ended = false;
    root = AddFolder(tree, nullptr, "root");
    AddLink(tree, root, "");
    auto run = makeRun(Instant());
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return ended; }));
    EXPECT_EQ(run->tally().dead, 1);
    EXPECT_FALSE(ReachedNoServer(run->tally()));
}

TEST_F(RunFixture, ASecondOpinionAfterTheFirstPassDecidesAndMovesTheCounts)
{
    root = AddFolder(tree, nullptr, "root");
    BookmarkNode* flaky = AddLink(tree, root, "http://a/flaky");
    BookmarkNode* down = AddLink(tree, root, "http://a/down");
    BookmarkNode* gone = AddLink(tree, root, "http://a/gone");
    BookmarkNode* ok = AddLink(tree, root, "http://a/ok");
    std::map<QString, int> tries;
    GatedProbe probe(
        [&tries](const QString& link) {
            const bool again = ++tries[link] > 1;
            if (link.endsWith("ok") || (link.endsWith("flaky") && again))
                return AnsweredVerdict(true);
            return link.endsWith("gone") && again ? AnsweredVerdict(false)
                                                  : Failed(ProbeOutcome::Answered, 503);
        },
        4);
    std::map<BookmarkNode*, QList<int>> stored; // the attempts of each final verdict
    auto run = makeRun(Wrap(probe));
    QObject::connect(run.get(), &VerificationRun::verdictStored,
                     [&](BookmarkNode* node, const LinkVerdict& v) { stored[node] << v.attempts; });
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return run->tally().secondPass && probe.inFlight() == 1; }));

    EXPECT_EQ(RunProgressText(run->tally()), "Checking again: 0 of 3");
    EXPECT_EQ(status(flaky), StatusUnsure);
    EXPECT_EQ(reason(flaky), "Not sure: 503 Service Unavailable; checking again soon");
    EXPECT_EQ(stored.size(), 1u);
    probe.release(3);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(probe.asked(),
              (QStringList{"http://a/flaky", "http://a/down", "http://a/gone", "http://a/ok",
                           "http://a/flaky", "http://a/down", "http://a/gone"}));
    EXPECT_EQ(status(flaky), StatusAlive);
    EXPECT_EQ(status(down), StatusUnsure);
    EXPECT_EQ(status(gone), StatusDead);
    EXPECT_EQ(stored, (std::map<BookmarkNode*, QList<int>>{
                          {flaky, {2}}, {down, {2}}, {gone, {2}}, {ok, {1}}}));
    const RunTally tally = run->tally();
    EXPECT_EQ(std::tuple(tally.checked, tally.alive, tally.dead, tally.unsure, tally.checkedAgain),
              std::tuple(4, 2, 1, 1, 3));
}

TEST_F(RunFixture, NetworkFailuresAreDeadOnlyWhenTheRunSawTheNetworkWork)
{
    const QString refused = "http://refused/", nowhere = "http://nowhere.invalid/";
    const auto probe =
        Judging([tries = std::make_shared<std::map<QString, int>>()](const QString& link) {
            if (link.endsWith("refused/"))
                return Failed(ProbeOutcome::ConnectionRefused);
            if (link.endsWith("invalid/"))
                return Failed(ProbeOutcome::NameNotResolved);
            // A named host that answers only its second request, after the others gave up.
            if (link.endsWith("late") && ++(*tries)[link] == 1)
                return Failed(ProbeOutcome::ConnectTimeout);
            return AnsweredVerdict(true);
        });
    const struct
    {
        const char* also; // the link that answers, if any
        BookmarkStatus refused;
        BookmarkStatus nowhere;
    } cases[] = {
        {nullptr, StatusUnsure, StatusUnsure},
        {"http://127.0.0.1/ok", StatusDead, StatusUnsure},
        {"http://named.org/late", StatusDead, StatusDead},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.also ? c.also : "offline");
        tree.clear();
        ended = false;
        BookmarkNode* first = AddLink(tree, nullptr, refused);
        BookmarkNode* second = AddLink(tree, nullptr, nowhere);
        if (c.also)
            AddLink(tree, nullptr, c.also);
        int stored = 0;
        auto run = makeRun(probe);
        QObject::connect(run.get(), &VerificationRun::verdictStored, [&] { ++stored; });
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(WaitUntil([&] { return ended; }));
        EXPECT_EQ(status(first), c.refused);
        EXPECT_EQ(status(second), c.nowhere);
        EXPECT_EQ(stored, tree.rowCount());
        const int offline = (c.refused == StatusUnsure) + (c.nowhere == StatusUnsure);
        EXPECT_EQ(run->tally().noNetwork, offline);
        // A name that did not resolve while an address answered is no sign
        // that the network is down.
        EXPECT_EQ(ReachedNoServer(run->tally()), c.also == nullptr);
        if (offline) {
            EXPECT_EQ(reason(second), "Not sure: name not resolved, no network?; check the "
                                      "connection and run again");
        }
    }
}

TEST_F(RunFixture, StopEndsBothPassesAndLinksWaitingToBeAskedAgainAreNeverDead)
{
    const struct
    {
        int answeredBeforeStop; // 2: in the first pass; 3: in the second
        BookmarkStatus second;  // of the link in flight (first pass) or waiting (second)
        int asked;
    } cases[] = {{2, StatusUnverified, 3}, {3, StatusUnsure, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answeredBeforeStop);
        tree.clear();
        ended = false;
        AddLink(tree, nullptr, "http://ok/");
        BookmarkNode* first = AddLink(tree, nullptr, "http://a/1");
        BookmarkNode* second = AddLink(tree, nullptr, "http://a/2");
        GatedProbe probe(RefusedButOk, c.answeredBeforeStop);
        auto run = makeRun(Wrap(probe));
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(WaitUntil([&] { return probe.inFlight() == 1 && probe.asked().size() > 2; }));
        run->stop();
        probe.release();
        ASSERT_TRUE(WaitUntil([&] { return ended; }));

        EXPECT_EQ(probe.asked().size(), c.asked);
        // Its second answer, which would have made it dead, was dropped.
        EXPECT_EQ(status(first), StatusUnsure);
        EXPECT_EQ(reason(first), "Not sure: connection refused, not settled; check again later");
        EXPECT_EQ(status(second), c.second);
        EXPECT_EQ(run->tally().dead, 0);
    }
}

TEST_F(RunFixture, NodesDeletedBeforeTheirSecondOpinionAreForgottenAndTheRunEnds)
{
    AddLink(tree, nullptr, "http://ok/");
    BookmarkNode* folder = AddFolder(tree, nullptr, "doomed");
    AddLink(tree, folder, "http://a/1");
    BookmarkNode* early = AddLink(tree, nullptr, "http://a/2");
    BookmarkNode* last = AddLink(tree, nullptr, "http://a/3");
    GatedProbe probe(RefusedButOk, 3);
    auto run = makeRun(Wrap(probe));
    ASSERT_TRUE(run->start());
    // Asked again later, then gone while the first pass still runs.
    ASSERT_TRUE(WaitUntil([&] { return status(early) == StatusUnsure && probe.inFlight() == 1; }));
    tree.deleteNode(early);
    probe.release();
    // Second pass: a/1 in flight, a/3 waiting; a/1 goes.
    ASSERT_TRUE(WaitUntil([&] { return run->tally().secondPass && probe.inFlight() == 1; }));
    tree.deleteNode(folder);
    probe.release(5);
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(probe.asked(), (QStringList{"http://ok/", "http://a/1", "http://a/2", "http://a/3",
                                          "http://a/1", "http://a/3"}));
    EXPECT_EQ(status(last), StatusDead);
    EXPECT_EQ(std::pair(run->tally().again, run->tally().checkedAgain), std::pair(1, 1));
}

TEST_F(RunFixture, TheOldRuleOneAtATimeAsksInTreeOrderAndHoldsBackNoHost)
{
    const QStringList links{"http://busy/1", "http://busy/2", "http://calm/1", "http://busy/3",
                            "http://calm/2"};
    QList<BookmarkNode*> nodes;
    for (const QString& link : links)
        nodes << AddLink(tree, nullptr, link);
    // The first answer asks for a minute's pause of its host.
    auto run = makeRun(Judging([](const QString& link) {
        ProbeResult result = AnsweredVerdict(!link.endsWith("/1"));
        if (link == "http://busy/1") {
            result.statusCode = 429;
            result.retryAfterSeconds = 60;
        }
        return result;
    }));
    run->setJudgeMode(JudgeMode::Strict);
    QList<BookmarkNode*> stored;
    QObject::connect(run.get(), &VerificationRun::verdictStored,
                     [&](BookmarkNode* node) { stored << node; });
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(WaitUntil([&] { return ended; }));

    EXPECT_EQ(stored, nodes);
    EXPECT_EQ(reason(nodes[0]), "Dead: 429 Too Many Requests");
    EXPECT_EQ(status(nodes[1]), StatusAlive);
}
