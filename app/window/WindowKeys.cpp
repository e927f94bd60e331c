// The keys of the main window that no menu shows: they act as the menu items
// and the mouse do, so a keyboard alone can run the whole window.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenEntries.h"
#include "FindBar.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QStringList>

namespace {

// A menu item's key works only while the item itself could be chosen.
void triggerIfEnabled(QAction* item)
{
    if (item->isEnabled())
        item->trigger();
}

} // namespace

void TForm1::setupShortcuts()
{
    const auto bind = [](QKeySequence keys, QWidget* owner, Qt::ShortcutContext context,
                         auto handler) {
        auto* shortcut = new QShortcut(keys, owner);
        shortcut->setContext(context);
        QObject::connect(shortcut, &QShortcut::activated, owner, handler);
    };
    bind(Qt::Key_F5, this, Qt::WindowShortcut, [this] { triggerIfEnabled(mnVerifyLinks); });
    // One Escape for the window: in the find bar it closes the bar, anywhere
    // else it stops the run.
    bind(Qt::Key_Escape, this, Qt::WindowShortcut, [this] {
        if (!findBar->isHidden() && findBar->isAncestorOf(focusWidget()))
            hideFindBar();
        else
            triggerIfEnabled(mnStopVerify);
    });
    bind(QKeySequence::Find, this, Qt::WindowShortcut, [this] { showFindBar(); });
    bind(Qt::CTRL | Qt::Key_Q, this, Qt::WindowShortcut, [this] { close(); });
    bind(Qt::CTRL | Qt::Key_O, this, Qt::WindowShortcut, [this] { mnOpenFolderClick(); });
    bind(Qt::CTRL | Qt::Key_A, this, Qt::WindowShortcut, [this] { VT->selectAll(); });
    bind(Qt::CTRL | Qt::Key_C, this, Qt::WindowShortcut, [this] { copySelectedLinks(); });
    // Only in the tree: elsewhere Enter belongs to the control that has the focus.
    bind(Qt::Key_Slash, VT, Qt::WidgetShortcut, [this] { showFindBar(); });
    for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter})
        bind(enter, VT, Qt::WidgetShortcut, [this] { VTDblClick(); });
}

void TForm1::copySelectedLinks()
{
    QStringList links;
    for (const BookmarkNode* link : LinksOf(*bookmarks_, chosenRows(Reach::Anywhere)))
        links << link->entry.Link;
    // The clipboard keeps what it held when nothing here is a link.
    if (!links.isEmpty())
        QGuiApplication::clipboard()->setText(links.join(u'\n'));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == VT && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            VTKeyDown(key->key(), key->modifiers());
            return true;
        }
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        if (key->key() == Qt::Key_Menu || shiftF10) {
            VTContextKey();
            return true;
        }
    }
    // Asked only for this event: the view may be half-way through going.
    if (event->type() == QEvent::ContextMenu && VT &&
        (watched == VT || watched == VT->viewport())) {
        auto* request = static_cast<QContextMenuEvent*>(event);
        if (request->reason() == QContextMenuEvent::Mouse)
            VTContextPopup(VT->viewport()->mapFromGlobal(request->globalPos()));
        else
            VTContextKey();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
