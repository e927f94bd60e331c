// Another Favorites folder for the window: one dropped on it from a file
// manager.
#include "TForm1.h"

#include "DroppedFolder.h"
#include "KnownFolders.h"
#include "Settings.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

void TForm1::openFavorites(const std::filesystem::path& folder)
{
    if (!DirectoryExists(folder))
        return;
    // The run walks the tree that is about to go.
    mnStopVerifyClick();
    loadTree(folder);
    Settings remembered;
    remembered.load(ConfigFilePath());
    restoreExpandedFolders(remembered.window);
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
