#include "FolderChooser.h"

#include "KnownFolders.h"

#include <QFile>
#include <QFileDialog>

std::filesystem::path AskForFavoritesFolder(QWidget* parent, const std::filesystem::path& shown)
{
    const std::filesystem::path start = DirectoryExists(shown) ? shown.parent_path() : shown;
    const QString chosen = QFileDialog::getExistingDirectory(
        parent, QStringLiteral("Choose a Favorites folder"),
        QFile::decodeName(QByteArray::fromStdString(start.native())));
    return chosen.isEmpty() ? std::filesystem::path()
                            : std::filesystem::path(QFile::encodeName(chosen).toStdString());
}
