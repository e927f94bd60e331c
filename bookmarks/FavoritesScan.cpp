#include "FavoritesScan.h"

#include "BookmarkModel.h"
#include "DirectoryHandle.h"
#include "DirectoryListing.h"
#include "PathUtils.h"
#include "ProfileFile.h"
#include "WildcardMatch.h"

#include <algorithm>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

const std::string LinkPattern = "*.url";

struct DirectoryId
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const DirectoryId&) const = default;
};

// The directories from the Favorites folder down to the one being listed. A
// directory link back to one of them is shown but never entered, which is
// all that keeps a looping link from recursing without end.
using RecursionPath = std::vector<DirectoryId>;

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
FileId shortcutId(const DirectoryHandle& folder, const std::string& name, const std::string& path)
{
    struct stat st;
    const int result = folder.isOpen()
                           ? ::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW)
                           : ::lstat(path.c_str(), &st);
    return result == 0 ? FileIdOf(st) : FileId{};
}

bool isSymbolicLink(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The links of a folder, from a listing of it that holds them.
void addLinksFrom(BookmarkModel& tree, const std::string& dir, const std::vector<DirEntry>& listing,
                  BookmarkNode* parent)
{
    const QString section = QStringLiteral("InternetShortcut");
    const QString key = QStringLiteral("URL");
    const DirectoryHandle folder(dir.c_str());
    for (const DirEntry& found : listing) {
        if (!MatchesPattern(found.name, LinkPattern))
            continue;
        std::string path = JoinPath(dir, found.name);
        // By name inside the open folder; by the whole path if it could not
        // be opened again after its listing.
        const QString url = folder.isOpen()
                                ? ReadProfileStringAt(folder.fd(), found.name.c_str(), section, key)
                                : ReadProfileString(path.c_str(), section, key);
        BookmarkEntry& entry = tree.addChild(parent)->entry;
        // The title is the whole name without its extension, even where the
        // name itself holds a double quote (legal here, unlike on Windows).
        entry.Title = lean(decodeName(NameWithoutExtension(found.name)));
        // A double quote ends the link: everything after it is dropped.
        entry.Link = lean(ExtractField(url, QLatin1Char('"'), 1));
        entry.Id = shortcutId(folder, found.name, path);
        entry.Path = std::move(path);
        entry.IsFolder = false;
        entry.OutsideFavorites = isOutside(parent);
        entry.ImageIndex = ImageLink;
        entry.Status = StatusUnverified;
    }
}

// The listing's own "." entry says which directory this is; it stays on the
// recursion path while the subfolders are scanned.
const DirEntry* selfEntry(const std::vector<DirEntry>& listing)
{
    const auto self = std::find_if(listing.begin(), listing.end(),
                                   [](const DirEntry& found) { return found.name == "."; });
    return self == listing.end() ? nullptr : &*self;
}

bool isSubfolder(const DirEntry& found)
{
    return (found.attributes & faDirectory) && !found.name.empty() && found.name.front() != '.';
}

// A folder's subfolders (each with everything below it) and then its own
// links. The folder is listed once for both: reading a directory is a good
// part of what a scan costs.
void addFolderContents(BookmarkModel& tree, const std::string& dir, BookmarkNode* parent,
                       RecursionPath& onPath)
{
    std::vector<DirEntry> listing;
    if (!ListDirectory(dir, "*.*", MaskAnyFile, listing))
        return;
    const size_t depth = onPath.size();
    if (const DirEntry* self = selfEntry(listing))
        onPath.push_back({self->device, self->inode});
    for (const DirEntry& found : listing) {
        if (!isSubfolder(found))
            continue;
        std::string path = JoinPath(dir, found.name);
        BookmarkNode* folder = tree.addChild(parent);
        fillFolder(folder->entry, decodeName(found.name), path);
        folder->entry.Id = {found.device, found.inode};
        folder->entry.IsDirLink = isSymbolicLink(path);
        folder->entry.OutsideFavorites = isOutside(parent);
        const DirectoryId id{found.device, found.inode};
        if (std::find(onPath.begin(), onPath.end(), id) != onPath.end())
            continue;
        addFolderContents(tree, path, folder, onPath);
    }
    onPath.resize(depth);
    addLinksFrom(tree, dir, listing, parent);
}

} // namespace

void LoadFavorites(BookmarkModel& tree, const std::filesystem::path& favoritesPath)
{
    tree.clear();
    tree.beginUpdate();
    BookmarkNode* root = tree.addChild(nullptr);
    const std::string name = FileNamePart(WithoutTrailingSeparators(favoritesPath.native()));
    fillFolder(root->entry, QStringLiteral("Internet Explorer - ") + decodeName(name), {});
    // ~/Favorites may itself be a link; deletion checks the folder it leads to.
    struct stat st;
    if (::stat(favoritesPath.c_str(), &st) == 0)
        root->entry.Id = FileIdOf(st);
    RecursionPath onPath;
    addFolderContents(tree, favoritesPath.native(), root, onPath);
    tree.endUpdate();
}
