#include "WindowMemory.h"

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
std::string favoritesPrefix(const std::filesystem::path& favorites)
{
    return JoinPath(favorites.native(), std::string());
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

WindowMemory::WindowMemory(QWidget& window, BookmarkView& view,
                           const std::filesystem::path& favorites, QPoint designPlace)
    : window_(window), view_(view), tree_(*view.bookmarks()), favorites_(favorites),
      designPlace_(designPlace)
{
}

void WindowMemory::restore()
{
    Settings settings;
    settings.load(ConfigFilePath());
    const WindowState& state = settings.window;
    if (state.geometry) {
        const QRect placed =
            PlaceOnScreens(*state.geometry, screenAreas(), designPlace_, LikelyFrameMargins);
        window_.move(placed.topLeft());
        window_.resize(placed.size());
    }
    if (state.columnWidths)
        view_.setColumnWidths(*state.columnWidths);
    restoreExpandedFolders(state);
}

void WindowMemory::restoreExpandedFolders(const WindowState& state)
{
    BookmarkNode* root = tree_.firstNode();
    if (!root || !state.expandedFolders || !listBelongsTo(state, favorites_))
        return;
    // The tree was just loaded, so only the root entry is open, and it
    // stays open whatever the list says.
    const QSet<QString> open(state.expandedFolders->begin(), state.expandedFolders->end());
    const std::string prefix = favoritesPrefix(favorites_);
    forEachFolder(tree_, [&](BookmarkNode* node, const QModelIndex& index) {
        if (node != root && open.contains(relativeFolder(tree_, node, prefix)))
            view_.expand(index);
    });
}

WindowState WindowMemory::current() const
{
    WindowState state;
    state.geometry = QRect(window_.pos(), window_.size());
    state.columnWidths = view_.columnWidths();
    // Without a tree there is nothing to remember, and the list of the
    // folder shown last time stays as it was.
    if (!tree_.firstNode())
        return state;
    QStringList open;
    const std::string prefix = favoritesPrefix(favorites_);
    forEachFolder(tree_, [&](BookmarkNode* node, const QModelIndex& index) {
        if (view_.isExpanded(index))
            open.append(relativeFolder(tree_, node, prefix));
    });
    open.removeAll(QString());
    state.expandedFolders = open;
    state.expandedFavorites = favoritesName(favorites_);
    return state;
}

void WindowMemory::save() const
{
    Settings settings;
    settings.window = current();
    // The program is ending, so a failure is not shown; the file is replaced
    // atomically, so it never loses what it held either.
    settings.saveWindow(ConfigFilePath());
}
