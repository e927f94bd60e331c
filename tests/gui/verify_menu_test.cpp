#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "GatedProbe.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "TfrOptions.h"
#include "VerificationRun.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>

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

    // A second run first sets every link back to not verified.
    GatedProbe gate;
    form.setProbeEngines(Wrap(gate));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.waiting(); }));
    EXPECT_EQ(EntryTitled(form, "Two")->Status, StatusUnverified);
    gate.release(3);
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
}

TEST_F(VerifyMenuTest, StopReturnsToIdleAtOnceAndTheOldWorkerLeavesANewRunAlone)
{
    writeTree();
    TForm1& form = makeForm();
    oneAtATime(form);
    GatedProbe first;
    form.setProbeEngines(Wrap(first));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return first.waiting(); }));

    form.mnStopVerify->trigger();
    EXPECT_TRUE(idle(form));

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

    second.release(3);
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
    EXPECT_TRUE(idle(form));
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

TEST_F(VerifyMenuTest, HeaderFramesWrapAndGoOnAcrossRuns)
{
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
    form.mnVerifyLinks->trigger(); // empty tree: the run ends by itself
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
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
    oneAtATime(form);
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
