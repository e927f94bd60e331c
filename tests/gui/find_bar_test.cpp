#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "FindBar.h"
#include "MainWindowFixture.h"
#include "StatusPanels.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>

namespace {

class FindBarTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        writeSmallTree();
    }
    static BookmarkNode* named(const BookmarkModel& tree, const QString& name)
    {
        for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
            if (node->entry.Name == name || node->entry.Title == name)
                return node;
        }
        return nullptr;
    }
    // Every row the view can reach below the root entry, opened or not.
    static QStringList shownRows(const QAbstractItemModel& model, const QModelIndex& parent)
    {
        QStringList rows;
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            rows << index.data().toString() << shownRows(model, index);
        }
        return rows;
    }
};

} // namespace

TEST_F(FindBarTest, BarFiltersAsYouTypeAndEscapeRestoresTheTreeExactly)
{
    TForm1& window = activeForm();
    BookmarkModel& tree = *window.VT->bookmarks();
    const QModelIndex root = tree.index(0, 0);
    tree.setStatus(named(tree, "Gone"), StatusDead);
    window.VT->expand(tree.indexOf(named(tree, "News")));
    QItemSelectionModel* selection = window.VT->selectionModel();
    for (const char* name : {"Example", "Second"})
        selection->select(tree.indexOf(named(tree, name)),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->setCurrentIndex(tree.indexOf(named(tree, "Second")), QItemSelectionModel::NoUpdate);
    window.VT->setFocus();
    const QRect treeBefore = window.VT->geometry();
    const QImage before = window.grab().toImage();

    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(window.findBar->isVisible());
    EXPECT_TRUE(window.findBar->field->hasFocus());
    EXPECT_EQ(window.findBar->geometry().bottom() + 1, window.StatusBar1->y());
    EXPECT_EQ(window.VT->geometry(), treeBefore.adjusted(0, 0, 0, -window.findBar->height()));
    // Escape in the tree is still the run's; in the bar it closes the bar.
    window.VT->setFocus();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.findBar->isVisible());
    window.findBar->field->setFocus();
    QTest::keyClick(window.findBar->field, Qt::Key_Escape);
    EXPECT_FALSE(window.findBar->isVisible());
    QTest::keyClick(window.VT, Qt::Key_Slash);
    ASSERT_TRUE(window.findBar->isVisible());

    QTest::keyClicks(window.findBar->field, "MÄPS");
    EXPECT_EQ(shownRows(tree, root), QStringList({"News", "Local", "Maps"}));
    EXPECT_TRUE(window.VT->isExpanded(tree.indexOf(named(tree, "Local"))));
    window.findBar->field->clear();
    window.findBar->choiceBox->setCurrentIndex(int(FindChoice::Dead));
    EXPECT_EQ(shownRows(tree, root), QStringList({"News", "Gone"}));
    EXPECT_TRUE(window.VT->isExpanded(tree.indexOf(named(tree, "News"))));

    window.findBar->field->setFocus();
    QTest::keyClick(window.findBar->field, Qt::Key_Escape);
    EXPECT_FALSE(tree.isFiltered());
    EXPECT_TRUE(window.VT->hasFocus());
    EXPECT_FALSE(window.VT->isExpanded(tree.indexOf(named(tree, "Local"))));
    EXPECT_EQ(BookmarkModel::nodeOf(window.VT->currentIndex()), named(tree, "Second"));
    EXPECT_EQ(selection->selectedRows().size(), 2);
    EXPECT_EQ(window.VT->geometry(), treeBefore);
    EXPECT_EQ(window.grab().toImage(), before) << "hidden, the bar leaves no trace";
}
