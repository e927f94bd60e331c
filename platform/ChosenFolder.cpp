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
    const std::string homePrefix = JoinPath(home, std::string());
    const bool belowHome =
        !home.empty() && home != "/" && path.compare(0, homePrefix.size(), homePrefix) == 0;
    const std::string shown = belowHome ? "~/" + path.substr(homePrefix.size()) : path;
    return QFile::decodeName(QByteArray::fromStdString(shown));
}
