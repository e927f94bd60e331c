#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "GatedProbe.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "RefusingPort.h"
#include "StatusPanels.h"
#include "TfrOptions.h"
#include "VerificationRun.h"

#include <QAction>
#include <QCheckBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <QToolTip>

namespace {

BookmarkEntry* EntryTitled(TForm1& form, const QString& title)
{
    BookmarkModel& tree = *form.VT->bookmarks();
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        BookmarkEntry* entry = BookmarkModel::entry(node);
        if (!entry->IsFolder && entry->Title == title)
            return entry;
    }
    return nullptr;
}

// Links whose URL ends in "alive" answer alive at once, the rest dead.
ProbeEngineFactory ByName()
{
    return Answering([](const QString& link) { return link.endsWith("alive"); });
}

class VerifyMenuTest : public MainWindowFixture
{
protected:
    QString panel(TForm1& form) { return form.StatusBar1->panelText(2); }
    // The summary with its time left open.
    bool summaryShows(TForm1& form, const QString& before, const QString& after = {})
    {
        const QRegularExpression pattern('^' + QRegularExpression::escape(before) +
                                         "in [0-9]+\\.[0-9] s" + QRegularExpression::escape(after) +
                                         '$');
        return pattern.match(panel(form)).hasMatch();
    }
    bool idle(TForm1& form)
    {
        return !form.VerifyThread && form.mnVerifyLinks->isEnabled() &&
               !form.mnStopVerify->isEnabled() && !form.Timer1->isActive() &&
               form.VT->statusHeaderImage() == -1;
    }
    bool running(TForm1& form)
    {
        return form.VerifyThread && !form.mnVerifyLinks->isEnabled() &&
               form.mnStopVerify->isEnabled() && form.Timer1->isActive();
    }
    // An Options dialog whose setting makes runs check one link at a time.
    TfrOptions& oneAtATime(TForm1& form)
    {
        auto* options = new TfrOptions(&form);
        options->findChild<QSpinBox*>("seLinksAtOnce")->setValue(1);
        form.setOptionsDialog(options);
        return *options;
    }
    // The old design's run: strict, one link at a time; Stop lets its probe finish.
    void oldRun(TForm1& form)
    {
        oneAtATime(form).findChild<QCheckBox*>("chbStrictVerdicts")->setChecked(true);
    }
    void writeTree()
    {
        addLink("One.url", "http://127.0.0.1:9/alive");
        addLink("Two.url", "http://127.0.0.1:9/dead");
        addLink("Folder/Three.url", "http://127.0.0.1:9/alive");
    }
};

} // namespace

TEST_F(VerifyMenuTest, ARunMarksEveryLinkAndReturnsToIdle)
{
    writeTree();
    TForm1& form = makeForm();
    EXPECT_TRUE(idle(form));
    form.setProbeEngines(ByName());

    form.mnVerifyLinks->trigger();
    EXPECT_TRUE(running(form));
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));

    EXPECT_TRUE(idle(form));
    EXPECT_EQ(EntryTitled(form, "One")->Status, StatusAlive);
    EXPECT_EQ(EntryTitled(form, "Two")->Status, StatusDead);
    EXPECT_EQ(EntryTitled(form, "Three")->Status, StatusAlive);
    EXPECT_TRUE(summaryShows(form, "3 checked: 1 dead, 0 not sure, ")) << panel(form).toStdString();
    EXPECT_FALSE(form.lastRunReachedNoServer);
    // A run leaves the counts of the tree alone.
    EXPECT_EQ(form.StatusBar1->panelText(0), "Categories : 1");
    EXPECT_EQ(form.StatusBar1->panelText(1), "Links : 3");

    // A second run first sets every link back to not verified, then counts
    // as it goes; a stopped run of the old design's kind counts the probe it
    // had begun.
    oldRun(form);
    GatedProbe gate;
    form.setProbeEngines(Wrap(gate));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.waiting(); }));
    EXPECT_EQ(EntryTitled(form, "Two")->Status, StatusUnverified);
    EXPECT_EQ(panel(form), "Checked 0 of 3: 0 dead, 0 not sure");
    gate.release();
    ASSERT_TRUE(WaitUntil([&] { return panel(form) == "Checked 1 of 3: 1 dead, 0 not sure"; }));
    ASSERT_TRUE(WaitUntil([&] { return gate.asked().size() == 2; }));
    form.mnStopVerify->trigger();
    EXPECT_TRUE(summaryShows(form, "1 checked: 1 dead, 0 not sure, ", ", stopped"));
    gate.release(3);
    ASSERT_TRUE(WaitUntil([&] { return form.findChildren<VerificationRun*>().isEmpty(); }));
    EXPECT_TRUE(summaryShows(form, "2 checked: 2 dead, 0 not sure, ", ", stopped"));
}

TEST_F(VerifyMenuTest, TheStatusCellSaysTheVerdictAndWhy)
{
    writeTree();
    TForm1& form = makeForm();
    form.setProbeEngines(ByName());
    form.resize(800, 400);
    form.show();
    BookmarkModel& tree = *form.VT->bookmarks();
    BookmarkNode* two = nullptr;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node))
        two = BookmarkModel::entry(node)->Title == "Two" ? node : two;
    ASSERT_TRUE(two);
    const QModelIndex status = tree.indexOf(two, ColumnStatus);
    EXPECT_EQ(status.data(Qt::AccessibleTextRole).toString(), "Not verified");
    EXPECT_FALSE(status.data(Qt::ToolTipRole).isValid());

    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));

    EXPECT_EQ(status.data(Qt::AccessibleTextRole).toString(), "Dead: 404 Not Found");
    EXPECT_EQ(status.data(Qt::ToolTipRole).toString(), "Dead: 404 Not Found");
    // The view itself shows it when the pointer rests on the cell.
    const QRect cell = form.VT->visualRect(status);
    ASSERT_FALSE(cell.isEmpty());
    QHelpEvent help(QEvent::ToolTip, cell.center(),
                    form.VT->viewport()->mapToGlobal(cell.center()));
    QCoreApplication::sendEvent(form.VT->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), "Dead: 404 Not Found");
    QToolTip::hideText();
}

TEST_F(VerifyMenuTest, ARunNoServerAnsweredSaysTheNetworkMayBeDown)
{
    // The real probe, against a port that refuses; no proxy of the machine's.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
    const RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    const std::string base = "http://127.0.0.1:" + std::to_string(refusing.port());
    addLink("One.url", base + "/one");
    addLink("Two.url", base + "/two");
    TForm1& form = makeForm();
    form.setProbeEngines(DefaultProbeEngines());

    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));

    // Refused everywhere, with no server answering: not sure, never dead.
    EXPECT_EQ(panel(form), "No server answered: the network or proxy may be down");
    EXPECT_EQ(EntryTitled(form, "One")->Status, StatusUnsure);
    EXPECT_EQ(EntryTitled(form, "Two")->Status, StatusUnsure);
    EXPECT_TRUE(form.lastRunReachedNoServer);

    // A new run forgets it at once.
    GatedProbe gate;
    form.setProbeEngines(Wrap(gate));
    form.mnVerifyLinks->trigger();
    EXPECT_FALSE(form.lastRunReachedNoServer);
    gate.release(2);
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
    EXPECT_FALSE(form.lastRunReachedNoServer);
}

TEST_F(VerifyMenuTest, StopReturnsToIdleAtOnceAndTheOldWorkerLeavesANewRunAlone)
{
    writeTree();
    TForm1& form = makeForm();
    oldRun(form);
    GatedProbe first;
    form.setProbeEngines(Wrap(first));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return first.waiting(); }));

    form.mnStopVerify->trigger();
    EXPECT_TRUE(idle(form));
    EXPECT_TRUE(summaryShows(form, "0 checked: 0 dead, 0 not sure, ", ", stopped"));

    // Verify again at once, while the stopped worker still waits on its probe.
    GatedProbe second;
    form.setProbeEngines(Wrap(second));
    form.mnVerifyLinks->trigger();
    VerificationRun* current = form.VerifyThread;
    ASSERT_TRUE(current);
    ASSERT_TRUE(WaitUntil([&] { return second.waiting(); }));

    first.release(); // the old worker answers and ends
    QCoreApplication::processEvents();
    ASSERT_TRUE(WaitUntil([&] { return form.findChildren<VerificationRun*>().size() == 1; }));
    EXPECT_EQ(form.VerifyThread, current);
    EXPECT_TRUE(running(form));
    EXPECT_EQ(first.asked().size(), 1);
    // The old run's late verdict does not write over the new run's count.
    EXPECT_EQ(panel(form), "Checked 0 of 3: 0 dead, 0 not sure");

    second.release(3);
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
    EXPECT_TRUE(idle(form));
    EXPECT_TRUE(summaryShows(form, "3 checked: 3 dead, 0 not sure, "));
}

TEST_F(VerifyMenuTest, AStoppedRunEndingAfterADeletionLeavesWhatTheDeletionSaid)
{
    writeTree();
    TForm1& form = makeForm();
    GatedProbe gate;
    form.setProbeEngines(Wrap(gate));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.waiting(); }));
    form.mnStopVerify->trigger();
    EntryTitled(form, "Two")->Status = StatusDead;
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form.btDeleteClick();
    gate.release(3); // the stopped run lands its last verdicts and ends
    ASSERT_TRUE(WaitUntil([&] { return form.findChildren<VerificationRun*>().isEmpty(); }));
    EXPECT_EQ(panel(form), "1 dead link moved to the Trash");
}

TEST_F(VerifyMenuTest, VerifyDuringARunOnlyResetsTheStatuses)
{
    writeTree();
    TForm1& form = makeForm();
    GatedProbe gate;
    form.setProbeEngines(Wrap(gate));
    form.mnVerifyLinks->trigger();
    VerificationRun* current = form.VerifyThread;
    ASSERT_TRUE(WaitUntil([&] { return gate.waiting(); }));

    EntryTitled(form, "Two")->Status = StatusDead;
    form.mnVerifyLinksClick(); // the item is disabled; the handler itself is still safe
    EXPECT_EQ(EntryTitled(form, "Two")->Status, StatusUnverified);
    EXPECT_EQ(form.VerifyThread, current);
    gate.release(3);
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
}

TEST_F(VerifyMenuTest, WithoutLinksVerifySaysThereIsNothingToCheckAndStartsNoRun)
{
    home.mkdir("Favorites/Only folders");
    TForm1& form = makeForm();
    form.mnVerifyLinks->trigger();
    EXPECT_TRUE(idle(form));
    EXPECT_EQ(panel(form), "There are no links to check");
}

TEST_F(VerifyMenuTest, HeaderFramesWrapAndGoOnAcrossRuns)
{
    writeTree();
    TForm1& form = makeForm();
    QList<int> shown;
    for (int i = 0; i < 9; ++i) {
        form.Timer1Timer();
        shown << form.VT->statusHeaderImage();
    }
    EXPECT_EQ(shown, (QList<int>{0, 1, 2, 3, 4, 5, 6, 0, 1}));

    while (form.HeaderFrame != 4)
        form.Timer1Timer();
    form.setProbeEngines(ByName());
    form.mnVerifyLinks->trigger();
    form.mnStopVerify->trigger(); // before the first tick
    EXPECT_EQ(form.VT->statusHeaderImage(), -1);
    form.Timer1Timer();
    EXPECT_EQ(form.VT->statusHeaderImage(), 5);
}

TEST_F(VerifyMenuTest, AWorkerThatCannotBeCreatedLeavesTheWindowUsable)
{
    writeTree();
    TForm1& form = makeForm();
    form.setWorkerStackSize(1);
    ResetMessageBoxes();
    SetNextMessageBoxAnswer(QMessageBox::Ok);

    form.mnVerifyLinks->trigger();

    EXPECT_TRUE(idle(form));
    EXPECT_EQ(MessageBoxCount(), 1);
    EXPECT_EQ(LastMessageBox().icon, QMessageBox::Critical);
    EXPECT_EQ(LastMessageBox().caption, "Orvanta");
    EXPECT_TRUE(form.findChildren<VerificationRun*>().isEmpty());

    form.setWorkerStackSize(0);
    form.setProbeEngines(ByName());
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
    EXPECT_EQ(EntryTitled(form, "One")->Status, StatusAlive);
    ResetMessageBoxes();
}

TEST_F(VerifyMenuTest, ClosingDuringARunCancelsTheProbeAndJoinsTheWorkers)
{
    writeTree();
    TForm1& form = makeForm();
    oldRun(form);
    GatedProbe gate; // never released: only cancelling ends it
    form.setProbeEngines(Wrap(gate));
    form.show();
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.waiting(); }));
    form.mnStopVerify->trigger(); // a detached worker, still in its probe
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.asked().size() == 2; }));

    form.close();

    EXPECT_TRUE(form.findChildren<VerificationRun*>().isEmpty());
    EXPECT_TRUE(idle(form));
}

TEST_F(VerifyMenuTest, AChangeInTheOptionsDialogAppliesFromTheNextProbeOn)
{
    writeTree();
    TForm1& form = makeForm();
    TfrOptions* options = &oneAtATime(form);
    auto* useProxy = options->findChild<QCheckBox*>("chbUseProxy");
    options->findChild<QLineEdit*>("edAdressProxy")->setText("127.0.0.1");
    options->findChild<QLineEdit*>("edPort")->setText("3128");
    GatedProbe gate;
    form.setProbeEngines(Wrap(gate));

    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.waiting(); }));
    useProxy->setChecked(true);
    gate.release(3);
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));

    const auto proxies = gate.proxies();
    ASSERT_EQ(proxies.size(), 3);
    EXPECT_FALSE(proxies[0].useProxy);
    EXPECT_TRUE(proxies[1].useProxy);
    EXPECT_EQ(proxies[1].address, "127.0.0.1");
    EXPECT_EQ(proxies[1].port, "3128");
}

TEST_F(VerifyMenuTest, ARunChecksAsManyLinksAtOnceAsTheSettingSaysWhenItStarts)
{
    writeTree();
    TForm1& form = makeForm();
    auto* spin = oneAtATime(form).findChild<QSpinBox*>("seLinksAtOnce");
    spin->setValue(2);
    GatedProbe gate;
    form.setProbeEngines(Wrap(gate));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.inFlight() == 2; }));
    EXPECT_EQ(gate.asked().size(), 2);

    // A change during the run applies to the next run only.
    spin->setValue(3);
    gate.release();
    ASSERT_TRUE(WaitUntil([&] { return gate.asked().size() == 3; }));
    EXPECT_EQ(gate.inFlight(), 2);
    gate.release(2);
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));

    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.inFlight() == 3; }));
    gate.release(3);
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
}

TEST_F(VerifyMenuTest, TheStrictBoxDecidesHowTheNextRunJudges)
{
    writeTree();
    TForm1& form = makeForm();
    auto* strict = oneAtATime(form).findChild<QCheckBox*>("chbStrictVerdicts");
    for (const bool strictly : {true, false}) {
        strict->setChecked(strictly);
        GatedProbe gate(GatedProbe::Answer{}, INT_MAX);
        form.setProbeEngines(Wrap(gate));
        form.mnVerifyLinks->trigger();
        ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
        // A strict run never reads a page; a person's way reads HTML 200s.
        EXPECT_EQ(gate.readPages(), QList<bool>(3, !strictly));
    }
}

TEST_F(VerifyMenuTest, APanelShowsTheWaitForAHostThatAskedToSlowDown)
{
    addLink("One.url", "http://127.0.0.1:9/first");
    addLink("Two.url", "http://127.0.0.1:9/second");
    TForm1& form = makeForm();
    oneAtATime(form);
    GatedProbe gate(GatedProbe::Verdict([](const QString&) {
                        ProbeResult slowDown;
                        slowDown.outcome = ProbeOutcome::Answered;
                        slowDown.statusCode = 429;
                        slowDown.retryAfterSeconds = 60;
                        return slowDown;
                    }),
                    2);
    form.setProbeEngines(Wrap(gate));

    form.mnVerifyLinks->trigger();
    const QRegularExpression waiting(
        "^Checked 1 of 2: 0 dead, 1 not sure\\. Waiting (60|59) s for 127\\.0\\.0\\.1:9, which "
        "asked to slow down$");
    ASSERT_TRUE(WaitUntil([&] { return waiting.match(panel(form)).hasMatch(); }))
        << panel(form).toStdString();
    EXPECT_EQ(gate.asked().size(), 1u);
    form.mnStopVerify->trigger();
    EXPECT_TRUE(summaryShows(form, "1 checked: 0 dead, 1 not sure, ", ", stopped"));
    ASSERT_TRUE(WaitUntil([&] { return form.findChildren<VerificationRun*>().isEmpty(); }));
}
