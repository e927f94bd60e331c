#include "BookmarkDelegate.h"
#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenFolder.h"
#include "CommandLine.h"
#include "FindBar.h"
#include "GatedProbe.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "NoMatchNote.h"
#include "ResultsStore.h"
#include "StatusPanels.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <climits>
#include <filesystem>

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

TEST_F(FindBarTest, DuplicatesDrawTheirFolderDimmedAfterTheNameAndOnlyThen)
{
    addLink("News/Local/Copy.url", "http://127.0.0.1:9/example");
    TForm1& window = activeForm();
    BookmarkView& view = *window.VT;
    BookmarkModel& tree = *view.bookmarks();
    view.openAllFolders();
    // What the Name cell shows right of the name: white, or some text drawn.
    const auto inkAfterName = [&](const QString& title) {
        QApplication::processEvents();
        view.selectionModel()->clear();
        const QModelIndex row = tree.indexOf(named(tree, title));
        const QRect cell = view.visualRect(row);
        const int nameEnd = cell.left() + BookmarkDelegate::margin + view.nodeImages().width() +
                            BookmarkDelegate::imageGap + BookmarkDelegate::textMargin +
                            view.fontMetrics().horizontalAdvance(title) + 2;
        const QImage shown = view.viewport()->grab().toImage();
        int ink = 0;
        for (int x = nameEnd; x < cell.right(); ++x) {
            for (int y = cell.top(); y < cell.bottom(); ++y)
                ink += QColor(shown.pixel(x, y)) != QColor(Qt::white);
        }
        return ink;
    };
    EXPECT_EQ(inkAfterName("Copy"), 0);
    EXPECT_EQ(inkAfterName("Example"), 0);
    window.showFindBar();
    window.findBar->choiceBox->setCurrentIndex(int(FindChoice::Duplicates));
    EXPECT_GT(inkAfterName("Copy"), 0);
    EXPECT_GT(inkAfterName("Example"), 0);
    window.findBar->choiceBox->setCurrentIndex(int(FindChoice::All));
    window.findBar->field->setText("copy");
    EXPECT_EQ(inkAfterName("Copy"), 0);
}

TEST_F(FindBarTest, FieldCountsWhatIsFoundAndTheRowsSayWhenNothingIs)
{
    TForm1& window = activeForm();
    BookmarkModel& tree = *window.VT->bookmarks();
    tree.setStatus(named(tree, "Gone"), StatusDead);
    window.showFindBar();
    const struct
    {
        QString text;
        FindChoice choice;
        QString count;
        QString note; // empty: no note over the rows
    } cases[] = {
        {"maps", FindChoice::All, "1 link", ""},
        {"127.0.0.1", FindChoice::All, "5 links", ""},
        {"news", FindChoice::All, "1 folder", ""},
        {"o", FindChoice::All, "3 links, 2 folders", ""},
        {"", FindChoice::Dead, "1 link", ""},
        {"zzz", FindChoice::All, "0 links", "No links match\n\"zzz\""},
        {"", FindChoice::Moved, "0 links", "No links match\nShow: Moved"},
        {"maps", FindChoice::Dead, "0 links", "No links match\n\"maps\", Show: Dead"},
        {"gone", FindChoice::Dead, "1 link", ""},
        {"", FindChoice::All, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.text + " / " + QString::number(int(c.choice))).toStdString());
        window.findBar->field->setText(c.text);
        window.findBar->choiceBox->setCurrentIndex(int(c.choice));
        QLabel* count = window.findBar->countLabel;
        EXPECT_EQ(count->isVisible() ? count->text().toStdString() : "", c.count.toStdString());
        EXPECT_EQ(window.findBar->field->accessibleDescription(), c.count);
        const auto* note = window.VT->findChild<NoMatchNote*>();
        const bool noteShown = note && note->isVisible();
        EXPECT_EQ(noteShown ? note->text().toStdString() : "", c.note.toStdString());
        if (noteShown) {
            EXPECT_EQ(note->geometry(), window.VT->viewport()->geometry());
        }
    }

    // A long text ends clear of the count.
    window.findBar->field->setText(QString(200, u'z'));
    window.findBar->field->setFocus();
    window.findBar->field->end(false);
    window.findBar->field->repaint(); // where the text scrolls to is settled by painting
    EXPECT_LT(window.findBar->field->inputMethodQuery(Qt::ImCursorRectangle).toRect().right(),
              window.findBar->countLabel->x());
    // Closed, the bar takes the count and the note with it.
    QTest::keyClick(window.findBar->field, Qt::Key_Escape);
    EXPECT_FALSE(window.VT->findChild<NoMatchNote*>()->isVisible());
    window.showFindBar();
    EXPECT_FALSE(window.findBar->countLabel->isVisible());
}

TEST_F(FindBarTest, DownInTheFieldGoesToTheFirstRowFound)
{
    TForm1& window = activeForm();
    BookmarkModel& tree = *window.VT->bookmarks();
    tree.setStatus(named(tree, "Gone"), StatusDead);
    tree.setStatus(named(tree, "Maps"), StatusDead);
    window.VT->selectionModel()->select(tree.indexOf(named(tree, "Example")),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const struct
    {
        QString text;
        FindChoice choice;
        QString first;
    } cases[] = {
        {"today", FindChoice::All, "Today"},
        // Local comes before the links of News.
        {"", FindChoice::Dead, "Maps"},
        {"local", FindChoice::All, "Local"},
        {"gone", FindChoice::Dead, "Gone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.toStdString());
        window.showFindBar();
        window.findBar->field->setText(c.text);
        window.findBar->choiceBox->setCurrentIndex(int(c.choice));
        ASSERT_TRUE(window.findBar->field->hasFocus());
        QTest::keyClick(window.findBar->field, Qt::Key_Down);
        EXPECT_TRUE(window.VT->hasFocus());
        const QModelIndex current = window.VT->currentIndex();
        EXPECT_EQ(BookmarkModel::nodeOf(current), named(tree, c.first));
        EXPECT_EQ(window.VT->selectionModel()->selectedRows(), QModelIndexList{current});
        EXPECT_TRUE(window.VT->viewport()->rect().contains(window.VT->visualRect(current)));
    }
}

namespace {

namespace fs = std::filesystem;

// Favorites with folders that the filter "foo" shows in part (News, Work),
// whole (Foods) and through a folder link out of the Favorites folder
// (Linked); Twin and Near are duplicates of Example.
struct Shortcut
{
    QString title;
    std::string path; // below the home folder
    QString link;
};
const Shortcut kShortcuts[] = {
    {"Foo four", "Favorites/Foods/Foo four.url", "http://127.0.0.1:9/foo4"},
    {"Foo far", "Elsewhere/Foo far.url", "http://127.0.0.1:9/far"},
    {"Near", "Elsewhere/Near.url", "http://127.0.0.1:9/example?utm_medium=y"},
    {"Maps", "Favorites/News/Local/Maps.url", "http://127.0.0.1:9/maps"},
    {"Foo one", "Favorites/News/Foo one.url", "http://127.0.0.1:9/foo1"},
    {"Gone", "Favorites/News/Gone.url", "http://127.0.0.1:9/gone"},
    {"Today", "Favorites/News/Today.url", "http://127.0.0.1:9/today"},
    {"Foo three", "Favorites/Work/Foo three.url", "http://127.0.0.1:9/foo3"},
    {"Other", "Favorites/Work/Other.url", "http://127.0.0.1:9/other"},
    {"Twin", "Favorites/Work/Twin.url", "http://127.0.0.1:9/example?utm_source=x"},
    {"Example", "Favorites/Example.url", "http://127.0.0.1:9/example"},
    {"Second", "Favorites/Second.url", "http://127.0.0.1:9/second"},
};

std::string ShortcutBytes(const QString& link)
{
    return "[InternetShortcut]\r\nURL=" + link.toStdString() + "\r\n";
}

// Gone and Foo three are dead; Foo one and Foo far moved for good.
ProbeResult Judged(const QString& link)
{
    ProbeResult result = AnsweredVerdict(!link.endsWith("gone") && !link.endsWith("foo3"));
    result.permanentRedirects = link.endsWith("foo1") || link.endsWith("far");
    result.finalAddress = result.permanentRedirects ? link + "/new" : link;
    return result;
}

enum class Action
{
    DeleteKey,
    MoveToTrash,
    CopyLink,
    CheckAgain,
    UpdateSelected,
    UpdateAll,
};

class FilteredActionsTest : public FindBarTest
{
protected:
    void SetUp() override
    {
        FindBarTest::SetUp();
        ResetMessageBoxes();
    }
    void TearDown() override
    {
        ResetMessageBoxes();
        FindBarTest::TearDown();
    }

    // A fresh copy of the folders, shown and checked once.
    void reload(TForm1& window)
    {
        fs::remove_all(home / "Favorites");
        fs::remove_all(home / "Elsewhere");
        for (const Shortcut& shortcut : kShortcuts)
            home.write(shortcut.path, ShortcutBytes(shortcut.link));
        fs::create_directory_symlink(home / "Elsewhere", home / "Favorites/Linked");
        window.openFavorites(home / "Favorites");
        window.setProbeEngines(Wrap(probe));
        window.mnVerifyLinks->trigger();
        ASSERT_TRUE(WaitUntil([&] { return !window.VerifyThread; }));
    }

    // The shortcuts the action touched: gone from disk or rewritten.
    QStringList changedOnDisk() const
    {
        QStringList changed;
        for (const Shortcut& shortcut : kShortcuts)
            if (!fs::exists(home / shortcut.path) ||
                ReadFileBytes(home / shortcut.path) != ShortcutBytes(shortcut.link))
                changed << shortcut.title;
        return changed;
    }

    // Kept by the fixture, so that runs the window deletes later, until its
    // end in TearDown, never reach a gate that is gone.
    GatedProbe probe{Judged, INT_MAX};

    static QStringList titlesOf(const QStringList& links)
    {
        QStringList titles;
        for (const Shortcut& shortcut : kShortcuts)
            if (links.contains(shortcut.link))
                titles << shortcut.title;
        return titles;
    }
};

} // namespace

TEST_F(FilteredActionsTest, FilteredRowsStandForWhatIsShownAndInsideTheFavoritesFolder)
{
    const QStringList inside{"Foo four",  "Maps",  "Foo one", "Gone",    "Today",
                             "Foo three", "Other", "Twin",    "Example", "Second"};
    const struct
    {
        QString text; // with choice All and no text, the find bar stays closed
        FindChoice choice;
        QStringList selected; // "*": Ctrl+A; "duplicates": Select duplicates
        Action action;
        QMessageBox::StandardButton answer;
        QString question; // empty: none asked
        QString leftOut;
        QStringList touched;
    } cases[] = {
        {"foo",
         FindChoice::All,
         {"*"},
         Action::DeleteKey,
         QMessageBox::Yes,
         "Move 2 links and 1 folder to the Trash?",
         "1 link outside the Favorites folder (below folder links) is left out.",
         {"Foo four", "Foo one", "Foo three"}},
        {"foo",
         FindChoice::All,
         {"News"},
         Action::MoveToTrash,
         QMessageBox::Yes,
         "Move 1 link to the Trash?",
         "",
         {"Foo one"}},
        {"",
         FindChoice::Dead,
         {"News", "Work"},
         Action::DeleteKey,
         QMessageBox::Yes,
         "Move 2 links to the Trash?",
         "",
         {"Gone", "Foo three"}},
        {"foo",
         FindChoice::All,
         {"Linked"},
         Action::DeleteKey,
         QMessageBox::Yes,
         "Delete selected?",
         "1 link outside the Favorites folder (below folder links) is left out.",
         {}},
        {"",
         FindChoice::All,
         {"News"},
         Action::DeleteKey,
         QMessageBox::Yes,
         "Move 1 folder to the Trash?",
         "",
         {"Maps", "Foo one", "Gone", "Today"}},
        {"",
         FindChoice::All,
         {"News", "Example"},
         Action::DeleteKey,
         QMessageBox::No,
         "Move 1 link and 1 folder to the Trash?",
         "",
         {}},
        {"",
         FindChoice::All,
         {"duplicates"},
         Action::DeleteKey,
         QMessageBox::Yes,
         "Move 1 link to the Trash?",
         "",
         {"Example"}},
        {"foo",
         FindChoice::All,
         {"News"},
         Action::CopyLink,
         QMessageBox::NoButton,
         "",
         "",
         {"Foo one"}},
        {"foo",
         FindChoice::All,
         {"*"},
         Action::CheckAgain,
         QMessageBox::NoButton,
         "",
         "",
         {"Foo four", "Foo one", "Foo three"}},
        {"",
         FindChoice::All,
         {"Internet Explorer - Favorites"},
         Action::CheckAgain,
         QMessageBox::NoButton,
         "",
         "",
         inside},
        {"",
         FindChoice::All,
         {},
         Action::UpdateAll,
         QMessageBox::Yes,
         "Update 1 moved link to its new address?",
         "1 link outside the Favorites folder (below folder links) is left out.",
         {"Foo one"}},
        {"foo",
         FindChoice::All,
         {"*"},
         Action::UpdateSelected,
         QMessageBox::Yes,
         "Update 1 moved link to its new address?",
         "1 link outside the Favorites folder (below folder links) is left out.",
         {"Foo one"}},
    };
    TForm1& window = activeForm();
    BookmarkModel& tree = *window.VT->bookmarks();
    for (const auto& c : cases) {
        SCOPED_TRACE((c.question + " / " + c.selected.join(',')).toStdString());
        window.hideFindBar();
        reload(window);
        ResetMessageBoxes();
        if (!c.text.isEmpty() || c.choice != FindChoice::All) {
            window.showFindBar();
            window.findBar->field->setText(c.text);
            window.findBar->choiceBox->setCurrentIndex(int(c.choice));
            ASSERT_TRUE(tree.isFiltered());
        }
        window.VT->setFocus();
        window.VT->clearSelection();
        for (const QString& name : c.selected) {
            if (name == "*")
                QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
            else if (name == "duplicates")
                window.mnSelectDuplicates->trigger();
            else
                window.VT->selectionModel()->select(tree.indexOf(named(tree, name)),
                                                    QItemSelectionModel::Select |
                                                        QItemSelectionModel::Rows);
        }
        QGuiApplication::clipboard()->setText("before");
        const qsizetype askedBefore = probe.asked().size();
        if (c.answer != QMessageBox::NoButton)
            SetNextMessageBoxAnswer(c.answer);
        SetNextMessageBoxAnswer(QMessageBox::Ok); // a box nobody expected ends the test
        window.pmVTPopup();

        switch (c.action) {
        case Action::DeleteKey:
            QTest::keyClick(window.VT, Qt::Key_Delete);
            break;
        case Action::MoveToTrash:
            window.mnMoveToTrash->trigger();
            break;
        case Action::CopyLink:
            window.mnCopyLink->trigger();
            break;
        case Action::CheckAgain:
            window.mnCheckAgain->trigger();
            ASSERT_TRUE(WaitUntil([&] { return !window.VerifyThread; }));
            break;
        case Action::UpdateSelected:
            window.mnUpdateSelected->trigger();
            break;
        case Action::UpdateAll:
            window.mnUpdateMoved->trigger();
            break;
        }

        EXPECT_EQ(MessageBoxCount(), c.question.isEmpty() ? 0 : 1);
        if (!c.question.isEmpty()) {
            EXPECT_EQ(LastMessageBox().text.toStdString(), c.question.toStdString());
            EXPECT_EQ(LastMessageBox().informativeText.toStdString(), c.leftOut.toStdString());
            EXPECT_EQ(LastMessageBox().defaultButton, QMessageBox::No);
        }
        const QStringList touched = c.action == Action::CopyLink
                                        ? titlesOf(QGuiApplication::clipboard()->text().split('\n'))
                                    : c.action == Action::CheckAgain
                                        ? titlesOf(probe.asked().mid(askedBefore))
                                        : changedOnDisk();
        EXPECT_EQ(touched.join(", ").toStdString(), c.touched.join(", ").toStdString());
    }
}

TEST_F(FindBarTest, ShowDeadOnTheCommandLineOpensTheFolderOnItsKeptDeadLinks)
{
    // What a check kept, as its notice's Show button finds it.
    ResultsStore kept(home.mkdir(".local/state/Orvanta"), home / "Favorites");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    ASSERT_EQ(kept.load(now), QString());
    kept.record("News/Gone.url", "http://127.0.0.1:9/gone",
                {Verdict::Dead, "Dead: 404 Not Found", "404 Not Found"}, now);
    kept.record("Example.url", "http://127.0.0.1:9/example",
                {Verdict::Alive, "Alive: 200 OK", "200 OK"}, now);
    ASSERT_TRUE(kept.save());

    const std::string folder = (home / "Favorites").string();
    const char* const arguments[] = {"orvanta", "--show", "dead", folder.c_str()};
    const CommandLine line = ParseCommandLine(4, arguments);
    ASSERT_EQ(line.action, CommandLine::Action::Window);
    ASSERT_EQ(line.show, FindChoice::Dead);
    TForm1 window(FindStartFolder(line.folder));
    window.show();
    window.showFindBar(*line.show);

    const BookmarkModel& tree = *window.VT->bookmarks();
    EXPECT_TRUE(window.findBar->isVisible());
    EXPECT_EQ(window.findBar->choiceBox->currentText(), "Dead");
    EXPECT_EQ(shownRows(tree, tree.index(0, 0)), QStringList({"News", "Gone"}));
    EXPECT_EQ(BookmarkModel::nodeOf(window.VT->currentIndex()), named(tree, "Gone"));
}
