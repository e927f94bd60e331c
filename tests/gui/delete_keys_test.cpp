#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "PictureButton.h"
#include "StatusPanels.h"
#include "TfrOptions.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QTest>

namespace fs = std::filesystem;

namespace {

class DeleteKeysTest : public MainWindowFixture
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

    fs::path favorites() const { return home / "Favorites"; }

    BookmarkNode* node(TForm1& form, const QString& text)
    {
        BookmarkModel& tree = *form.VT->bookmarks();
        for (BookmarkNode* n = tree.firstNode(); n; n = tree.nextNode(n)) {
            const BookmarkEntry* e = BookmarkModel::entry(n);
            if ((e->IsFolder ? e->Name : e->Title) == text)
                return n;
        }
        return nullptr;
    }
    void select(TForm1& form, std::initializer_list<BookmarkNode*> nodes)
    {
        for (BookmarkNode* n : nodes)
            form.VT->selectionModel()->select(form.VT->bookmarks()->indexOf(n),
                                              QItemSelectionModel::Select |
                                                  QItemSelectionModel::Rows);
    }
    void pressDelete(TForm1& form, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(form.VT, Qt::Key_Delete, modifiers);
    }
};

} // namespace

TEST_F(DeleteKeysTest, TheRootAloneIsRefusedWithoutAQuestion)
{
    writeSmallTree();
    TForm1& form = makeForm();
    select(form, {form.VT->bookmarks()->firstNode()});
    SetNextMessageBoxAnswer(QMessageBox::Ok);

    pressDelete(form);

    ASSERT_EQ(MessageBoxCount(), 1);
    EXPECT_EQ(LastMessageBox().text, "This folder is not to be deleted!");
    EXPECT_EQ(LastMessageBox().caption, "Orvanta");
    EXPECT_EQ(LastMessageBox().icon, QMessageBox::NoIcon);
    EXPECT_EQ(LastMessageBox().buttons, QMessageBox::Ok);
    EXPECT_TRUE(fs::exists(favorites() / "Example.url"));
}

TEST_F(DeleteKeysTest, TheRootWithOthersIsUnselectedAndNoKeepsEverything)
{
    writeSmallTree();
    TForm1& form = makeForm();
    BookmarkNode* root = form.VT->bookmarks()->firstNode();
    select(form, {root, node(form, "Example")});
    SetNextMessageBoxAnswer(QMessageBox::No);

    pressDelete(form, Qt::ShiftModifier);

    EXPECT_EQ(LastMessageBox().text, "Move 1 link to the Trash?");
    EXPECT_EQ(LastMessageBox().caption, "Warning!");
    EXPECT_EQ(LastMessageBox().icon, QMessageBox::Question);
    EXPECT_EQ(LastMessageBox().buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_FALSE(form.VT->isNodeSelected(root));
    EXPECT_TRUE(fs::exists(favorites() / "Example.url"));
    EXPECT_TRUE(node(form, "Example"));
}

TEST_F(DeleteKeysTest, YesDeletesTheSelectionOnDiskAndInTheTreeAndRecounts)
{
    writeSmallTree();
    TForm1& form = makeForm();
    select(form, {form.VT->bookmarks()->firstNode(), node(form, "News"), node(form, "Today"),
                  node(form, "Second")});
    SetNextMessageBoxAnswer(QMessageBox::Yes);

    pressDelete(form);

    EXPECT_FALSE(fs::exists(favorites() / "News"));
    EXPECT_FALSE(fs::exists(favorites() / "Second.url"));
    EXPECT_TRUE(fs::exists(dataHome() / "Trash/files/News/Local/Maps.url"));
    EXPECT_EQ(MessageBoxCount(), 1); // nothing was left alone
    EXPECT_TRUE(fs::exists(favorites() / "Example.url"));
    EXPECT_FALSE(node(form, "News"));
    EXPECT_FALSE(node(form, "Maps"));
    EXPECT_TRUE(node(form, "Example"));
    EXPECT_EQ(form.StatusBar1->panelText(0), "Categories : 0");
    EXPECT_EQ(form.StatusBar1->panelText(1), "Links : 1");
}

TEST_F(DeleteKeysTest, AnEmptyTreeStillAsksAndThenShowsZeroCounts)
{
    TForm1& form = makeForm();
    EXPECT_EQ(form.StatusBar1->panelText(0), "");
    SetNextMessageBoxAnswer(QMessageBox::Yes);

    pressDelete(form);

    EXPECT_EQ(LastMessageBox().text, "Delete selected?");
    EXPECT_EQ(form.StatusBar1->panelText(0), "Categories : 0");
    EXPECT_EQ(form.StatusBar1->panelText(1), "Links : 0");
}

TEST_F(DeleteKeysTest, OtherKeysDeleteNothing)
{
    writeSmallTree();
    TForm1& form = makeForm();
    select(form, {node(form, "Example")});
    QTest::keyClick(form.VT, Qt::Key_Backspace);
    EXPECT_EQ(MessageBoxCount(), 0);
    EXPECT_TRUE(node(form, "Example"));
}

TEST_F(DeleteKeysTest, DeleteAllDeadLinksAsksFirstAndRemovesOnlyDeadOnes)
{
    writeSmallTree();
    TForm1& form = makeForm();
    BookmarkModel::entry(node(form, "Today"))->Status = StatusDead;
    BookmarkModel::entry(node(form, "Gone"))->Status = StatusDead;
    BookmarkModel::entry(node(form, "Example"))->Status = StatusAlive;

    SetNextMessageBoxAnswer(QMessageBox::No);
    form.btDelete->click();
    EXPECT_EQ(LastMessageBox().text, "Delete all dead links?");
    EXPECT_EQ(LastMessageBox().caption, "Warning!");
    EXPECT_TRUE(fs::exists(favorites() / "News/Today.url"));

    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form.btDelete->click();
    EXPECT_FALSE(fs::exists(favorites() / "News/Today.url"));
    EXPECT_FALSE(fs::exists(favorites() / "News/Gone.url"));
    EXPECT_TRUE(fs::exists(dataHome() / "Trash/files/Today.url"));
    EXPECT_TRUE(fs::exists(favorites() / "Example.url"));
    EXPECT_TRUE(node(form, "News"));
    EXPECT_EQ(form.StatusBar1->panelText(0), "Categories : 2");
    EXPECT_EQ(form.StatusBar1->panelText(1), "Links : 3");
}

TEST_F(DeleteKeysTest, EntriesLeftOnDiskKeepTheirRowsAndBringOneNotice)
{
    writeSmallTree();
    TForm1& form = makeForm();
    // News becomes a link to a look-alike, and Example read-only.
    fs::rename(favorites() / "News", home / "Moved");
    fs::create_directory_symlink(home / "Moved", favorites() / "News");
    fs::permissions(favorites() / "Example.url", fs::perms::owner_write, fs::perm_options::remove);
    select(form, {node(form, "Today"), node(form, "Example"), node(form, "Second")});
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    SetNextMessageBoxAnswer(QMessageBox::Ok);

    pressDelete(form);

    EXPECT_EQ(MessageBoxCount(), 2);
    EXPECT_EQ(LastMessageBox().caption, "Orvanta");
    EXPECT_EQ(LastMessageBox().text, "2 entries were left alone: changed on disk since the folder "
                                     "was read, or could not be deleted.");
    EXPECT_TRUE(fs::exists(home / "Moved/Today.url"));
    EXPECT_TRUE(fs::exists(favorites() / "Example.url"));
    EXPECT_FALSE(fs::exists(favorites() / "Second.url"));
    EXPECT_TRUE(node(form, "Today"));
    EXPECT_TRUE(node(form, "Example"));
    EXPECT_FALSE(node(form, "Second"));
    EXPECT_EQ(form.StatusBar1->panelText(1), "Links : 4");
}

TEST_F(DeleteKeysTest, WithoutATrashOneQuestionDecidesOnPermanentDeletion)
{
    writeSmallTree();
    home.write("blocker", "x");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((home / "blocker/data").string()));
    TForm1& form = makeForm();

    select(form, {node(form, "News"), node(form, "Second")});
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    SetNextMessageBoxAnswer(QMessageBox::No);
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    pressDelete(form);
    EXPECT_EQ(MessageBoxCount(), 3);
    EXPECT_TRUE(fs::exists(favorites() / "News/Today.url"));
    EXPECT_TRUE(node(form, "Second"));

    ResetMessageBoxes();
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    pressDelete(form);
    EXPECT_EQ(MessageBoxCount(), 2);
    EXPECT_EQ(LastMessageBox().text, "2 entries cannot be moved to the Trash: no trash can be used "
                                     "on that disk. Delete permanently?");
    EXPECT_EQ(LastMessageBox().caption, "Warning!");
    EXPECT_EQ(LastMessageBox().buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(LastMessageBox().defaultButton, QMessageBox::No); // Enter keeps them
    EXPECT_FALSE(fs::exists(favorites() / "News"));
    EXPECT_FALSE(fs::exists(favorites() / "Second.url"));
    EXPECT_FALSE(node(form, "Second"));
}

TEST_F(DeleteKeysTest, WithTheTrashSwitchedOffInOptionsTheOneQuestionLeadsToPermanentDeletion)
{
    writeSmallTree();
    home.write(".config/Orvanta/Config.ini", "[Options]\nUseTrash=0\n");
    TForm1& form = makeForm();
    auto* options = new TfrOptions(&form);
    form.setOptionsDialog(options);
    select(form, {node(form, "News"), node(form, "Second")});
    form.pmVTPopup();
    EXPECT_EQ(form.mnMoveToTrash->text(), "Delete permanently");

    SetNextMessageBoxAnswer(QMessageBox::Yes);
    pressDelete(form);
    EXPECT_EQ(MessageBoxCount(), 1);
    EXPECT_FALSE(fs::exists(favorites() / "News"));
    EXPECT_FALSE(fs::exists(favorites() / "Second.url"));
    EXPECT_FALSE(node(form, "Second"));
    EXPECT_EQ(form.StatusBar1->panelText(2), "2 entries deleted permanently");

    BookmarkModel::entry(node(form, "Example"))->Status = StatusDead;
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form.btDelete->click();
    EXPECT_EQ(MessageBoxCount(), 2);
    EXPECT_EQ(LastMessageBox().text, "Delete all dead links?");
    EXPECT_EQ(LastMessageBox().informativeText, "1 dead link will be deleted permanently.");
    EXPECT_FALSE(fs::exists(favorites() / "Example.url"));
    EXPECT_EQ(form.StatusBar1->panelText(2), "1 dead link deleted permanently");
    EXPECT_FALSE(fs::exists(dataHome() / "Trash"));

    options->findChild<QCheckBox*>("chbUseTrash")->click();
    form.pmVTPopup();
    EXPECT_EQ(form.mnMoveToTrash->text(), "Move to Trash");
}

TEST_F(DeleteKeysTest, TheDeadLinksQuestionCountsWhatGoesAndWhatIsLeftOut)
{
    writeSmallTree();
    addLink("../Elsewhere/Far.url", "http://127.0.0.1:9/far");
    fs::create_directory_symlink(home / "Elsewhere", favorites() / "Linked");
    TForm1& form = makeForm();
    for (const char* title : {"Today", "Gone", "Far"})
        BookmarkModel::entry(node(form, title))->Status = StatusDead;
    for (const char* title : {"Maps", "Second"})
        BookmarkModel::entry(node(form, title))->Status = StatusUnsure;

    SetNextMessageBoxAnswer(QMessageBox::No);
    form.btDelete->click();
    EXPECT_EQ(LastMessageBox().text, "Delete all dead links?");
    EXPECT_EQ(LastMessageBox().informativeText,
              "2 dead links will be moved to the Trash.\n"
              "2 links that are not sure are kept.\n"
              "1 dead link lies outside the Favorites folder (below folder links) and left out; "
              "select and press Delete to delete those.");

    form.lastRunReachedNoServer = true;
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form.btDelete->click();
    EXPECT_TRUE(LastMessageBox().informativeText.endsWith(
        "No server answered during the last run: the network or the proxy may have been down."));
    EXPECT_FALSE(node(form, "Today"));
    EXPECT_TRUE(node(form, "Far") && node(form, "Maps") && node(form, "Second"));
    EXPECT_TRUE(fs::exists(home / "Elsewhere/Far.url"));
}

TEST_F(DeleteKeysTest, TheThirdPanelSaysWhatADeletionDidInPlaceOfTheRunsCounts)
{
    writeSmallTree();
    TForm1& form = makeForm();
    BookmarkModel::entry(node(form, "Today"))->Status = StatusDead;
    BookmarkModel::entry(node(form, "Gone"))->Status = StatusDead;
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    form.btDelete->click();
    EXPECT_EQ(form.StatusBar1->panelText(2), "2 dead links moved to the Trash");

    // Maps is gone from disk already, Example is read-only.
    fs::remove(favorites() / "News/Local/Maps.url");
    fs::permissions(favorites() / "Example.url", fs::perms::owner_write, fs::perm_options::remove);
    select(form, {node(form, "Maps"), node(form, "Example"), node(form, "Second")});
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    SetNextMessageBoxAnswer(QMessageBox::No); // News and Local, now empty, stay
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    pressDelete(form);
    EXPECT_EQ(form.StatusBar1->panelText(2),
              "1 entry moved to the Trash, 1 already gone from disk, 1 left alone");
}

TEST_F(DeleteKeysTest, WithNoDeadLinkToDeleteTheButtonSaysSoInsteadOfAsking)
{
    // The only dead link lies below a folder link: named, left for the Delete key.
    addLink("../Elsewhere/Far.url", "http://127.0.0.1:9/far");
    addLink("Offline.url", "http://127.0.0.1:9/offline");
    fs::create_directory_symlink(home / "Elsewhere", favorites() / "Linked");
    TForm1& form = makeForm();
    BookmarkModel::entry(node(form, "Far"))->Status = StatusDead;
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    form.btDelete->click();
    EXPECT_EQ(LastMessageBox().text, "There are no dead links to delete.");
    EXPECT_TRUE(LastMessageBox().informativeText.startsWith("1 dead link lies outside"));

    // After a run that reached no server, links not sure are why.
    form.lastRunReachedNoServer = true;
    BookmarkModel::entry(node(form, "Offline"))->Status = StatusUnsure;
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    form.btDelete->click();
    EXPECT_TRUE(LastMessageBox().informativeText.startsWith(
        "No server answered during the last run, so no link was found dead: 1 link is not "
        "sure.\n1 dead link"));
}

TEST_F(DeleteKeysTest, ALinkFixedSinceItWasJudgedDeadStaysGreyUnlessDeletedByHand)
{
    writeSmallTree();
    TForm1& form = makeForm();
    for (const char* title : {"Today", "Gone", "Example"})
        BookmarkModel::entry(node(form, title))->Status = StatusDead;
    // Two addresses fixed by hand after the run.
    addLink("News/Today.url", "http://127.0.0.1:9/today-fixed");
    addLink("News/Gone.url", "http://127.0.0.1:9/gone-fixed");

    SetNextMessageBoxAnswer(QMessageBox::Yes);
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    form.btDelete->click();
    EXPECT_EQ(LastMessageBox().text,
              "2 shortcuts changed since they were checked; check them again.");
    EXPECT_EQ(form.StatusBar1->panelText(2),
              "1 dead link moved to the Trash, 2 shortcuts changed since they were checked; "
              "check them again");
    EXPECT_FALSE(fs::exists(favorites() / "Example.url"));
    for (const char* title : {"Today", "Gone"})
        EXPECT_EQ(BookmarkModel::entry(node(form, title))->Status, StatusUnverified) << title;
    EXPECT_EQ(BookmarkModel::entry(node(form, "Today"))->Link, "http://127.0.0.1:9/today-fixed");

    // From the context menu a dead link goes for its verdict the same way.
    BookmarkModel::entry(node(form, "Today"))->Status = StatusDead;
    addLink("News/Today.url", "http://127.0.0.1:9/today-fixed-again");
    select(form, {node(form, "Today")});
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    SetNextMessageBoxAnswer(QMessageBox::Ok);
    form.mnMoveToTrash->trigger();
    EXPECT_EQ(LastMessageBox().text, "1 shortcut changed since it was checked; check it again.");
    EXPECT_TRUE(fs::exists(favorites() / "News/Today.url"));
    EXPECT_EQ(BookmarkModel::entry(node(form, "Today"))->Status, StatusUnverified);

    // The Delete key on a selection made by hand asks only that it is the same file.
    BookmarkModel::entry(node(form, "Today"))->Status = StatusDead;
    SetNextMessageBoxAnswer(QMessageBox::Yes);
    pressDelete(form);
    EXPECT_FALSE(fs::exists(favorites() / "News/Today.url"));
    EXPECT_FALSE(node(form, "Today"));
}

TEST_F(DeleteKeysTest, FoldersADeletionEmptiedAreOfferedInASecondQuestion)
{
    const struct
    {
        const char* name;
        const char* config; // Config.ini's [Options]
        bool selectMaps;    // Delete on Maps alone, else "Delete all dead links"
        QMessageBox::StandardButton answer;
        const char* question; // the second one; none when not asked
        bool foldersGo;
        const char* panel;
    } cases[] = {
        {"yes", "", false, QMessageBox::Yes, "2 folders are now empty. Move them to the Trash too?",
         true, "3 dead links moved to the Trash; 2 empty folders moved to the Trash"},
        {"no", "", false, QMessageBox::No, "2 folders are now empty. Move them to the Trash too?",
         false, "3 dead links moved to the Trash"},
        {"one folder", "", true, QMessageBox::Yes,
         "1 folder is now empty. Move it to the Trash too?", true,
         "1 entry moved to the Trash; 1 empty folder moved to the Trash"},
        {"without the Trash", "UseTrash=0\n", false, QMessageBox::Yes,
         "2 folders are now empty. Delete them too?", true,
         "3 dead links deleted permanently; 2 empty folders deleted permanently"},
        {"RemoveEmptyFolders=0", "RemoveEmptyFolders=0\n", false, QMessageBox::Yes, nullptr, false,
         "3 dead links moved to the Trash"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetMessageBoxes();
        fs::remove_all(favorites());
        writeSmallTree();
        home.write(".config/Orvanta/Config.ini", std::string("[Options]\n") + c.config);
        TForm1& form = makeForm();
        form.setOptionsDialog(new TfrOptions(&form));
        const fs::path emptied = c.selectMaps ? favorites() / "News/Local" : favorites() / "News";
        SetNextMessageBoxAnswer(QMessageBox::Yes);
        SetNextMessageBoxAnswer(c.answer);
        if (c.selectMaps) {
            select(form, {node(form, "Maps")});
            pressDelete(form);
        } else {
            for (const char* title : {"Today", "Gone", "Maps"})
                BookmarkModel::entry(node(form, title))->Status = StatusDead;
            form.btDelete->click();
        }
        ASSERT_EQ(MessageBoxCount(), c.question ? 2 : 1);
        if (c.question) {
            EXPECT_EQ(LastMessageBox().text, c.question);
            EXPECT_EQ(LastMessageBox().buttons, QMessageBox::Yes | QMessageBox::No);
            EXPECT_EQ(LastMessageBox().defaultButton, QMessageBox::Yes);
        }
        EXPECT_EQ(fs::exists(emptied), !c.foldersGo);
        EXPECT_EQ(node(form, c.selectMaps ? "Local" : "News") != nullptr, !c.foldersGo);
        EXPECT_TRUE(fs::exists(favorites() / "Example.url"));
        EXPECT_EQ(form.StatusBar1->panelText(2), c.panel);
    }
}
