#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "PictureButton.h"
#include "StatusPanels.h"

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

    EXPECT_EQ(LastMessageBox().text, "Delete selected?");
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
    EXPECT_TRUE(fs::exists(favorites() / "Example.url"));
    EXPECT_TRUE(node(form, "News"));
    EXPECT_EQ(form.StatusBar1->panelText(0), "Categories : 2");
    EXPECT_EQ(form.StatusBar1->panelText(1), "Links : 3");
}
