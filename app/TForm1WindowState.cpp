// What the main window remembers between runs: its place and size, the
// widths of the columns and which folders are open.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "KnownFolders.h"
#include "PathUtils.h"
#include "Settings.h"
#include "WindowPlacement.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>

namespace {

const QString favoritesItself = QStringLiteral(".");

// A folder by its path below the Favorites folder, or empty for one that is
// not below it.
QString relativeFolder(const BookmarkModel& tree, BookmarkNode* node)
{
    if (node == tree.firstNode())
        return favoritesItself;
    const std::string& path = BookmarkModel::entry(node)->Path;
    const std::string prefix = JoinPath(FavoritesPath.native(), std::string());
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
        return {};
    return QFile::decodeName(QByteArray::fromStdString(path.substr(prefix.size())));
}

// Calls visit for every folder of the tree, in pre-order, with its index.
template <typename Visit> void forEachFolder(const BookmarkModel& tree, Visit visit)
{
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        if (BookmarkModel::entry(node)->IsFolder)
            visit(node, tree.indexOf(node));
    }
}

// The available areas of the screens, the primary one first.
QList<QRect> screenAreas()
{
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        areas.append(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            areas.append(screen->availableGeometry());
    }
    return areas;
}

} // namespace

void TForm1::restoreWindowState()
{
    Settings settings;
    settings.load(ConfigFilePath());
    const WindowState& state = settings.window;
    if (state.geometry) {
        const QRect placed =
            PlaceOnScreens(*state.geometry, screenAreas(), QPoint(designLeft, designTop));
        move(placed.topLeft());
        resize(placed.size());
    }
    if (state.columnWidths)
        VT->setColumnWidths(*state.columnWidths);
    if (state.expandedFolders) {
        const QSet<QString> open(state.expandedFolders->begin(), state.expandedFolders->end());
        forEachFolder(*bookmarks_, [&](BookmarkNode* node, const QModelIndex& index) {
            VT->setExpanded(index, open.contains(relativeFolder(*bookmarks_, node)));
        });
    }
}

WindowState TForm1::windowState() const
{
    WindowState state;
    state.geometry = QRect(pos(), size());
    state.columnWidths = VT->columnWidths();
    QStringList open;
    forEachFolder(*bookmarks_, [&](BookmarkNode* node, const QModelIndex& index) {
        if (VT->isExpanded(index))
            open.append(relativeFolder(*bookmarks_, node));
    });
    open.removeAll(QString());
    state.expandedFolders = open;
    return state;
}

void TForm1::saveWindowState() const
{
    Settings settings;
    settings.window = windowState();
    // The program is ending, so a failure is not shown; the file is replaced
    // atomically, so it never loses what it held either.
    settings.saveWindow(ConfigFilePath());
}
