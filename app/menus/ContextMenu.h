#pragma once

#include <QObject>
#include <filesystem>
#include <functional>

class BookmarkNode;
class BookmarkView;
class MovedLinks;
class QAction;
class QMenu;
class QPoint;
class QWidget;

// The bookmark view's context menu (right click, the Menu key and
// Shift+F10): what can be done with the selected rows. Each item goes the
// way its key or menu item goes, so the window connects them to those.
class ContextMenu final : public QObject
{
    Q_OBJECT

public:
    // The menu is window's; favorites is the folder shown.
    ContextMenu(BookmarkView& view, const MovedLinks& moved, const std::filesystem::path& favorites,
                QWidget* window);

    // Whether no run is under way, and whether deletions go to the Trash.
    void setState(std::function<bool()> idle, std::function<bool()> toTrash);
    // Whether a link has an archived copy to open or put in its place.
    void setArchivedCopy(std::function<bool(const BookmarkNode*)> hasCopy)
    {
        hasCopy_ = std::move(hasCopy);
    }

    // at is in the view's viewport; a click on a row outside the selection
    // selects that row alone.
    void popupAt(const QPoint& at);
    // At the current row, as the keys do.
    void popupAtCurrent();
    // Enables what applies to the selection.
    void enableItems();
    void showInFileManager();

    QMenu* menu = nullptr;
    QAction* openLink = nullptr;
    QAction* copyLink = nullptr;
    QAction* checkAgain = nullptr;
    QAction* updateSelected = nullptr;
    QAction* openArchivedCopy = nullptr;
    QAction* replaceWithArchivedCopy = nullptr;
    QAction* showInFolder = nullptr;
    QAction* moveToTrash = nullptr;
    QAction* openAnotherFolder = nullptr;

signals:
    // Open link was chosen; the one selected row is the current one now.
    void openLinkAsked();
    // One of the archived copy's items was chosen for the one selected link.
    void archivedCopyAsked(BookmarkNode* node, bool replace);
    // What the window should say in its status bar, such as why the file
    // manager showed nothing.
    void notice(const QString& text);

private:
    // The one selected row when it is a link.
    BookmarkNode* selectedLink() const;

    BookmarkView& view_;
    const MovedLinks& moved_;
    const std::filesystem::path& favorites_;
    std::function<bool()> idle_ = [] { return true; };
    std::function<bool()> toTrash_ = [] { return true; };
    std::function<bool(const BookmarkNode*)> hasCopy_ = [](const BookmarkNode*) { return false; };
};
