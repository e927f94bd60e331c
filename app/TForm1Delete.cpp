// Deleting bookmarks from the main window: the Delete key in the view and
// the "Delete all dead links" button.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "Deletion.h"
#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>

namespace {

bool Confirm(QWidget* parent, const QString& question)
{
    return ShowMessageBox(parent, QMessageBox::Question, QStringLiteral("Warning!"), question,
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

void TForm1::VTKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key != Qt::Key_Delete)
        return;
    BookmarkModel& tree = *bookmarks_;
    QItemSelectionModel* selection = VT->selectionModel();

    // The root entry stands for the Favorites folder itself.
    BookmarkNode* root = tree.firstNode();
    if (VT->isNodeSelected(root)) {
        if (selection->selectedRows().size() == 1) {
            ShowMessageBox(this, QMessageBox::NoIcon, QCoreApplication::applicationName(),
                           QStringLiteral("This folder is not to be deleted!"), QMessageBox::Ok);
            return;
        }
        selection->select(tree.indexOf(root),
                          QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }

    if (!Confirm(this, QStringLiteral("Delete selected?")))
        return;
    DeleteSelectedEntries(tree, [this](BookmarkNode* node) { return VT->isNodeSelected(node); });
    ShowCounts();
}

void TForm1::btDeleteClick()
{
    if (!Confirm(this, QStringLiteral("Delete all dead links?")))
        return;
    DeleteDeadLinks(*bookmarks_);
    ShowCounts();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == VT && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            VTKeyDown(key->key(), key->modifiers());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
