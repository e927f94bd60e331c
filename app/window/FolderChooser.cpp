// Another Favorites folder for the window: one dropped on it from a file
// manager, or one chosen in the folder chooser.
#include "TForm1.h"

#include "ChosenFolder.h"
#include "DroppedFolder.h"
#include "KnownFolders.h"
#include "Settings.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>

namespace {

// The platform's folder chooser, opened where the folder shown lies.
std::filesystem::path askForFolder(QWidget* parent, const std::filesystem::path& shown)
{
    const std::filesystem::path start = DirectoryExists(shown) ? shown.parent_path() : shown;
    const QString chosen = QFileDialog::getExistingDirectory(
        parent, QStringLiteral("Choose a Favorites folder"),
        QFile::decodeName(QByteArray::fromStdString(start.native())));
    return chosen.isEmpty() ? std::filesystem::path()
                            : std::filesystem::path(QFile::encodeName(chosen).toStdString());
}

} // namespace

void TForm1::openFavorites(const std::filesystem::path& folder)
{
    if (!DirectoryExists(folder))
        return;
    // The run walks the tree that is about to go.
    mnStopVerifyClick();
    hideFindBar();
    loadTree(folder);
    Settings remembered;
    remembered.load(ConfigFilePath());
    restoreExpandedFolders(remembered.window);
}

void TForm1::mnOpenFolderClick()
{
    const std::filesystem::path folder =
        folderChooser_ ? folderChooser_(this, FavoritesPath) : askForFolder(this, FavoritesPath);
    if (folder.empty() || !DirectoryExists(folder))
        return;
    openFavorites(folder);
    QString error;
    if (!RememberChosenFolder(FavoritesPath, &error))
        showStatusNotice(QStringLiteral("The folder is shown but will not be remembered: ") +
                         error);
}

void TForm1::showFolderInTitle(const std::filesystem::path& shown)
{
    const QString name = ShownFolderName(shown);
    setWindowTitle(name.isEmpty() ? baseTitle_ : baseTitle_ + QStringLiteral(" \u2013 ") + name);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!FirstDroppedFolder(*event->mimeData()).empty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const std::filesystem::path folder = FirstDroppedFolder(*event->mimeData());
    if (folder.empty()) {
        event->ignore(); // so the source does not take it as done
        return;
    }
    event->acceptProposedAction();
    openFavorites(folder);
}
