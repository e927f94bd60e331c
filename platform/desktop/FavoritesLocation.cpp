#include "FavoritesLocation.h"

#include "DirectoryHandle.h"
#include "KnownFolders.h"
#include "PathUtils.h"

#include <QtGlobal>
#include <algorithm>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string environment(const char* name)
{
    return qgetenv(name).toStdString();
}

std::string currentFolder()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.native();
}

std::string namedFolder(const std::string& name)
{
    const std::string folder = WithoutTrailingSeparators(name);
    return folder.front() == '/' ? folder : JoinPath(currentFolder(), folder);
}

// The login name, as a shell would have it; the password database answers
// when the environment does not say.
std::string loginName()
{
    const std::string user = environment("USER");
    if (!user.empty())
        return user;
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_name ? entry->pw_name : std::string();
}

// Wine makes a folder per Windows user; which of them belongs to whom is
// only told by the name, so the others follow in a fixed order.
std::vector<std::string> userFolderNames(const std::string& usersFolder)
{
    const DirectoryHandle dir(usersFolder.c_str());
    std::vector<std::string> names = dir.isOpen() ? NamesIn(dir.fd()) : std::vector<std::string>();
    std::sort(names.begin(), names.end());
    const auto own = std::find(names.begin(), names.end(), loginName());
    if (own != names.end())
        std::rotate(names.begin(), own, own + 1);
    return names;
}

// Through a folder another account owns, that account could put a Favorites
// folder of its choosing before the user; Wine refuses such a prefix too.
bool ownedByUserOrRoot(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && (info.st_uid == ::geteuid() || info.st_uid == 0);
}

// Where path leads, links and all, is inside folder.
bool leadsInside(const std::string& path, const std::string& folder)
{
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    const std::filesystem::path top =
        error ? std::filesystem::path() : std::filesystem::canonical(folder, error);
    if (error)
        return false;
    const std::filesystem::path relative = target.lexically_relative(top);
    return !relative.empty() && *relative.begin() != "..";
}

std::string wineFavorites(const std::string& prefix)
{
    if (prefix.empty())
        return {};
    const std::string top = WithoutTrailingSeparators(prefix);
    if (!ownedByUserOrRoot(top))
        return {};
    const std::string users = JoinPath(top, "drive_c/users");
    for (const std::string& user : userFolderNames(users)) {
        const std::string userFolder = JoinPath(users, user);
        const std::string favorites = JoinPath(userFolder, "Favorites");
        if (DirectoryExists(favorites) && ownedByUserOrRoot(userFolder) &&
            ownedByUserOrRoot(favorites) && leadsInside(favorites, top))
            return favorites;
    }
    return {};
}

} // namespace

std::filesystem::path FindFavoritesFolder(const std::string& commandLineFolder,
                                          const std::string& rememberedFolder)
{
    if (!commandLineFolder.empty())
        return namedFolder(commandLineFolder);
    if (!rememberedFolder.empty() && DirectoryExists(rememberedFolder))
        return rememberedFolder;
    const std::filesystem::path home = FavoritesFolder();
    if (DirectoryExists(home))
        return home;
    const std::string fromPrefix = wineFavorites(environment("WINEPREFIX"));
    if (!fromPrefix.empty())
        return fromPrefix;
    const std::string homeFolder = environment("HOME");
    const std::string fromHome =
        homeFolder.empty() ? std::string() : wineFavorites(JoinPath(homeFolder, ".wine"));
    // Nothing found: the usual place, which shows as an empty window.
    return fromHome.empty() ? home : std::filesystem::path(fromHome);
}
