#include "FavoritesScan.h"

#include "BookmarkModel.h"
#include "DirectoryListing.h"
#include "FolderCursor.h"
#include "PathUtils.h"
#include "PseudoFileSystem.h"
#include "ShortcutLink.h"
#include "WildcardMatch.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string LinkPattern = "*.url";

struct DirectoryId
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const DirectoryId&) const = default;
};

// What one scan works with and remembers. Each directory is entered once: a
// later link to it, to an ancestor or to a folder shown elsewhere, shows as a
// folder without contents, so a looping link ends and a folder holding two
// links to the next one, repeated, stays linear instead of doubling at every
// level.
struct ScanState
{
    BookmarkModel& tree;
    BookmarkNode* root;
    const std::string& rootPath;
    FolderCursor cursor;
    std::set<DirectoryId> entered;
    // Whether a device's file system is one of the kernel's pseudo ones,
    // asked once per device, since a tree rarely spans more than a few.
    std::map<std::uint64_t, bool> pseudoDevices;
    std::vector<UnreadableFolder> unreadable;
};

// Display text only: bytes that are not UTF-8 become replacement characters,
// while Path keeps them exactly.
QString decodeName(const std::string& bytes)
{
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// A tree may hold 100,000 entries: an empty text must not allocate, and a
// non-empty one should not carry spare capacity.
QString lean(QString text)
{
    if (text.isEmpty())
        return {};
    if (text.capacity() > text.size())
        text.squeeze();
    return text;
}

void fillFolder(BookmarkEntry& entry, QString name, std::string path)
{
    entry.Name = lean(std::move(name));
    entry.Path = std::move(path);
    entry.IsFolder = true;
    entry.ImageIndex = ImageFolder;
    entry.Status = StatusFolder;
}

// Whatever lies below a directory link is somewhere else on disk, and so is
// everything further down from there.
bool isOutside(const BookmarkNode* parent)
{
    return parent->entry.IsDirLink || parent->entry.OutsideFavorites;
}

// The shortcut itself, not what a link in its place leads to, since that name
// is what deletion will act on.
void lookAtShortcut(int folder, const std::string& name, BookmarkEntry& entry)
{
    struct stat st;
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    entry.Id = FileIdOf(st);
    entry.Stamp = FileStampOf(st);
}

// What a folder link names as its target, for its tooltip: what lies below
// it is somewhere else on disk, and the user should see where.
QString linkTargetNote(int folder, const std::string& name)
{
    std::string target(4096, '\0');
    const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
    if (length <= 0)
        return {};
    target.resize(size_t(length));
    return QStringLiteral("Link to ") + decodeName(target);
}

// The links of a folder held open (dir is its path), from a listing of it
// that holds them.
void addLinksFrom(BookmarkModel& tree, int folder, const std::string& dir,
                  const std::vector<DirEntry>& listing, BookmarkNode* parent)
{
    for (const DirEntry& found : listing) {
        if (!MatchesPattern(found.name, LinkPattern))
            continue;
        BookmarkEntry& entry = tree.addChild(parent)->entry;
        ShortcutLinkValue url =
            ReadShortcutLinkAt(folder, found.name.c_str(), entry.Id, &entry.Stamp);
        // The title is the whole name without its extension, even where the
        // name itself holds a double quote (legal here, unlike on Windows).
        entry.Title = lean(decodeName(NameWithoutExtension(found.name)));
        entry.Link = lean(std::move(url.link));
        entry.LinkCut = !url.whole;
        // The read said what the name is; only a file it could not open
        // needs a look of its own.
        if (entry.Id == FileId{})
            lookAtShortcut(folder, found.name, entry);
        entry.Path = JoinPath(dir, found.name);
        entry.IsFolder = false;
        entry.OutsideFavorites = isOutside(parent);
        entry.ImageIndex = ImageLink;
        entry.Status = StatusUnverified;
    }
}

bool isSubfolder(const DirEntry& found)
{
    return (found.attributes & faDirectory) && !found.name.empty() && found.name.front() != '.';
}

bool onPseudoFileSystem(ScanState& scan, std::uint64_t device, const std::string& dir)
{
    const auto known = scan.pseudoDevices.find(device);
    if (known != scan.pseudoDevices.end())
        return known->second;
    const bool pseudo = IsPseudoFileSystem(dir.c_str());
    scan.pseudoDevices.emplace(device, pseudo);
    return pseudo;
}

const std::string& pathOf(const ScanState& scan, const BookmarkNode* folder)
{
    return folder == scan.root ? scan.rootPath : folder->entry.Path;
}

// True, and the folder counted as entered, the first time it is met on a
// real file system.
bool enter(ScanState& scan, const BookmarkNode* folder)
{
    const FileId id = folder->entry.Id;
    // Unknown: it vanished between being listed and looked at, so reading it
    // will fail and say so.
    if (id == FileId{})
        return true;
    return !onPseudoFileSystem(scan, id.device, pathOf(scan, folder)) &&
           scan.entered.insert({id.device, id.inode}).second;
}

// A folder still to be read, or a folder link still to be followed.
struct Pending
{
    BookmarkNode* node;
    size_t depth; // below the root entry
};

// Adds a folder's subfolders and then its links, listing it once for both,
// and queues the subfolders in their order.
void readFolder(ScanState& scan, Pending folder, std::vector<Pending>& walk)
{
    const int fd = scan.cursor.open(folder.node, folder.depth);
    std::vector<DirEntry> listing;
    if (fd < 0 || !ListDirectoryAt(fd, "*.*", MaskAnyFile, listing)) {
        scan.unreadable.push_back(
            {pathOf(scan, folder.node), fd < 0 ? scan.cursor.error() : errno});
        return;
    }
    const std::string& dir = pathOf(scan, folder.node);
    const size_t queued = walk.size();
    for (const DirEntry& found : listing) {
        if (!isSubfolder(found))
            continue;
        BookmarkNode* node = scan.tree.addChild(folder.node);
        fillFolder(node->entry, decodeName(found.name), JoinPath(dir, found.name));
        node->entry.Id = {found.device, found.inode};
        node->entry.IsDirLink = found.isLink;
        if (found.isLink)
            node->entry.Detail = linkTargetNote(fd, found.name);
        node->entry.OutsideFavorites = isOutside(folder.node);
        walk.push_back({node, folder.depth + 1});
    }
    std::reverse(walk.begin() + std::ptrdiff_t(queued), walk.end());
    addLinksFrom(scan.tree, fd, dir, listing, folder.node);
}

// Reads top and every real folder below it, without recursion, as a tree may
// be far deeper than the stack allows; the folder links met there go to
// links, in tree order.
void readTree(ScanState& scan, Pending top, std::vector<Pending>& links)
{
    std::vector<Pending> walk{top}; // the next one last
    while (!walk.empty()) {
        const Pending next = walk.back();
        walk.pop_back();
        if (next.node != top.node && next.node->entry.IsDirLink)
            links.push_back(next);
        else if (next.node == top.node || enter(scan, next.node))
            readFolder(scan, next, walk);
    }
}

// All real folders below the Favorites folder are read first, and only then
// are the folder links followed, in tree order, each one's real folders read
// before the links met there. So a folder shows its contents at its own
// place, and a link to a folder shown already shows without them.
void readAll(ScanState& scan)
{
    std::vector<Pending> next{{scan.root, 0}}; // the next one last
    while (!next.empty()) {
        const Pending top = next.back();
        next.pop_back();
        if (top.node != scan.root && !enter(scan, top.node))
            continue;
        std::vector<Pending> links;
        readTree(scan, top, links);
        next.insert(next.end(), links.rbegin(), links.rend());
    }
}

} // namespace

std::vector<UnreadableFolder> LoadFavorites(BookmarkModel& tree,
                                            const std::filesystem::path& favoritesPath)
{
    tree.clear();
    tree.beginUpdate();
    BookmarkNode* root = tree.addChild(nullptr);
    const std::string name = FileNamePart(WithoutTrailingSeparators(favoritesPath.native()));
    fillFolder(root->entry, QStringLiteral("Internet Explorer - ") + decodeName(name), {});
    // The name alone does not tell which folder is shown; its tooltip does.
    root->entry.Detail = decodeName(favoritesPath.native());
    std::vector<UnreadableFolder> unreadable;
    // ~/Favorites may itself be a link; deletion checks the folder it leads to.
    UniqueFd favorites(::open(favoritesPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!favorites.isOpen() || ::fstat(favorites.get(), &st) != 0) {
        unreadable.push_back({favoritesPath.native(), errno});
    } else {
        root->entry.Id = FileIdOf(st);
        // Few folders are held open at a time, however deep the tree.
        ScanState scan{tree, root, favoritesPath.native(), {root, std::move(favorites)}, {},
                       {},   {}};
        // The Favorites folder itself counts as entered, so a link back to it
        // shows without contents; on a pseudo file system it is shown empty.
        if (enter(scan, root))
            readAll(scan);
        unreadable = std::move(scan.unreadable);
    }
    tree.endUpdate();
    return unreadable;
}
