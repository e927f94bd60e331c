#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "FindBar.h"
#include "GatedProbe.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "StatusPanels.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <fstream>
#include <functional>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// Links ending in "old" moved for good to ".../new", those ending in
// "plain" moved only to https, all others moved for now.
ProbeResult MovingVerdict(const QString& link)
{
    ProbeResult result = AnsweredVerdict(true);
    result.permanentRedirects = link.endsWith("old");
    result.finalAddress = result.permanentRedirects ? "http://127.0.0.1:9/new"
                          : link.endsWith("plain")  ? QString(link).replace("http:", "https:")
                                                    : "http://127.0.0.1:9/elsewhere";
    return result;
}

class TidyMenuTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ResetMessageBoxes();
    }
    void TearDown() override
    {
        ResetMessageBoxes();
        MainWindowFixture::TearDown();
    }

    std::string read(const std::string& relative) const
    {
        std::ifstream file(home / "Favorites" / relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    // The links of the tree by title, in tree order.
    std::vector<const BookmarkEntry*> links(TForm1& form, bool selectedOnly = false)
    {
        std::vector<const BookmarkEntry*> found;
        BookmarkModel& tree = *form.VT->bookmarks();
        for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
            if (!node->entry.IsFolder && (!selectedOnly || form.VT->isNodeSelected(node)))
                found.push_back(&node->entry);
        }
        return found;
    }
    const BookmarkEntry* entry(TForm1& form, const QString& title)
    {
        for (const BookmarkEntry* link : links(form))
            if (link->Title == title)
                return link;
        return nullptr;
    }
};

} // namespace

TEST_F(TidyMenuTest, UpdateAllMovedLinksAsksRewritesTheFilesAndCtrlZPutsThemBack)
{
    const std::string moved = "[DEFAULT]\r\nBASEURL=http://127.0.0.1:9/old\r\n"
                              "[InternetShortcut]\r\nURL=http://127.0.0.1:9/old\r\nIconIndex=1\r\n";
    home.write("Favorites/Moved.url", moved);
    addLink("Sub/Plain.url", "http://127.0.0.1:9/plain");
    TForm1& form = makeForm();
    EXPECT_FALSE(form.mnUpdateMoved->isEnabled());
    form.setProbeEngines(Judging(MovingVerdict));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
    ASSERT_TRUE(form.mnUpdateMoved->isEnabled());
    EXPECT_EQ(entry(form, "Moved")->Status, StatusMoved);
    EXPECT_EQ(entry(form, "Plain")->Status, StatusMoved);
    EXPECT_TRUE(
        form.StatusBar1->panelText(2).startsWith("2 checked: 0 dead, 0 not sure, 2 moved, in "))
        << form.StatusBar1->panelText(2).toStdString();

    SetNextMessageBoxAnswer(QMessageBox::No);
    form.mnUpdateMoved->trigger();
    EXPECT_EQ(LastMessageBox().text, "Update 2 moved links to their new address?");
    EXPECT_EQ(LastMessageBox().defaultButton, QMessageBox::No);
    EXPECT_EQ(read("Moved.url"), moved);

    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form.mnUpdateMoved->trigger();
    EXPECT_EQ(read("Moved.url"),
              "[DEFAULT]\r\nBASEURL=http://127.0.0.1:9/old\r\n"
              "[InternetShortcut]\r\nURL=http://127.0.0.1:9/new\r\nIconIndex=1\r\n");
    EXPECT_EQ(read("Sub/Plain.url"), "[InternetShortcut]\r\nURL=https://127.0.0.1:9/plain\r\n");
    EXPECT_EQ(entry(form, "Moved")->Link, "http://127.0.0.1:9/new");
    EXPECT_EQ(entry(form, "Moved")->Status, StatusAlive);
    EXPECT_FALSE(form.mnUpdateMoved->isEnabled());
    EXPECT_EQ(MessageBoxCount(), 2); // nothing failed
    // The results kept for the next start have the new link, alive.
    ResultsStore kept(home / ".local/state/Orvanta", home / "Favorites");
    EXPECT_EQ(kept.load(QDateTime::currentDateTimeUtc()), QString());
    const KeptResult* updated = kept.find("Moved.url", "http://127.0.0.1:9/new");
    ASSERT_TRUE(updated);
    EXPECT_EQ(updated->verdict, Verdict::Alive);

    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(form.VT, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(read("Moved.url"), moved);
    EXPECT_EQ(read("Sub/Plain.url"), "[InternetShortcut]\r\nURL=http://127.0.0.1:9/plain\r\n");
    EXPECT_EQ(entry(form, "Moved")->Link, "http://127.0.0.1:9/old");
    EXPECT_EQ(entry(form, "Moved")->Status, StatusMoved);
    EXPECT_TRUE(form.mnUpdateMoved->isEnabled());

    // From the menu on a selection, only the moved links selected.
    BookmarkModel& tree = *form.VT->bookmarks();
    BookmarkNode* sub = tree.firstNode();
    while (sub && sub->entry.Name != "Sub")
        sub = tree.nextNode(sub);
    form.VT->selectionModel()->select(tree.indexOf(sub), QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form.mnUpdateSelected->trigger();
    EXPECT_EQ(LastMessageBox().text, "Update 1 moved link to its new address?");
    EXPECT_EQ(read("Sub/Plain.url"), "[InternetShortcut]\r\nURL=https://127.0.0.1:9/plain\r\n");
    EXPECT_EQ(read("Moved.url"), moved);

    // The undone links may be updated again; a file gone meanwhile is named.
    fs::remove(home / "Favorites/Moved.url");
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    form.mnUpdateMoved->trigger();
    EXPECT_EQ(LastMessageBox().text, "1 link could not be updated:");
    EXPECT_EQ(LastMessageBox().informativeText, "Moved.url: gone from disk");
    EXPECT_EQ(read("Sub/Plain.url"), "[InternetShortcut]\r\nURL=https://127.0.0.1:9/plain\r\n");
}

TEST_F(TidyMenuTest, SelectDuplicatesSparesTheFirstOfEachSoDeleteTrashesOnlyTheExtras)
{
    addLink("A.url", "http://example.com/page");
    addLink("B.url", "http://127.0.0.1:9/other");
    TForm1& form = makeForm();
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    form.mnSelectDuplicates->trigger();
    EXPECT_EQ(LastMessageBox().text, "There are no duplicate links.");

    addLink("Deep/C.url", "https://www.Example.com/page/#top");
    addLink("Deep/D.url", "http://127.0.0.1:9/other?utm_source=x");
    addLink("E.url", "http://example.com/page?utm_medium=y");
    // A copy below a folder link out of the Favorites folder takes no part.
    home.write("Elsewhere/F.url", "[InternetShortcut]\r\nURL=http://example.com/page\r\n");
    fs::create_directory_symlink(home / "Elsewhere", home / "Favorites/Linked");
    form.openFavorites(home / "Favorites");
    form.mnSelectDuplicates->trigger();
    // Folders come before links at each level, so Deep's links are first met.
    QStringList selected;
    for (const BookmarkEntry* link : links(form, true))
        selected << link->Title;
    EXPECT_EQ(selected, QStringList({"A", "B", "E"}));
    EXPECT_EQ(form.StatusBar1->panelText(2).toStdString(),
              "3 links selected; Delete moves them to the Trash. 1 link outside the Favorites "
              "folder (below folder links) is left out.");

    SetNextMessageBoxAnswer(QMessageBox::Yes);
    QTest::keyClick(form.VT, Qt::Key_Delete);
    EXPECT_EQ(LastMessageBox().text, "Move 3 links to the Trash?");
    EXPECT_TRUE(fs::exists(home / "Elsewhere/F.url"));
    EXPECT_TRUE(fs::exists(home / "Favorites/Deep/C.url"));
    EXPECT_FALSE(fs::exists(home / "Favorites/A.url"));
    EXPECT_TRUE(fs::exists(dataHome() / "Trash/files/E.url"));
}

TEST_F(TidyMenuTest, OnlyShortcutsAsTheRunReadThemAreUpdatedAndACutLinkIsNotOffered)
{
    addLink("Moved.url", "http://127.0.0.1:9/old");
    addLink("Fixed.url", "http://127.0.0.1:9/also-old");
    const std::string cut = "[InternetShortcut]\r\nURL=http://127.0.0.1:9/old\"tail-kept\r\n";
    home.write("Favorites/Cut.url", cut);
    // One file under two names: a new file would leave the other with the old link.
    addLink("Twin.url", "http://127.0.0.1:9/twin-old");
    fs::create_hard_link(home / "Favorites/Twin.url", home / "Favorites/Twin copy.url");
    TForm1& form = makeForm();
    form.setProbeEngines(Judging(MovingVerdict));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
    BookmarkModel& tree = *form.VT->bookmarks();
    BookmarkNode* cutNode = tree.firstNode();
    while (cutNode && cutNode->entry.Title != "Cut")
        cutNode = tree.nextNode(cutNode);
    ASSERT_TRUE(cutNode);
    EXPECT_TRUE(tree.indexOf(cutNode, ColumnStatus)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .endsWith("Not updated: the shortcut's link holds characters the check left "
                              "out"));
    form.VT->selectionModel()->select(tree.indexOf(cutNode), QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
    emit form.pmVT->aboutToShow();
    EXPECT_FALSE(form.mnUpdateSelected->isEnabled());

    // Fixed by hand after the run.
    addLink("Fixed.url", "http://127.0.0.1:9/by-hand");
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    form.mnUpdateMoved->trigger();
    const QString twice = ": it has other names on disk (hard links), which a new file would "
                          "leave with the old link\n";
    EXPECT_EQ(LastMessageBox().text, "2 links could not be updated:");
    EXPECT_EQ(LastMessageBox().informativeText,
              "Twin copy.url" + twice + "Twin.url" + twice +
                  "1 shortcut changed since it was checked; check it again.");
    EXPECT_EQ(form.StatusBar1->panelText(2),
              "1 link updated to the new address; Ctrl+Z undoes it; 1 shortcut changed since it "
              "was checked; check it again");
    EXPECT_EQ(read("Moved.url"), "[InternetShortcut]\r\nURL=http://127.0.0.1:9/new\r\n");
    EXPECT_EQ(read("Fixed.url"), "[InternetShortcut]\r\nURL=http://127.0.0.1:9/by-hand\r\n");
    EXPECT_EQ(read("Cut.url"), cut);
    EXPECT_EQ(read("Twin.url"), "[InternetShortcut]\r\nURL=http://127.0.0.1:9/twin-old\r\n");
    EXPECT_EQ(entry(form, "Fixed")->Status, StatusUnverified);
}

TEST_F(TidyMenuTest, EachActionLeavesTheFocusOnItsFirstRowInSight)
{
    // Enough links that the last rows lie below the fold.
    for (int i = 0; i < 40; ++i)
        addLink(QStringLiteral("L%1.url").arg(i, 2, 10, QChar('0')).toStdString(),
                "http://127.0.0.1:9/l" + std::to_string(i));
    addLink("Zm.url", "http://127.0.0.1:9/zold");
    addLink("Zz.url", "http://127.0.0.1:9/l0");
    TForm1& form = activeForm();
    form.setProbeEngines(Judging(MovingVerdict));
    form.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
    BookmarkView& view = *form.VT;
    BookmarkModel& tree = *view.bookmarks();
    const auto select = [&](const QString& title) {
        for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
            if (node->entry.Title == title)
                view.selectionModel()->select(tree.indexOf(node),
                                              QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
        }
    };
    const QString rootName = tree.firstNode()->entry.Name;

    const struct
    {
        const char* action;
        std::function<void()> act;
        QString current;
    } cases[] = {
        {"Select duplicates", [&] { form.mnSelectDuplicates->trigger(); }, "Zz"},
        {"Update all moved links",
         [&] {
             SetNextMessageBoxAnswer(QMessageBox::Yes);
             form.mnUpdateMoved->trigger();
         },
         "Zm"},
        {"its undo", [&] { QTest::keyClick(form.VT, Qt::Key_Z, Qt::ControlModifier); }, "Zm"},
        {"Update to new address",
         [&] {
             select("Zm");
             SetNextMessageBoxAnswer(QMessageBox::Yes);
             form.mnUpdateSelected->trigger();
         },
         "Zm"},
        {"Check again",
         [&] {
             select("L35");
             form.mnCheckAgainClick();
         },
         "L35"},
        {"Check again under the find bar, its run over",
         [&] {
             ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
             form.showFindBar();
             select("L36");
             form.mnCheckAgainClick();
             ASSERT_TRUE(WaitUntil([&] { return !form.VerifyThread; }));
         },
         "L36"},
        {"Show: Duplicates",
         [&] {
             form.findBar->choiceBox->setCurrentIndex(int(FindChoice::Moved));
             form.findBar->choiceBox->setFocus();
             QTest::keyClick(form.findBar->choiceBox, Qt::Key_Down);
         },
         "L00"},
        {"Tab into the tree",
         [&] {
             view.selectionModel()->clear();
             form.findBar->field->setFocus();
             view.setFocus(Qt::TabFocusReason);
         },
         rootName},
    };
    for (const auto& c : cases) {
        view.clearFocus();
        view.scrollToTop();
        c.act();
        EXPECT_EQ(QApplication::focusWidget(), &view) << c.action;
        const QModelIndex current = view.currentIndex();
        EXPECT_EQ(current.siblingAtColumn(ColumnName).data().toString(), c.current) << c.action;
        EXPECT_TRUE(view.selectionModel()->isSelected(current)) << c.action;
        EXPECT_TRUE(view.viewport()->rect().contains(view.visualRect(current))) << c.action;
    }

    // The Delete key acts at once and names what goes where.
    form.mnSelectDuplicates->trigger();
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    EXPECT_EQ(LastMessageBox().text, "Move 1 link to the Trash?");
    EXPECT_FALSE(fs::exists(home / "Favorites/Zz.url"));
    EXPECT_TRUE(fs::exists(home / "Favorites/L00.url"));
}
