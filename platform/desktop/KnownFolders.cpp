#include "KnownFolders.h"

#include "PathUtils.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A home folder given with trailing separators still yields a tidy path.
std::string joinTidy(const std::string& base, const std::string& name)
{
    return JoinPath(WithoutTrailingSeparators(base), name);
}

std::string homeFolder()
{
    return qgetenv("HOME").toStdString();
}

// The XDG base folder variable names when it is set and absolute, else
// belowHome in the home folder. The environment gives bytes; they are kept
// as they are so that a home folder whose name is not valid UTF-8 still
// leads to the right place.
std::string xdgFolder(const char* variable, const char* belowHome)
{
    const std::string xdg = qgetenv(variable).toStdString();
    if (!xdg.empty() && xdg.front() == '/')
        return xdg;
    const std::string home = homeFolder();
    return home.empty() ? std::string() : joinTidy(home, belowHome);
}

std::string appDataFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string stateFolder()
{
    return xdgFolder("XDG_STATE_HOME", ".local/state");
}

// A folder is made only inside one of the effective user's or root's: under
// sudo with the user's HOME, a folder of root's in the user's home would
// lock the user out of it later.
bool mayMakeIn(const std::string& parent)
{
    struct stat st;
    return ::stat(parent.empty() ? "/" : parent.c_str(), &st) == 0 &&
           (st.st_uid == ::geteuid() || st.st_uid == 0);
}

// Makes path with any missing parents; what we make is private, as the XDG
// rules ask of it. A failure is left for the first write to report.
void makeFolders(const std::string& path)
{
    std::string parent;
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string folder = path.substr(0, end);
        if (!DirectoryExists(folder) && (!mayMakeIn(parent) || ::mkdir(folder.c_str(), 0700) != 0))
            return;
        if (end == std::string::npos)
            return;
        parent = folder;
    }
}

QString decodePath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

QString GetShellFolder(const QString& name)
{
    // Shell-folder names are registry value names, which ignore case.
    if (name.compare(QLatin1String("AppData"), Qt::CaseInsensitive) == 0)
        return decodePath(appDataFolder());
    if (name.compare(QLatin1String("Favorites"), Qt::CaseInsensitive) == 0)
        return decodePath(FavoritesFolder().native());
    return QString();
}

std::filesystem::path DataFolderPath()
{
    return appDataFolder() + "/Orvanta";
}

std::filesystem::path ConfigFilePath()
{
    return DataFolderPath().native() + "/Config.ini";
}

void EnsureDataFolder()
{
    // A new account may have no ~/.config yet; without it no option could
    // ever be saved.
    makeFolders(DataFolderPath().native());
}

std::filesystem::path StateFolderPath()
{
    const std::string folder = stateFolder();
    return folder.empty() ? std::filesystem::path() : std::filesystem::path(folder + "/Orvanta");
}

void EnsureStateFolder()
{
    const std::string path = StateFolderPath().native();
    if (!path.empty())
        makeFolders(path);
}

std::filesystem::path SystemdUserFolderPath()
{
    const std::string folder = appDataFolder();
    return folder.empty() ? std::filesystem::path()
                          : std::filesystem::path(folder + "/systemd/user");
}

void EnsureSystemdUserFolder()
{
    const std::string path = SystemdUserFolderPath().native();
    if (!path.empty())
        makeFolders(path);
}

std::filesystem::path FavoritesFolder()
{
    const std::string home = homeFolder();
    if (home.empty())
        return {};
    return joinTidy(home, "Favorites");
}

bool DirectoryExists(const std::filesystem::path& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
