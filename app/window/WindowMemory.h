#pragma once

#include "WindowState.h"

#include <QPoint>
#include <filesystem>

class BookmarkModel;
class BookmarkView;
class QWidget;

// What the main window remembers between runs: its place and size, the
// widths of the columns and which folders are open.
class WindowMemory
{
public:
    // favorites is the folder shown; the window opens at designPlace unless
    // it remembers another place.
    WindowMemory(QWidget& window, BookmarkView& view, const std::filesystem::path& favorites,
                 QPoint designPlace);

    // The place, the columns and the open folders, as Config.ini keeps them.
    void restore();
    // Opens the folders the state remembers, when it remembers them for the
    // tree just loaded.
    void restoreExpandedFolders(const WindowState& state);
    WindowState current() const;
    void save() const;

private:
    QWidget& window_;
    BookmarkView& view_;
    const BookmarkModel& tree_;
    const std::filesystem::path& favorites_;
    QPoint designPlace_;
};
