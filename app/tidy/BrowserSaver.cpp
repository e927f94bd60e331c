#include "BrowserSaver.h"

#include "BookmarkModel.h"
#include "BrowserBookmarks.h"
#include "MessageBoxes.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>

namespace {

// Qt's own dialog, since a desktop's native one has no room for the box.
BrowserSaver::Choice askForBrowserFile(QWidget* parent, bool leaveOutDead)
{
    QFileDialog dialog(parent, QStringLiteral("Save for a browser"),
                       QDir::home().filePath(QStringLiteral("bookmarks.html")),
                       QStringLiteral("HTML files (*.html *.htm);;All files (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("html"));
    auto* leaveOut = new QCheckBox(QStringLiteral("Leave out dead links"), &dialog);
    leaveOut->setChecked(leaveOutDead);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(leaveOut, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString file = dialog.selectedFiles().constFirst();
    return {std::filesystem::path(QFile::encodeName(file).toStdString()), leaveOut->isChecked()};
}

} // namespace

BrowserSaver::BrowserSaver(const BookmarkModel& tree, std::function<void(const QString&)> notice,
                           QWidget* window)
    : tree_(tree), notice_(std::move(notice)), window_(window)
{
}

void BrowserSaver::save()
{
    const BookmarkEntry* root = BookmarkModel::entry(tree_.firstNode());
    const bool anyDead = root && root->DeadInside > 0;
    const Choice choice =
        chooser_ ? chooser_(window_, anyDead) : askForBrowserFile(window_, anyDead);
    if (choice.file.empty())
        return;
    QString error;
    if (!SaveBrowserBookmarks(tree_, choice.leaveOutDead, choice.file, &error)) {
        ShowMessageBox(window_, QMessageBox::Critical, QCoreApplication::applicationName(),
                       QStringLiteral("The bookmarks could not be saved."), QMessageBox::Ok, error);
        return;
    }
    notice_(QStringLiteral("Saved for a browser: ") +
            QString::fromLocal8Bit(choice.file.filename().native()));
}
