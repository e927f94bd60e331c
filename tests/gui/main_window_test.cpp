#include "MainWindowFixture.h"

#include "AppFonts.h"
#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "HeaderStrip.h"
#include "MenuStyle.h"
#include "PictureButton.h"
#include "StatusPanels.h"
#include "TexturedBackground.h"

#include "Opener.h"
#include "TfrOptions.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>
#include <QtTest/QTest>

namespace {

QString rowText(BookmarkModel& tree, const QModelIndex& index)
{
    return tree.data(index, Qt::DisplayRole).toString();
}

} // namespace

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, StartsWithEmptyTreeAndEmptyPanelsWhenThereIsNoFavoritesFolder)
{
    TForm1& window = makeForm();

    // The test program carries no version block, so the caption ends in a blank.
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Orvanta "));
    EXPECT_TRUE(std::filesystem::is_directory(configHome() / "Orvanta"));
    EXPECT_EQ(window.VT->bookmarks()->rowCount(), 0);
    EXPECT_EQ(window.StatusBar1->panelText(0), QString());
    EXPECT_EQ(window.StatusBar1->panelText(1), QString());
    EXPECT_EQ(window.StatusBar1->panelText(2), QString());
    EXPECT_EQ(FavoritesPath, home / "Favorites");

    // The five pictures of the first design, then the amber and moved lamps.
    ASSERT_EQ(window.ImageList1.count(), 7);
    ASSERT_EQ(window.ImageList2.count(), 7);
    EXPECT_EQ(window.ImageList1.image(0).size(), QSize(16, 16));
    EXPECT_EQ(window.ImageList2.image(6).size(), QSize(20, 20));
    EXPECT_FALSE(window.Timer1->isActive());
    EXPECT_EQ(window.Timer1->interval(), 100);
    EXPECT_EQ(window.VT->statusHeaderImage(), -1);
}

TEST_F(MainWindowTest, DataFolderIsMadeWithItsParentsAndAnExistingOneIsLeftAlone)
{
    home.write(".config/Orvanta/Config.ini", "[Options]\r\nProxy=keep\r\n");
    makeForm();
    EXPECT_EQ(ReadFileBytes(configHome() / "Orvanta" / "Config.ini"),
              "[Options]\r\nProxy=keep\r\n");
    form.reset();

    // A missing application-data folder above it is made too, so a new
    // account can save its options.
    const auto missingParent = home / "absent" / "config";
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(missingParent.string()));
    makeForm();
    EXPECT_TRUE(std::filesystem::is_directory(missingParent / "Orvanta"));
}

TEST_F(MainWindowTest, EmptyFavoritesFolderGivesTheRootEntryAndZeroCounts)
{
    home.mkdir("Favorites");
    TForm1& window = makeForm();
    BookmarkModel& tree = *window.VT->bookmarks();

    ASSERT_EQ(tree.rowCount(), 1);
    EXPECT_EQ(rowText(tree, tree.index(0, 0)), QStringLiteral("Internet Explorer - Favorites"));
    EXPECT_EQ(tree.rowCount(tree.index(0, 0)), 0);
    EXPECT_EQ(window.StatusBar1->panelText(0), QStringLiteral("Categories : 0"));
    EXPECT_EQ(window.StatusBar1->panelText(1), QStringLiteral("Links : 0"));
}

TEST_F(MainWindowTest, LoadedTreeIsCountedAndOnlyTheRootEntryIsExpanded)
{
    writeSmallTree();
    TForm1& window = makeForm();
    BookmarkModel& tree = *window.VT->bookmarks();

    EXPECT_EQ(window.StatusBar1->panelText(0), QStringLiteral("Categories : 2"));
    EXPECT_EQ(window.StatusBar1->panelText(1), QStringLiteral("Links : 5"));
    EXPECT_EQ(window.StatusBar1->panelText(2), QString());

    const QModelIndex root = tree.index(0, 0);
    EXPECT_TRUE(window.VT->isExpanded(root));
    const QModelIndex news = tree.index(0, 0, root);
    ASSERT_EQ(rowText(tree, news), QStringLiteral("News"));
    EXPECT_FALSE(window.VT->isExpanded(news));
    EXPECT_FALSE(window.VT->isExpanded(tree.index(0, 0, news)));
}

TEST_F(MainWindowTest, ControlsFollowTheirAnchorsWhenTheWindowIsResized)
{
    TForm1& window = makeForm();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.size(), QSize(647, 563));

    const auto expectLayout = [&](int dx, int dy) {
        SCOPED_TRACE(testing::Message() << "dx " << dx << " dy " << dy);
        EXPECT_EQ(window.RzBackground1->geometry(), QRect(0, 0, 647 + dx, 544 + dy));
        EXPECT_EQ(window.Image1->geometry(), QRect(0, 0, 647 + dx, 34));
        EXPECT_EQ(window.VT->geometry(), QRect(8, 54, 631 + dx, 482 + dy));
        EXPECT_EQ(window.StatusBar1->geometry(), QRect(0, 544 + dy, 647 + dx, 19));
        EXPECT_EQ(window.Label1->geometry().right() + 1, window.width() - 8);
        EXPECT_EQ(window.Label1->y(), 37);
        EXPECT_EQ(window.btVerify->geometry(), QRect(8, 0, 29, 29));
        EXPECT_EQ(window.btDelete->geometry(), QRect(40, 0, 29, 29));
        EXPECT_EQ(window.btOptions->geometry(), QRect(72, 0, 29, 29));
        EXPECT_EQ(window.btHelp->geometry(), QRect(104, 0, 29, 29));
        EXPECT_EQ(window.btHomePage->geometry(), QRect(592, 5, 21, 21));
        EXPECT_EQ(window.btSupport->geometry(), QRect(618, 5, 21, 21));
    };
    expectLayout(0, 0);
    window.resize(647 + 101, 563 + 40);
    expectLayout(101, 40);
    window.resize(600, 400);
    expectLayout(600 - 647, 400 - 563);
}

TEST_F(MainWindowTest, StatusBarIsAStandardOneWithThreePanels)
{
    TForm1& window = makeForm();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QStatusBar* bar = window.StatusBar1;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::StatusBar);

    // 120, 120 and the rest, each inside a sunken edge 2 pixels from the next.
    ASSERT_EQ(window.StatusBar1->panelCount(), 3);
    EXPECT_EQ(window.StatusBar1->panel(0)->geometry(), QRect(1, 3, 116, 15));
    EXPECT_EQ(window.StatusBar1->panel(1)->geometry(), QRect(121, 3, 116, 15));
    EXPECT_EQ(window.StatusBar1->panel(2)->geometry(), QRect(241, 3, 647 - 240 - 4, 15));
    window.StatusBar1->setPanelText(2, QStringLiteral("Checked : 3"));
    EXPECT_EQ(window.StatusBar1->panelText(2), QStringLiteral("Checked : 3"));
    EXPECT_EQ(window.StatusBar1->panel(2)->text(), QStringLiteral("Checked : 3"));
}

TEST_F(MainWindowTest, TheNoServerWarningFitsTheThirdPanelAndLongerTextsAreCutAtTheEnd)
{
    RegisterApplicationFonts();
    TForm1& window = makeForm();
    window.show();
    StatusPanels& bar = *window.StatusBar1;
    const QLabel* third = bar.panel(2);
    // Whole at the default width, clear of the size grip in the corner.
    const QString warning = QStringLiteral("No server answered: the network or proxy may be down");
    bar.setPanelText(2, warning);
    EXPECT_EQ(third->text(), warning);
    EXPECT_LE(third->x() + third->indent() + third->fontMetrics().horizontalAdvance(warning),
              bar.findChild<QSizeGrip*>()->x());

    const QString longer = warning + QStringLiteral(". 10000 checked: 0 dead, 10000 not sure");
    bar.setPanelText(2, longer, QStringLiteral("2 folders could not be read"));
    EXPECT_EQ(bar.panelText(2), longer);
    EXPECT_EQ(third->text(), longer.left(third->text().size() - 1) + QChar(0x2026));
    EXPECT_EQ(third->toolTip(), longer + QStringLiteral("\n2 folders could not be read"));
    window.resize(1200, window.height());
    EXPECT_EQ(third->text(), longer);
}

TEST_F(MainWindowTest, WindowTextIsTahomaAndTheTreeHeaderMsSansSerif)
{
    RegisterApplicationFonts();
    TForm1& window = makeForm();
    const QFontInfo text(window.Label1->font());
    EXPECT_EQ(text.family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(text.pointSize(), 8);
    const QFontInfo header(window.VT->header()->font());
    EXPECT_EQ(header.family(), QStringLiteral("MS Sans Serif"));
    // The face has fixed strikes; asking for 8 pt gets the strike made for it.
    EXPECT_EQ(window.VT->header()->font().pointSize(), 8);
}

// Runs trigger, and reports the object name and class of the modal window it
// opened (closing it; the window may be gone afterwards).
template <typename Trigger> QString modalOpenedBy(Trigger trigger)
{
    QString modal;
    QTimer::singleShot(0, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown)
            return;
        modal = shown->objectName() + QLatin1Char(':') + shown->metaObject()->className();
        if (auto* dialog = qobject_cast<QDialog*>(shown))
            dialog->reject();
    });
    trigger();
    return modal;
}

TEST_F(MainWindowTest, ToolbarAndHelpMenuReachTheirActions)
{
    TForm1& window = makeForm();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QStringList opened;
    SetOpener([&](const QString& target, const OpenFailed&) { opened.append(target); });

    window.btHomePage->click();
    window.mnQMPE->trigger();
    window.mnQMPC->trigger();
    window.btSupport->click();
    SetOpener({});
    ASSERT_EQ(opened.size(), 4);
    EXPECT_TRUE(opened[0].contains(QStringLiteral("orvanta")));
    EXPECT_EQ(opened[1], opened[0]);
    EXPECT_EQ(opened[2], opened[0]);
    EXPECT_TRUE(opened[3].startsWith(QStringLiteral("mailto:")));

    window.setOptionsDialog(new TfrOptions(&window));
    EXPECT_EQ(modalOpenedBy([&] { window.btOptions->click(); }),
              QStringLiteral("frOptions:TfrOptions"));
    EXPECT_TRUE(
        modalOpenedBy([&] { window.mnAbout->trigger(); }).endsWith(QStringLiteral(":TfrAbout")));
}

// Opens a popup through its button and reports where the menu appeared.
class PopupProbe final
{
public:
    explicit PopupProbe(QMenu* menu) : menu_(menu) {}

    QPoint openWith(TForm1& window, void (TForm1::*click)())
    {
        QPoint where(-1000, -1000);
        QTimer::singleShot(0, menu_, [&] {
            where = menu_->geometry().topLeft();
            menu_->close();
        });
        (window.*click)();
        return where;
    }

private:
    QMenu* menu_;
};

TEST_F(MainWindowTest, PopupOpensUnderTheButtonOnePixelLeftAndSetsHintsEveryTime)
{
    TForm1& window = makeForm();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    for (QMenu* menu : {window.pmnVerify, window.pmHelp}) {
        EXPECT_FALSE(menu->separatorsCollapsible());
        EXPECT_NE(qobject_cast<MenuStyle*>(menu->style()), nullptr);
    }
    PopupProbe help(window.pmHelp);
    EXPECT_EQ(help.openWith(window, &TForm1::btHelpClick), window.mapToGlobal(QPoint(103, 29)));
    const QString qmpe = window.mnQMPE->property(MenuStyle::HintProperty).toString();
    EXPECT_EQ(qmpe,
              QStringLiteral("Bookmarks manager to store your bookmarks on USB Flash Drive\r\n"
                             " and synchronize it between any popular browsers and any "
                             "computer."));
    EXPECT_EQ(window.mnQMPC->property(MenuStyle::HintProperty).toString(),
              QStringLiteral("Bookmarks manager to preview and modify all bookmarks of\r\n all "
                             "supported browsers."));

    PopupProbe verify(window.pmnVerify);
    window.mnVerifyLinks->setProperty(MenuStyle::HintProperty, QStringLiteral("changed"));
    EXPECT_EQ(verify.openWith(window, &TForm1::btVerifyClick), window.mapToGlobal(QPoint(7, 29)));
    EXPECT_EQ(window.mnVerifyLinks->property(MenuStyle::HintProperty).toString(),
              QStringLiteral("Automatic verifying all bookmarks"));
    EXPECT_EQ(window.mnStopVerify->property(MenuStyle::HintProperty).toString(),
              QStringLiteral("Stop verifying links"));
}
