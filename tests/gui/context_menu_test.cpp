#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "GatedProbe.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace fs = std::filesystem;

namespace {

class ContextMenuTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ResetMessageBoxes();
        writeSmallTree();
        makeForm().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override
    {
        ResetMessageBoxes();
        MainWindowFixture::TearDown();
    }

    // The root entry, then News, Example and Second below it.
    QModelIndex row(const QString& name) const
    {
        const QModelIndex root = form->VT->model()->index(0, 0);
        const QStringList below{"News", "Example", "Second"};
        return name == "root" ? root : form->VT->model()->index(below.indexOf(name), 0, root);
    }
    QStringList selected() const
    {
        QStringList names;
        for (const QModelIndex& index : form->VT->selectionModel()->selectedRows())
            names << (index == row("root") ? "root" : index.data().toString());
        names.sort();
        return names;
    }

    // Opens the menu with a right click on the row named (the Menu key for
    // none) and gives the items it offers, closing it again.
    QStringList offered(const QString& clicked)
    {
        QStringList enabled;
        QTimer::singleShot(0, form->pmVT, [&] {
            for (QAction* item : form->pmVT->actions())
                if (!item->isSeparator() && item->isEnabled())
                    enabled << item->text();
            openedAt = form->pmVT->pos();
            form->pmVT->close();
        });
        QWidget* rows = form->VT->viewport();
        if (clicked.isEmpty()) {
            QTest::keyClick(form->VT, Qt::Key_Menu);
            return enabled;
        }
        const QPoint at = form->VT->visualRect(row(clicked)).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, rows->mapToGlobal(at));
        QApplication::sendEvent(rows, &click);
        return enabled;
    }

    QPoint openedAt;
};

} // namespace

TEST_F(ContextMenuTest, OffersWhatAppliesToTheRowsClickedOrSelected)
{
    const QStringList link{"Open link", "Copy link", "Check again", "Show in file manager",
                           "Move to Trash"};
    const struct
    {
        QStringList before; // selected before the click
        QString clicked;    // empty: the Menu key on the first row selected
        QStringList enabled;
        QStringList after;
    } cases[] = {
        {{}, "root", {"Check again", "Show in file manager", "Open another folder…"}, {"root"}},
        {{"Second"}, "News", {"Check again", "Show in file manager", "Move to Trash"}, {"News"}},
        {{}, "Example", link, {"Example"}},
        {{"Example", "Second"},
         "Second",
         {"Copy link", "Check again", "Show in file manager", "Move to Trash"},
         {"Example", "Second"}},
        {{"Example"}, {}, link, {"Example"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clicked.toStdString());
        form->VT->clearSelection();
        for (const QString& name : c.before)
            form->VT->selectionModel()->setCurrentIndex(row(name), QItemSelectionModel::Select |
                                                                       QItemSelectionModel::Rows);
        EXPECT_EQ(offered(c.clicked), c.enabled);
        EXPECT_EQ(selected(), c.after);
    }
    // The Menu key opens it under the current row.
    EXPECT_EQ(openedAt,
              form->VT->viewport()->mapToGlobal(form->VT->visualRect(row("Example")).bottomLeft()));
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
    const auto status = [&](const QString& name) {
        return BookmarkModel::entry(BookmarkModel::nodeOf(row(name)))->Status;
    };
    EXPECT_EQ(status("Example"), StatusAlive) << "only the folder's lamps go grey";
    EXPECT_FALSE(offered("News").contains("Check again")) << "not during a run";

    probe.release(10);
    ASSERT_TRUE(WaitUntil([&] { return !form->VerifyThread; }));
    QStringList asked = probe.asked();
    asked.sort();
    EXPECT_EQ(asked, (QStringList{"http://127.0.0.1:9/gone", "http://127.0.0.1:9/maps",
                                  "http://127.0.0.1:9/today"}));
    EXPECT_EQ(status("Second"), StatusAlive);
    EXPECT_EQ(BookmarkModel::nodeOf(row("News"))->entry.DeadInside, 3);
}

TEST_F(ContextMenuTest, CopyLinkCopiesAndMoveToTrashAsksTheUsualQuestion)
{
    offered("Example");
    form->mnCopyLink->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "http://127.0.0.1:9/example");

    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form->mnMoveToTrash->trigger();
    EXPECT_EQ(LastMessageBox().text, "Delete selected?");
    EXPECT_FALSE(fs::exists(home / "Favorites/Example.url"));
    EXPECT_TRUE(fs::exists(dataHome() / "Trash/files/Example.url"));
}
