#include "ChosenFolder.h"

#include "FavoritesLocation.h"
#include "KnownFolders.h"
#include "PathUtils.h"
#include "Settings.h"

#include <QFile>

std::filesystem::path FindStartFolder(const std::string& commandLineFolder)
{
    Settings settings;
    settings.load(ConfigFilePath());
    const std::optional<QString>& chosen = settings.window.chosenFavorites;
    return FindFavoritesFolder(commandLineFolder,
                               chosen ? QFile::encodeName(*chosen).toStdString() : std::string());
}

bool RememberChosenFolder(const std::filesystem::path& folder, QString* error)
{
    Settings settings;
    settings.window.chosenFavorites = QFile::decodeName(QByteArray::fromStdString(folder.native()));
    const Settings::SaveResult result = settings.saveWindow(ConfigFilePath());
    if (error)
        *error = result.error;
    return result.saved;
}

QString ShownFolderName(const std::filesystem::path& folder)
{
    const std::string path = WithoutTrailingSeparators(folder.native());
    if (path.empty() || path == FavoritesFolder().native())
        return {};
    const std::string home = WithoutTrailingSeparators(qgetenv("HOME").toStdString());
    // A home of "/" would turn every path into one below "~".
    if (home.empty() || home == "/")
        return QFile::decodeName(QByteArray::fromStdString(path));
    const QString shown = QFile::decodeName(QByteArray::fromStdString(path));
    if (path == home)
        return QStringLiteral("~");
    const std::string homePrefix = JoinPath(home, std::string());
    if (path.compare(0, homePrefix.size(), homePrefix) != 0)
        return shown;
    return QStringLiteral("~/") +
           QFile::decodeName(QByteArray::fromStdString(path.substr(homePrefix.size())));
}
