#include "FavoritesScan.h"

#include "BookmarkModel.h"
#include "DirectoryHandle.h"
#include "DirectoryListing.h"
#include "PathUtils.h"
#include "PseudoFileSystem.h"
#include "ShortcutLink.h"
#include "WildcardMatch.h"

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

// What one scan remembers of the directories it met. Each directory is
// entered once: a later link to it, to an ancestor or to a folder listed
// elsewhere, shows as a folder without contents, so a looping link ends and
// a folder holding two links to the next one, repeated, stays linear instead
// of doubling at every level.
struct ScanState
{
    std::set<DirectoryId> entered;
    // Whether a device's file system is one of the kernel's pseudo ones,
    // asked once per device, since a tree rarely spans more than a few.
    std::map<std::uint64_t, bool> pseudoDevices;
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
FileId shortcutId(int folder, const std::string& name)
{
    struct stat st;
    return ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? FileIdOf(st) : FileId{};
}

// What a folder link names as its target, for its tooltip: what lies below
// it is somewhere else on disk, and the user should see where.
QString linkTargetNote(const std::string& path)
{
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
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
        FileId nameId;
        const QString url = ReadShortcutLinkAt(folder, found.name.c_str(), nameId);
        BookmarkEntry& entry = tree.addChild(parent)->entry;
        // The title is the whole name without its extension, even where the
        // name itself holds a double quote (legal here, unlike on Windows).
        entry.Title = lean(decodeName(NameWithoutExtension(found.name)));
        // A double quote ends the link: everything after it is dropped.
        entry.Link = lean(ExtractField(url, QLatin1Char('"'), 1));
        // The read said what the name is; only a file it could not open
        // needs a look of its own.
        entry.Id = nameId == FileId{} ? shortcutId(folder, found.name) : nameId;
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

// True, and the directory counted as entered, the first time it is met on a
// real file system.
bool enter(ScanState& scan, const DirectoryId& id, const std::string& dir)
{
    // Unknown: it vanished between being listed and looked at, so listing
    // it will fail anyway.
    if (id == DirectoryId{})
        return true;
    return !onPseudoFileSystem(scan, id.device, dir) && scan.entered.insert(id).second;
}

// A folder's subfolders (each with everything below it) and then its own
// links. The folder is opened and listed once for both: reading a directory
// is a good part of what a scan costs, and opening one by its whole path
// another.
void addFolderContents(BookmarkModel& tree, int folder, const std::string& dir,
                       BookmarkNode* parent, ScanState& scan)
{
    std::vector<DirEntry> listing;
    if (!ListDirectoryAt(folder, "*.*", MaskAnyFile, listing))
        return;
    for (const DirEntry& found : listing) {
        if (!isSubfolder(found))
            continue;
        std::string path = JoinPath(dir, found.name);
        BookmarkNode* node = tree.addChild(parent);
        fillFolder(node->entry, decodeName(found.name), path);
        node->entry.Id = {found.device, found.inode};
        node->entry.IsDirLink = found.isLink;
        if (found.isLink)
            node->entry.Detail = linkTargetNote(path);
        node->entry.OutsideFavorites = isOutside(parent);
        if (!enter(scan, {found.device, found.inode}, path))
            continue;
        // Links are followed: a folder link shows what it leads to.
        const UniqueFd subfolder(
            ::openat(folder, found.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (subfolder.isOpen())
            addFolderContents(tree, subfolder.get(), path, node, scan);
    }
    addLinksFrom(tree, folder, dir, listing, parent);
}

} // namespace

void LoadFavorites(BookmarkModel& tree, const std::filesystem::path& favoritesPath)
{
    tree.clear();
    tree.beginUpdate();
    BookmarkNode* root = tree.addChild(nullptr);
    const std::string name = FileNamePart(WithoutTrailingSeparators(favoritesPath.native()));
    fillFolder(root->entry, QStringLiteral("Internet Explorer - ") + decodeName(name), {});
    // The name alone does not tell which folder is shown; its tooltip does.
    root->entry.Detail = decodeName(favoritesPath.native());
    // ~/Favorites may itself be a link; deletion checks the folder it leads to.
    const DirectoryHandle favorites(favoritesPath.c_str());
    struct stat st;
    if (favorites.isOpen() && ::fstat(favorites.fd(), &st) == 0) {
        root->entry.Id = FileIdOf(st);
        // The Favorites folder itself counts as entered, so a link back to it
        // shows without contents; on a pseudo file system it is shown empty.
        ScanState scan;
        if (enter(scan, {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)},
                  favoritesPath.native()))
            addFolderContents(tree, favorites.fd(), favoritesPath.native(), root, scan);
    }
    tree.endUpdate();
}
