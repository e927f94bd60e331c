// What the main window remembers between runs: its place and size, the
// widths of the columns and which folders are open.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "FavoritesLocation.h"
#include "KnownFolders.h"
#include "PathUtils.h"
#include "ScreenFit.h"
#include "Settings.h"
#include "WindowPlacement.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>

namespace {

const QString favoritesItself = QStringLiteral(".");

// How the remembered list names the Favorites folder it belongs to.
QString favoritesName(const std::filesystem::path& folder)
{
    return QFile::decodeName(QByteArray::fromStdString(WithoutTrailingSeparators(folder.native())));
}

// Open folders are remembered for one Favorites folder and shown only
// there, so another tree never opens by names that happen to match.
bool listBelongsTo(const WindowState& state, const std::filesystem::path& shown)
{
    if (state.expandedFavorites)
        return *state.expandedFavorites == favoritesName(shown);
    // Saved before lists named their folder: most likely the one found
    // without a folder named on the command line.
    return favoritesName(shown) == favoritesName(FindFavoritesFolder({}));
}

// What every path below the Favorites folder starts with.
std::string favoritesPrefix()
{
    return JoinPath(FavoritesPath.native(), std::string());
}

// A folder by its path below the Favorites folder, or empty for one that is
// not below it.
QString relativeFolder(const BookmarkModel& tree, BookmarkNode* node, const std::string& prefix)
{
    if (node == tree.firstNode())
        return favoritesItself;
    const std::string& path = BookmarkModel::entry(node)->Path;
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
        const QRect placed = PlaceOnScreens(*state.geometry, screenAreas(),
                                            QPoint(designLeft, designTop), LikelyFrameMargins);
        move(placed.topLeft());
        resize(placed.size());
    }
    if (state.columnWidths)
        VT->setColumnWidths(*state.columnWidths);
    restoreExpandedFolders(state);
}

void TForm1::restoreExpandedFolders(const WindowState& state)
{
    BookmarkNode* root = bookmarks_->firstNode();
    if (!root || !state.expandedFolders || !listBelongsTo(state, FavoritesPath))
        return;
    // The tree was just loaded, so only the root entry is open, and it
    // stays open whatever the list says.
    const QSet<QString> open(state.expandedFolders->begin(), state.expandedFolders->end());
    const std::string prefix = favoritesPrefix();
    forEachFolder(*bookmarks_, [&](BookmarkNode* node, const QModelIndex& index) {
        if (node != root && open.contains(relativeFolder(*bookmarks_, node, prefix)))
            VT->expand(index);
    });
}

WindowState TForm1::windowState() const
{
    WindowState state;
    state.geometry = QRect(pos(), size());
    state.columnWidths = VT->columnWidths();
    // Without a tree there is nothing to remember, and the list of the
    // folder shown last time stays as it was.
    if (!bookmarks_->firstNode())
        return state;
    QStringList open;
    const std::string prefix = favoritesPrefix();
    forEachFolder(*bookmarks_, [&](BookmarkNode* node, const QModelIndex& index) {
        if (VT->isExpanded(index))
            open.append(relativeFolder(*bookmarks_, node, prefix));
    });
    open.removeAll(QString());
    state.expandedFolders = open;
    state.expandedFavorites = favoritesName(FavoritesPath);
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
