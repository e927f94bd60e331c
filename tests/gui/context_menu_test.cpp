#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "GatedProbe.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "Opener.h"
#include "StatusPanels.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QProcess>
#include <QTest>

namespace {

class ContextMenuTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        writeSmallTree();
        makeForm().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    // "root", or News, Example and Second below it.
    QModelIndex row(const QString& name) const
    {
        const QModelIndex root = form->VT->model()->index(0, 0);
        const int below = QStringList{"News", "Example", "Second"}.indexOf(name);
        return name == "root" ? root : form->VT->model()->index(below, 0, root);
    }

    // Opens the menu with a right click on the row named (key for none) and
    // gives the items it offers, closing it again.
    QStringList offered(const QString& clicked = {}, QKeyCombination key = Qt::Key_Menu)
    {
        QStringList enabled;
        QTimer::singleShot(0, form->pmVT, [&] {
            for (QAction* item : form->pmVT->actions())
                if (!item->isSeparator() && item->isEnabled())
                    enabled << item->text();
            form->pmVT->close();
        });
        const QPoint at = form->VT->visualRect(row(clicked)).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at,
                                form->VT->viewport()->mapToGlobal(at));
        if (clicked.isEmpty())
            QTest::keyClick(form->VT, key.key(), key.keyboardModifiers());
        else
            QCoreApplication::sendEvent(form->VT->viewport(), &click);
        return enabled;
    }
};

} // namespace

TEST_F(ContextMenuTest, OffersWhatAppliesToTheRowsClickedOrSelectedAndActsOnThem)
{
    const QStringList link{"Open link", "Copy link", "Check again", "Show in file manager",
                           "Move to Trash"};
    const struct
    {
        QStringList before; // selected before the click
        QString clicked;    // empty: key on the last row selected
        QStringList enabled;
        int selectedAfter;
        QKeyCombination key = Qt::Key_Menu;
    } cases[] = {
        {{},
         "root",
         {"Copy link", "Check again", "Show in file manager", "Open another folder…"},
         1},
        {{"Second"},
         "News",
         {"Copy link", "Check again", "Show in file manager", "Move to Trash"},
         1},
        {{"Example", "Second"}, "Second", link.mid(1), 2},
        {{"Example"}, {}, link, 1},
        {{"Example"}, {}, link, 1, Qt::SHIFT | Qt::Key_F10},
    };
    for (const auto& c : cases) {
        form->VT->clearSelection();
        for (const QString& name : c.before)
            form->VT->selectionModel()->setCurrentIndex(row(name), QItemSelectionModel::Select |
                                                                       QItemSelectionModel::Rows);
        EXPECT_EQ(offered(c.clicked, c.key), c.enabled);
        EXPECT_EQ(form->VT->selectionModel()->selectedRows().size(), c.selectedAfter);
        EXPECT_TRUE(c.clicked.isEmpty() ||
                    form->VT->isNodeSelected(BookmarkModel::nodeOf(row(c.clicked))));
    }
    form->mnCopyLink->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "http://127.0.0.1:9/example");
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form->mnMoveToTrash->trigger();
    EXPECT_EQ(LastMessageBox().text, "Move 1 link to the Trash?");
    EXPECT_TRUE(std::filesystem::exists(dataHome() / "Trash/files/Example.url"));
}

TEST_F(ContextMenuTest, CheckAgainOnAFolderProbesExactlyItsLinksInARunOfTheirOwn)
{
    form->setProbeEngines(Answering([](const QString&) { return true; }));
    form->mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form->VerifyThread; }));
    GatedProbe probe([](const QString&) { return false; });
    form->setProbeEngines(Wrap(probe));
    offered("News");
    form->mnCheckAgain->trigger();
    ASSERT_TRUE(WaitUntil([&] { return probe.waiting(); }));
    EXPECT_EQ(BookmarkModel::nodeOf(row("Example"))->entry.Status, StatusAlive);
    EXPECT_FALSE(offered("News").contains("Check again")) << "not during a run";
    probe.release(10);
    ASSERT_TRUE(WaitUntil([&] { return !form->VerifyThread; }));
    EXPECT_EQ(probe.asked(), (QStringList{"http://127.0.0.1:9/maps", "http://127.0.0.1:9/gone",
                                          "http://127.0.0.1:9/today"}));
}

TEST_F(ContextMenuTest, ShowInFileManagerSaysWhyWhenNeitherAFileManagerNorTheOpenerCan)
{
    // A session bus of the test's own, with no file manager on it.
    QProcess daemon; // killed when it goes
    daemon.start("dbus-daemon", {"--nofork", "--print-address",
                                 "--config-file=" ORVANTA_TEST_DATA "/session-bus.conf"});
    ASSERT_TRUE(daemon.waitForReadyRead(10000));
    const QByteArray savedBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", daemon.readLine().trimmed());
    QStringList opened;
    SetOpener([&opened](const QString& target, const OpenFailed& failed) {
        opened << target;
        failed("no program to open links was found");
    });

    offered("News");
    form->mnShowInFileManager->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }));
    SetOpener({});
    qputenv("DBUS_SESSION_BUS_ADDRESS", savedBus);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(form->StatusBar1->panelText(2), "Unable to show in file manager: no file manager "
                                              "answered, and no program to open links was found");
}
