#include "WindowKeys.h"

#include "BookmarkView.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QShortcut>

namespace {

// A menu item's key works only while the item itself could be chosen.
void triggerIfEnabled(QAction* item)
{
    if (item->isEnabled())
        item->trigger();
}

// The view's keys that a shortcut cannot take, and its context menu.
class ViewKeys final : public QObject
{
public:
    ViewKeys(BookmarkView* view, WindowKeyActions given, QObject* parent)
        : QObject(parent), actions(std::move(given)), view_(view)
    {
    }

    const WindowKeyActions actions;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == view_ && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Delete) {
                actions.deleteKey();
                return true;
            }
            const bool shiftF10 =
                key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
            if (key->key() == Qt::Key_Menu || shiftF10) {
                actions.contextAtCurrent();
                return true;
            }
        }
        // Asked only for this event: the view may be half-way through going.
        if (event->type() == QEvent::ContextMenu &&
            (watched == view_ || watched == view_->viewport())) {
            auto* request = static_cast<QContextMenuEvent*>(event);
            if (request->reason() == QContextMenuEvent::Mouse)
                actions.contextAt(view_->viewport()->mapFromGlobal(request->globalPos()));
            else
                actions.contextAtCurrent();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    BookmarkView* view_;
};

} // namespace

void BindWindowKeys(QWidget* window, BookmarkView* view, WindowKeyActions actions)
{
    // The filter keeps the actions; it lives as long as the window.
    auto* filter = new ViewKeys(view, std::move(actions), window);
    view->installEventFilter(filter);
    // A right click reaches the rows' area, the Menu key the view itself.
    view->viewport()->installEventFilter(filter);

    const auto bind = [](QKeySequence keys, QWidget* owner, Qt::ShortcutContext context,
                         auto handler) {
        auto* shortcut = new QShortcut(keys, owner);
        shortcut->setContext(context);
        QObject::connect(shortcut, &QShortcut::activated, owner, handler);
    };
    const WindowKeyActions& a = filter->actions;
    bind(Qt::Key_F5, window, Qt::WindowShortcut, [&a] { triggerIfEnabled(a.verifyLinks); });
    // One Escape for the window: in the find bar it closes the bar, anywhere
    // else it stops the run.
    bind(Qt::Key_Escape, window, Qt::WindowShortcut, [&a] {
        if (a.findHasFocus())
            a.hideFind();
        else
            triggerIfEnabled(a.stopVerify);
    });
    bind(QKeySequence::Find, window, Qt::WindowShortcut, [&a] { a.showFind(); });
    bind(Qt::CTRL | Qt::Key_Q, window, Qt::WindowShortcut, [window] { window->close(); });
    bind(Qt::CTRL | Qt::Key_O, window, Qt::WindowShortcut, [&a] { a.openFolder(); });
    bind(Qt::CTRL | Qt::Key_A, window, Qt::WindowShortcut, [view] { view->selectAll(); });
    bind(Qt::CTRL | Qt::Key_C, window, Qt::WindowShortcut, [&a] { a.copyLinks(); });
    // Only in the tree: elsewhere Enter belongs to the control that has the focus.
    bind(Qt::Key_Slash, view, Qt::WidgetShortcut, [&a] { a.showFind(); });
    for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter})
        bind(enter, view, Qt::WidgetShortcut, [&a] { a.openCurrent(); });
}
