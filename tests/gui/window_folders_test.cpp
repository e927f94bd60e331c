#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "GatedProbe.h"
#include "MainWindowFixture.h"
#include "PermissionBypass.h"
#include "StatusPanels.h"
#include "VerificationRun.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QUrl>

namespace {

QString text(const QModelIndex& index, int role = Qt::DisplayRole)
{
    return index.data(role).toString();
}

// The folder below the root entry with this name.
QModelIndex folderNamed(const BookmarkModel& tree, const QString& name, QModelIndex parent)
{
    for (int row = 0; row < tree.rowCount(parent); ++row) {
        if (text(tree.index(row, 0, parent)) == name)
            return tree.index(row, 0, parent);
    }
    return {};
}

// Offers the URLs to the window as a file manager's drag would and drops
// them; true when the window took the drop.
bool dropUrls(TForm1& window, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(300, 300);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

// Whether the folder at this path of names below the root entry is open.
bool isOpen(const TForm1& window, const QStringList& names)
{
    const BookmarkModel& tree = *window.VT->bookmarks();
    QModelIndex index = tree.index(0, 0);
    for (const QString& name : names)
        index = folderNamed(tree, name, index);
    return index.isValid() && window.VT->isExpanded(index);
}

QUrl fileUrl(const std::filesystem::path& path)
{
    return QUrl::fromLocalFile(QString::fromStdString(path.native()));
}

} // namespace

using WindowFoldersTest = MainWindowFixture;

TEST_F(WindowFoldersTest, DroppedFolderReplacesTheTreeAfterStoppingTheRun)
{
    writeSmallTree();
    home.write("Other/Links/One.url", "[InternetShortcut]\r\nURL=http://127.0.0.1:9/one\r\n");
    TForm1& window = makeForm();
    const BookmarkModel& tree = *window.VT->bookmarks();
    EXPECT_EQ(text(tree.index(0, 0), Qt::ToolTipRole),
              QString::fromStdString((home / "Favorites").native()));

    GatedProbe gate;
    window.setProbeEngines(Wrap(gate));
    window.mnVerifyLinks->trigger();
    ASSERT_TRUE(WaitUntil([&] { return gate.waiting(); }));

    // Nothing that is a folder: the drop is refused and nothing changes.
    EXPECT_FALSE(dropUrls(window, {fileUrl(home / "Favorites/Example.url"),
                                   QUrl(QStringLiteral("http://127.0.0.1/"))}));
    EXPECT_TRUE(window.VerifyThread);
    EXPECT_EQ(FavoritesPath, home / "Favorites");

    // A file first, then the folder: the folder is taken.
    EXPECT_TRUE(dropUrls(window, {fileUrl(home / "Favorites/Example.url"), fileUrl(home / "Other"),
                                  fileUrl(home / "Favorites")}));
    EXPECT_FALSE(window.VerifyThread);
    EXPECT_FALSE(window.mnStopVerify->isEnabled());
    EXPECT_EQ(FavoritesPath, home / "Other");
    ASSERT_EQ(tree.rowCount(), 1);
    const QModelIndex root = tree.index(0, 0);
    EXPECT_EQ(text(root), QStringLiteral("Internet Explorer - Other"));
    EXPECT_EQ(text(root, Qt::ToolTipRole), QString::fromStdString((home / "Other").native()));
    EXPECT_TRUE(window.VT->isExpanded(root));
    EXPECT_FALSE(window.VT->isExpanded(folderNamed(tree, QStringLiteral("Links"), root)));
    EXPECT_EQ(window.StatusBar1->panelText(0), QStringLiteral("Categories : 1"));
    EXPECT_EQ(window.StatusBar1->panelText(1), QStringLiteral("Links : 1"));

    // The stopped run's last probe lands on a tree that is gone; nothing breaks.
    gate.release(10);
    ASSERT_TRUE(WaitUntil([&] { return window.findChildren<VerificationRun*>().isEmpty(); }));
    EXPECT_EQ(tree.rowCount(), 1);
}

TEST_F(WindowFoldersTest, WindowStateIsSavedOnCloseAndComesBackOnScreen)
{
    writeSmallTree();
    const auto config = home.write(".config/Orvanta/Config.ini",
                                   "[Options]\r\nProxy=kept\r\n[Other]\r\nA = 1 ; x\r\n");
    TForm1& first = makeForm();
    const BookmarkModel* tree = first.VT->bookmarks();
    first.move(40, 50);
    first.resize(600, 400);
    first.VT->setColumnWidths({200, 150, 300}); // Status stops at its limit
    const QModelIndex news = folderNamed(*tree, QStringLiteral("News"), tree->index(0, 0));
    first.VT->expand(folderNamed(*tree, QStringLiteral("Local"), news));
    first.close();
    EXPECT_TRUE(ReadFileBytes(config).starts_with(
        "[Options]\r\nProxy=kept\r\n[Other]\r\nA = 1 ; x\r\n[Window]\r\n"));

    // Back as it was: the root open, News closed, Local inside it open.
    TForm1& second = makeForm();
    tree = second.VT->bookmarks();
    EXPECT_EQ(second.pos(), QPoint(40, 50));
    EXPECT_EQ(second.size(), QSize(600, 400));
    EXPECT_EQ(second.VT->columnWidths(),
              (std::array<int, 3>{200, 150, BookmarkView::statusMaximumWidth}));
    const QModelIndex root = tree->index(0, 0);
    const QModelIndex restoredNews = folderNamed(*tree, QStringLiteral("News"), root);
    EXPECT_TRUE(second.VT->isExpanded(root));
    EXPECT_FALSE(second.VT->isExpanded(restoredNews));
    EXPECT_TRUE(second.VT->isExpanded(folderNamed(*tree, QStringLiteral("Local"), restoredNews)));
    form.reset();

    // Saved on a screen that is gone, larger than the one there is: the
    // design position, within the available area.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    home.write(".config/Orvanta/Config.ini",
               "[Window]\r\nLeft=" + std::to_string(area.right() + 500) +
                   "\r\nTop=20\r\nWidth=5000\r\nHeight=300\r\n");
    TForm1& third = makeForm();
    EXPECT_EQ(third.pos(), QPoint(TForm1::designLeft, TForm1::designTop));
    EXPECT_EQ(third.height(), 300);
    EXPECT_LT(third.width(), area.width()) << "as wide as the area with the frame";
    EXPECT_EQ(third.VT->columnWidths(), (std::array<int, 3>{265, 265, 80}));
    EXPECT_TRUE(third.VT->isExpanded(third.VT->bookmarks()->index(0, 0)));
}

TEST_F(WindowFoldersTest, FoldersThatCannotBeReadAreCountedInTheStatusBarAndNamedInItsTooltip)
{
    const std::filesystem::path locked = home.mkdir("Favorites/News/Locked");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const WithoutPermissionBypass asAnyUser;
    const StatusPanels& status = *makeForm().StatusBar1;
    EXPECT_EQ(status.panelText(2), QStringLiteral("1 folder could not be read"));
    EXPECT_EQ(status.panel(2)->toolTip(),
              "cannot read " + QString::fromStdString(locked.native()) + ": Permission denied");
}

TEST_F(WindowFoldersTest, OpenFoldersAreRememberedForTheirOwnFavoritesFolderOnly)
{
    // No Favorites folder: an empty tree remembers nothing.
    makeForm().close();
    EXPECT_EQ(ReadFileBytes(configHome() / "Orvanta/Config.ini").find("Expanded"),
              std::string::npos);

    // A list saved before lists named their folder, without the root entry:
    // the root opens all the same, and the list is kept from a folder named
    // on the command line.
    writeSmallTree();
    home.write("Other/News/Local/Far.url", "[InternetShortcut]\r\nURL=http://127.0.0.1:9/far\r\n");
    home.write(".config/Orvanta/Config.ini", "[Window]\r\nExpandedCount=1\r\nExpanded1=News\r\n");
    form.reset();
    form = std::make_unique<TForm1>(home / "Other");
    EXPECT_TRUE(isOpen(*form, {}));
    EXPECT_FALSE(isOpen(*form, {"News"}));
    TForm1& window = makeForm();
    EXPECT_TRUE(isOpen(window, {}));
    EXPECT_TRUE(isOpen(window, {"News"}));

    // Saved for ~/Favorites, with the root entry closed: another folder
    // with the same names keeps them closed, until ~/Favorites itself is
    // dropped on the window, and its root entry opens all the same.
    const BookmarkModel& tree = *window.VT->bookmarks();
    const QModelIndex news = folderNamed(tree, "News", tree.index(0, 0));
    window.VT->expand(folderNamed(tree, "Local", news));
    window.VT->collapse(news);
    window.VT->collapse(tree.index(0, 0));
    window.close();
    form.reset();
    form = std::make_unique<TForm1>(home / "Other");
    EXPECT_FALSE(isOpen(*form, {"News", "Local"}));
    ASSERT_TRUE(dropUrls(*form, {fileUrl(home / "Favorites")}));
    EXPECT_TRUE(isOpen(*form, {}));
    EXPECT_FALSE(isOpen(*form, {"News"}));
    EXPECT_TRUE(isOpen(*form, {"News", "Local"}));
}

TEST_F(WindowFoldersTest, GeometryAtTheEndsOfIntegersOpensOnScreenAndIsSavedSane)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* end : {"-2147483648", "2147483647"}) {
        home.write(".config/Orvanta/Config.ini", std::string("[Window]\nLeft=") + end +
                                                     "\nTop=" + end +
                                                     "\nWidth=2147483647\nHeight=2147483647\n");
        TForm1& window = makeForm();
        EXPECT_EQ(window.pos(), QPoint(TForm1::designLeft, TForm1::designTop));
        EXPECT_TRUE(QRect(QPoint(), area.size()).contains(QRect(QPoint(), window.size())));
        window.close();
        const std::string saved = ReadFileBytes(configHome() / "Orvanta/Config.ini");
        EXPECT_EQ(saved.find("2147483"), std::string::npos) << saved;
    }
}
