#include "ArchiveStandIn.h"
#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ContextMenu.h"
#include "CurlProbeEngine.h"
#include "GatedProbe.h"
#include "LocalHttpServer.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "NoSystemProxy.h"
#include "SilentServer.h"
#include "StatusPanels.h"
#include "TfrOptions.h"
#include "VerificationRun.h"

#include <QAction>
#include <QSpinBox>

namespace {

class KeptResultsTest : public MainWindowFixture
{
protected:
    BookmarkNode* linkTitled(TForm1& form, const QString& title)
    {
        BookmarkModel& tree = *form.VT->bookmarks();
        for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
            if (!node->entry.IsFolder && node->entry.Title == title)
                return node;
        }
        return nullptr;
    }
    QString statusTip(TForm1& form, const QString& title)
    {
        BookmarkNode* node = linkTitled(form, title);
        return node ? form.VT->bookmarks()
                          ->indexOf(node, ColumnStatus)
                          .data(Qt::ToolTipRole)
                          .toString()
                    : QString();
    }
    // A whole run on the window, its verdicts made at the given time.
    void runAt(TForm1& form, const QDateTime& time)
    {
        form.setClock([time] { return time; });
        form.mnVerifyLinks->trigger();
        ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
    }
};

} // namespace

TEST_F(KeptResultsTest, ANewWindowShowsTheKeptLampsWithWhenAndHowLongDead)
{
    addLink("Alive.url", "http://127.0.0.1:9/alive");
    addLink("Folder/Gone.url", "http://127.0.0.1:9/gone");
    addLink("Folder/Odd\xff.url", "http://127.0.0.1:9/alive");
    addLink("Edited.url", "http://127.0.0.1:9/alive");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    {
        TForm1& form = makeForm();
        form.setProbeEngines(Answering([](const QString& link) { return link.endsWith("alive"); }));
        runAt(form, now.addDays(-4));
        runAt(form, now.addDays(-3));
        EXPECT_EQ(statusTip(form, "Gone"), "Dead: 404 Not Found; dead in 2 runs in a row");
    }
    addLink("Edited.url", "http://127.0.0.1:9/elsewhere");

    TForm1& form = makeForm();
    EXPECT_EQ(linkTitled(form, "Alive")->entry.Status, StatusAlive);
    EXPECT_EQ(linkTitled(form, "Gone")->entry.Status, StatusDead);
    EXPECT_EQ(statusTip(form, "Gone"),
              "Dead: 404 Not Found, checked 3 days ago; dead in 2 runs in a row");
    EXPECT_EQ(statusTip(form, "Alive"), "Alive: 200 OK, checked 3 days ago");
    // A verdict kept for another link text does not hold for the new one.
    EXPECT_EQ(linkTitled(form, "Edited")->entry.Status, StatusUnverified);
    // Kept verdicts count like fresh ones.
    const QModelIndex folder =
        form.VT->bookmarks()->indexOf(linkTitled(form, "Gone")->parent(), ColumnStatus);
    EXPECT_EQ(folder.data().toString(), "1 dead");
    EXPECT_EQ(form.StatusBar1->panelText(2), "Kept from earlier runs: 3 links, 1 dead, 0 not sure");

    // Deleting every dead link says which verdicts are old, then forgets
    // the deleted link in the store.
    ResetMessageBoxes();
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form.btDeleteClick();
    EXPECT_EQ(LastMessageBox().text, "Delete all dead links?");
    EXPECT_EQ(LastMessageBox().informativeText,
              "1 dead link will be moved to the Trash.\nIt was judged 3 days ago or earlier; run "
              "Verify links first to check them again.");
    EXPECT_FALSE(linkTitled(form, "Gone"));
    ResultsStore kept(home / ".local/state/Orvanta", home / "Favorites");
    EXPECT_EQ(kept.load(now), QString());
    EXPECT_EQ(kept.size(), 3);
    EXPECT_FALSE(kept.find("Folder/Gone.url", "http://127.0.0.1:9/gone"));
}

TEST_F(KeptResultsTest, AVerdictDatedInTheFutureIsOfUnknownAgeInTheDeadLinksQuestion)
{
    addLink("Gone.url", "http://127.0.0.1:9/gone");
    {
        TForm1& form = makeForm();
        form.setProbeEngines(Answering([](const QString&) { return false; }));
        // Kept by a session whose clock ran two days ahead.
        runAt(form, QDateTime::currentDateTimeUtc().addDays(2));
    }
    TForm1& form = makeForm();
    ResetMessageBoxes();
    SetNextMessageBoxAnswer(QMessageBox::No);
    form.btDeleteClick();
    EXPECT_EQ(LastMessageBox().informativeText,
              "1 dead link will be moved to the Trash.\nIt was judged at an unknown time (dated "
              "in the future); run Verify links first to check them again.");
}

TEST_F(KeptResultsTest, FoldersOfAnotherUserAreNamedOnceInTheStatusBarAndNeverWritten)
{
    addLink("Gone.url", "http://127.0.0.1:9/gone");
    const std::filesystem::path config = home.mkdir(".config/Orvanta");
    const std::filesystem::path state = home.mkdir(".local/state/Orvanta");
    for (const std::filesystem::path& folder : {config, state})
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);

    TForm1& form = makeForm();
    EXPECT_EQ(form.StatusBar1->panelText(2).toStdString(),
              "Settings are not read or saved: " + config.string() +
                  " belongs to another user; The results of runs are not kept: " + state.string() +
                  " belongs to another user");
    form.setProbeEngines(Answering([](const QString&) { return false; }));
    runAt(form, QDateTime::currentDateTimeUtc());
    form.openFavorites(home / "Favorites");
    EXPECT_EQ(form.StatusBar1->panelText(2), QString());
    form.close();
    EXPECT_TRUE(std::filesystem::is_empty(config));
    EXPECT_TRUE(std::filesystem::is_empty(state));
}

TEST_F(KeptResultsTest, EndingARunKeepsWhatItJudgedAndLeavesTheLinksInFlightAsTheyWere)
{
    const NoSystemProxy noProxy;
    const SilentServer slow; // takes every request and never answers
    const LocalHttpServer quick([](httplib::Server& routes) {
        routes.Get("/", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("ok", "text/plain");
        });
    });
    const std::string slowBase = "http://127.0.0.1:" + std::to_string(slow.port()) + "/";
    addLink("A/Quick.url", quick.url("/"));
    for (int i = 0; i < 5; ++i)
        addLink("B/Slow " + std::to_string(i) + ".url", slowBase + std::to_string(i));
    home.mkdir("Other");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime before = now.addDays(-2);

    const struct
    {
        const char* how;
        std::function<void(TForm1&)> end;
    } endings[] = {
        {"Escape", [](TForm1& form) { QTest::keyClick(&form, Qt::Key_Escape); }},
        {"a new folder", [this](TForm1& form) { form.openFavorites(home / "Other"); }},
        {"closing", [](TForm1& form) { form.close(); }},
    };
    for (const auto& ending : endings) {
        SCOPED_TRACE(ending.how);
        TForm1& form = activeForm();
        form.setProbeEngines(Answering([](const QString&) { return true; }));
        runAt(form, before);
        // The real probe, three links at once, with time bounds short enough
        // that a transfer left running would give its time-out here.
        auto* options = new TfrOptions(&form);
        options->findChild<QSpinBox*>("seLinksAtOnce")->setValue(3);
        form.setOptionsDialog(options);
        form.setProbeEngines([] {
            return std::make_unique<CurlProbeEngine>(ProbeLimits{2000, 1, 3000});
        });
        form.setClock([now] { return now; });
        const int acceptedBefore = slow.acceptedCount();
        form.mnVerifyLinks->trigger();
        ASSERT_TRUE(WaitUntil([&] {
            return linkTitled(form, "Quick")->entry.Status == StatusAlive &&
                   slow.acceptedCount() - acceptedBefore == 3;
        }));

        ending.end(form);
        const QString shown = form.StatusBar1->panelText(2);
        ASSERT_TRUE(WaitUntil([&] { return form.findChildren<VerificationRun*>().isEmpty(); }));

        // Nothing was asked after the end, and the count stopped with it.
        EXPECT_EQ(slow.acceptedCount() - acceptedBefore, 3);
        EXPECT_EQ(form.StatusBar1->panelText(2).toStdString(), shown.toStdString());
        ResultsStore kept(home / ".local/state/Orvanta", home / "Favorites");
        EXPECT_EQ(kept.load(now), QString());
        const KeptResult* judged = kept.find("A/Quick.url", QString::fromStdString(quick.url("/")));
        ASSERT_TRUE(judged);
        EXPECT_EQ(judged->checked.daysTo(now), 0);
        for (int i = 0; i < 5; ++i) {
            const KeptResult* untouched =
                kept.find(QByteArray("B/Slow ") + QByteArray::number(i) + ".url",
                          QString::fromStdString(slowBase + std::to_string(i)));
            ASSERT_TRUE(untouched) << i;
            EXPECT_EQ(untouched->verdict, Verdict::Alive) << i;
            EXPECT_EQ(untouched->checked.daysTo(now), 2) << i;
        }
    }
}

TEST_F(KeptResultsTest, DeadLinksShowTheirArchivedCopyWhichCanBePutInPlaceAndTakenBack)
{
    const NoSystemProxy noProxy;
    const ArchiveStandIn archive;
    addLink("Alive.url", "http://found.test/alive");
    addLink("Gone.url", "http://found.test/gone");
    addLink("Lost.url", "http://none.test/lost");
    home.write(".config/Orvanta/Config.ini", "[Options]\nArchiveLookup=1\nArchiveAddress=" +
                                                 archive.address().toStdString() + "\n");
    const std::string gone = ReadFileBytes(home / "Favorites/Gone.url");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    {
        TForm1& form = makeForm();
        form.setOptionsDialog(new TfrOptions(&form));
        form.setProbeEngines(Answering([](const QString& link) { return link.endsWith("alive"); }));
        runAt(form, now);
        ASSERT_TRUE(WaitUntil([&] { return !form.archivedCopies().running(); }));
        // Only the dead links are asked about, in tree order.
        ASSERT_EQ(archive.asked().size(), 2u);
        EXPECT_EQ(archive.asked()[0].link, "http://found.test/gone");
        EXPECT_EQ(archive.asked()[1].link, "http://none.test/lost");
        EXPECT_EQ(statusTip(form, "Gone"),
                  "Dead: 404 Not Found\nArchived copy from " +
                      ArchivedCopyDate(QString::fromLatin1(archive.asked()[0].timestamp)));
        EXPECT_EQ(statusTip(form, "Lost"), "Dead: 404 Not Found");
    }

    // Kept: a later run shows the copy without asking again.
    TForm1& form = makeForm();
    form.setOptionsDialog(new TfrOptions(&form));
    form.setProbeEngines(Answering([](const QString& link) { return link.endsWith("alive"); }));
    runAt(form, now.addDays(1));
    ASSERT_TRUE(WaitUntil([&] { return !form.archivedCopies().running(); }));
    EXPECT_EQ(archive.asked().size(), 2u);
    EXPECT_TRUE(statusTip(form, "Gone")
                    .endsWith("\nArchived copy from " +
                              ArchivedCopyDate(QString::fromLatin1(archive.asked()[0].timestamp))));

    const auto offers = [this, &form](const QString& title) {
        form.VT->selectionModel()->setCurrentIndex(
            form.VT->bookmarks()->indexOf(linkTitled(form, title)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        form.contextMenu->enableItems();
        return form.contextMenu->openArchivedCopy->isEnabled() &&
               form.contextMenu->replaceWithArchivedCopy->isEnabled();
    };
    EXPECT_FALSE(offers("Lost"));
    EXPECT_FALSE(offers("Alive"));
    ASSERT_TRUE(offers("Gone"));
    const QString copy =
        ArchiveStandIn::copyOf("http://found.test/gone", archive.asked()[0].timestamp);
    form.contextMenu->replaceWithArchivedCopy->trigger();
    EXPECT_EQ(ReadFileBytes(home / "Favorites/Gone.url"),
              "[InternetShortcut]\r\nURL=" + copy.toStdString() + "\r\n");
    EXPECT_EQ(linkTitled(form, "Gone")->entry.Status, StatusAlive);
    EXPECT_EQ(form.StatusBar1->panelText(2),
              "1 link replaced with its archived copy; Ctrl+Z undoes it");
    form.undoLinkUpdate();
    EXPECT_EQ(ReadFileBytes(home / "Favorites/Gone.url"), gone);
    EXPECT_EQ(linkTitled(form, "Gone")->entry.Status, StatusDead);
    EXPECT_EQ(linkTitled(form, "Gone")->entry.Link, "http://found.test/gone");
}
