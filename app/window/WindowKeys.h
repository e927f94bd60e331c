#pragma once

#include <functional>

class BookmarkView;
class QAction;
class QPoint;
class QWidget;

// What the window's keys do, each the way its menu item or the mouse does,
// so a keyboard alone can run the whole window.
struct WindowKeyActions
{
    QAction* verifyLinks; // F5
    QAction* stopVerify;  // Escape, unless the find bar has the focus
    std::function<bool()> findHasFocus;
    std::function<void()> hideFind;
    std::function<void()> showFind;    // Ctrl+F, "/" in the tree
    std::function<void()> openFolder;  // Ctrl+O
    std::function<void()> copyLinks;   // Ctrl+C
    std::function<void()> openCurrent; // Enter in the tree
    std::function<void()> deleteKey;   // Delete in the tree
    // The context menu: at the current row (the Menu key, Shift+F10), or at
    // a point in the viewport (a right click).
    std::function<void()> contextAtCurrent;
    std::function<void(const QPoint&)> contextAt;
};

// The keys that work anywhere in window, apart from the menus, and those of
// the tree view.
void BindWindowKeys(QWidget* window, BookmarkView* view, WindowKeyActions actions);
