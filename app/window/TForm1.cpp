#include "TForm1.h"

#include "BookmarkDelegate.h"
#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenFolder.h"
#include "DroppedFolder.h"
#include "EntryCounts.h"
#include "FavoritesLocation.h"
#include "FavoritesScan.h"
#include "FolderChooser.h"
#include "KeptVerdicts.h"
#include "KnownFolders.h"
#include "MovedLinks.h"
#include "OwnFolder.h"
#include "PictureButton.h"
#include "Settings.h"
#include "StatusPanels.h"
#include "TfrAbout.h"
#include "TfrOptions.h"
#include "VersionBlock.h"
#include "ViewSelection.h"
#include "WebActions.h"
#include "WindowKeys.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QResizeEvent>
#include <QShortcut>
#include <QTimer>

std::filesystem::path FavoritesPath;

namespace {

// Whatever the focused control is in the middle of (a drag, a dropped-down
// list) ends before a popup menu takes the mouse.
void cancelMode(QWidget* focused)
{
    if (auto* view = qobject_cast<BookmarkView*>(focused))
        view->cancelMode();
    if (auto* combo = qobject_cast<QComboBox*>(focused))
        combo->hidePopup();
    if (QWidget::mouseGrabber() == focused)
        focused->releaseMouse();
}

} // namespace

TForm1::TForm1(QWidget* parent) : TForm1(FindStartFolder({}), parent) {}

TForm1::TForm1(const std::filesystem::path& favoritesFolder, QWidget* parent) : QWidget(parent)
{
    bookmarks_ = new BookmarkModel(this);
    movedLinks_ = new MovedLinks(*bookmarks_, this);
    verdicts_ = new KeptVerdicts(*bookmarks_, this);
    setupUi(this, bookmarks_, *movedLinks_, FavoritesPath);
    setupFeatures();
    setupConnections();
    FormCreate(favoritesFolder);
    // Also when FormCreate stopped early: the window's place does not depend on it.
    memory_->restore();
}

TForm1::~TForm1()
{
    // Before any child goes: a worker must not outlive the tree it reports on.
    run_->abortAll();
    // The view goes before the tree it shows, which was made first.
    delete VT;
    VT = nullptr;
    FavoritesPath.clear();
}

void TForm1::setupFeatures()
{
    const auto notice = [this](const QString& text) { showStatusNotice(text); };
    results_ = std::make_unique<KeptResults>(*bookmarks_, FavoritesPath, notice);
    run_ = std::make_unique<RunControl>(
        *bookmarks_, *movedLinks_, *verdicts_, *results_,
        RunWindow{mnVerifyLinks, mnStopVerify, Timer1, VT, VerifyThread, HeaderFrame,
                  lastRunReachedNoServer,
                  [this](const QString& text, const QString& toolTip) {
                      StatusBar1->setPanelText(2, text, toolTip);
                  },
                  [this] { tidy_->refreshItems(); }, [this] { find_->refresh(); }, this});
    // The setting in effect when a run begins holds for that whole run.
    run_->setChoices([this] {
        return RunChoices{
            optionsDialog_ ? optionsDialog_->linksAtOnce() : Settings::DefaultLinksAtOnce,
            optionsDialog_ && optionsDialog_->strictVerdicts(),
            optionsDialog_ ? optionsDialog_->maxHostWait() : Settings::DefaultMaxHostWait};
    });
    archive_ = std::make_unique<ArchiveCopies>(
        *bookmarks_, *results_,
        ArchiveWindow{[this] { return optionsDialog_ && optionsDialog_->archiveLookup(); },
                      [this] {
                          return optionsDialog_ ? optionsDialog_->archiveAddress()
                                                : Settings::DefaultArchiveAddress;
                      },
                      notice});
    connect(run_.get(), &RunControl::verdictsIn, archive_.get(), &ArchiveCopies::lookUp);
    find_ =
        std::make_unique<TreeFind>(*findBar, *VT, *movedLinks_, [this] { applyAnchors(size()); });
    tidy_ = std::make_unique<TidyActions>(*VT, *movedLinks_, *results_, FavoritesPath,
                                          TidyWindow{mnUpdateMoved,
                                                     [this] { return VerifyThread != nullptr; },
                                                     [this] { find_->refresh(); }, notice, this,
                                                     [this] { return deletesToTrash(); }});
    deletion_ = std::make_unique<DeleteActions>(
        *VT, *results_, FavoritesPath,
        DeleteWindow{[this] { return deletesToTrash(); }, [this] { return lastRunReachedNoServer; },
                     [this] {
                         ShowCounts();
                         find_->refresh();
                     },
                     notice, this,
                     [this] { return !optionsDialog_ || optionsDialog_->removeEmptyFolders(); }});
    report_ = std::make_unique<ReportSaver>(*verdicts_, *results_, FavoritesPath, notice, this);
    browserSaver_ = std::make_unique<BrowserSaver>(*bookmarks_, notice, this);
    memory_ =
        std::make_unique<WindowMemory>(*this, *VT, FavoritesPath, QPoint(designLeft, designTop));
    contextMenu->setState([this] { return !VerifyThread; }, [this] { return deletesToTrash(); });
    const auto hasCopy = [this](const BookmarkNode* node) {
        return archive_->copyOf(node) != nullptr;
    };
    contextMenu->setArchivedCopy(hasCopy);
    find_->setArchivedCopy(hasCopy);
}

void TForm1::setupConnections()
{
    connect(btVerify, &QAbstractButton::clicked, this, &TForm1::btVerifyClick);
    connect(btHelp, &QAbstractButton::clicked, this, &TForm1::btHelpClick);
    connect(btOptions, &QAbstractButton::clicked, this, &TForm1::btOptionsClick);
    connect(btHomePage, &QAbstractButton::clicked, this, &TForm1::btHomePageClick);
    connect(btSupport, &QAbstractButton::clicked, this, &TForm1::btSupportClick);
    connect(pmnVerify, &QMenu::aboutToShow, this, &TForm1::pmnVerifyPopup);
    connect(pmHelp, &QMenu::aboutToShow, this, &TForm1::pmHelpPopup);
    connect(mnAbout, &QAction::triggered, this, &TForm1::mnAboutClick);
    connect(mnQMPE, &QAction::triggered, this, &TForm1::mnQMPEClick);
    connect(mnQMPC, &QAction::triggered, this, &TForm1::mnQMPCClick);
    connect(VT, &BookmarkView::dblClick, this, &TForm1::VTDblClick);
    connect(mnVerifyLinks, &QAction::triggered, this, &TForm1::mnVerifyLinksClick);
    connect(mnStopVerify, &QAction::triggered, this, &TForm1::mnStopVerifyClick);
    connect(mnUpdateMoved, &QAction::triggered, this, &TForm1::mnUpdateMovedClick);
    connect(mnSelectDuplicates, &QAction::triggered, this, &TForm1::mnSelectDuplicatesClick);
    // On the window, so it works wherever the focus is; the menu items keep
    // their plain look.
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this,
            &TForm1::undoLinkUpdate);
    connect(mnSaveReport, &QAction::triggered, this, &TForm1::mnSaveReportClick);
    connect(mnSaveForBrowser, &QAction::triggered, this, &TForm1::mnSaveForBrowserClick);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(btDelete, &QAbstractButton::clicked, this, &TForm1::btDeleteClick);
    // The context menu's items go the way their keys and menu items go.
    connect(contextMenu, &ContextMenu::openLinkAsked, this, &TForm1::VTDblClick);
    connect(contextMenu, &ContextMenu::archivedCopyAsked, this,
            [this](BookmarkNode* node, bool replace) {
                const KeptResult* copy = archive_->copyOf(node);
                if (!copy)
                    return;
                if (replace)
                    tidy_->replaceWithArchivedCopy(node, copy->archiveUrl);
                else
                    OpenLink(this, copy->archiveUrl);
            });
    connect(contextMenu, &ContextMenu::notice, this,
            [this](const QString& text) { showStatusNotice(text); });
    connect(mnCopyLink, &QAction::triggered, this, &TForm1::copySelectedLinks);
    connect(mnCheckAgain, &QAction::triggered, this, &TForm1::mnCheckAgainClick);
    connect(mnUpdateSelected, &QAction::triggered, this, &TForm1::mnUpdateSelectedClick);
    // Picked from the menu of a dead or moved link, the deletion rests on
    // what the run found of it.
    connect(mnMoveToTrash, &QAction::triggered, this, [this] {
        deletion_->deleteSelection([this](const BookmarkNode* node) {
            return node->entry.Status == StatusDead || movedLinks_->isMoved(node);
        });
    });
    connect(mnOpenAnotherFolder, &QAction::triggered, this, &TForm1::mnOpenFolderClick);
    BindWindowKeys(this, VT,
                   {mnVerifyLinks, mnStopVerify, [this] { return find_->hasFocus(); },
                    [this] { hideFindBar(); }, [this] { showFindBar(); },
                    [this] { mnOpenFolderClick(); }, [this] { copySelectedLinks(); },
                    [this] { VTDblClick(); }, [this] { VTKeyDown(Qt::Key_Delete, Qt::NoModifier); },
                    [this] { VTContextKey(); }, [this](const QPoint& at) { VTContextPopup(at); }});
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyAnchors(size());
}

void TForm1::FormCreate(const std::filesystem::path& favoritesFolder)
{
    EnsureDataFolder();
    const QString version = ReadProductVersion(QCoreApplication::applicationFilePath());
    baseTitle_ = windowTitle() + QLatin1Char(' ') + version.left(3);
    setWindowTitle(baseTitle_);
    if (!loadImageLists(this))
        return;
    loadTree(favoritesFolder);
}

void TForm1::loadTree(const std::filesystem::path& folder)
{
    // Late verdicts of a stopped run on the tree about to go are kept first.
    archive_->stop();
    results_->save();
    FavoritesPath = folder;
    results_->close();
    const bool exists = DirectoryExists(FavoritesPath);
    showFolderInTitle(exists ? FavoritesPath : std::filesystem::path());
    if (!exists)
        return;
    const std::vector<UnreadableFolder> unreadable = LoadFavorites(*bookmarks_, FavoritesPath);
    VT->expand(bookmarks_->indexOf(bookmarks_->firstNode()));
    ShowCounts();
    QStringList notices{configNotice(), UnreadableFoldersText(unreadable),
                        results_->load(unreadable)};
    notices.removeAll(QString());
    showStatusNotice(notices.join(QStringLiteral("; ")), UnreadableFoldersDetail(unreadable));
}

QString TForm1::configNotice()
{
    const QString why = OwnFileRefusal(ConfigFilePath());
    return why.isEmpty()
               ? why
               : results_->sayOnce(QStringLiteral("Settings are not read or saved: ") + why);
}

void TForm1::ShowCounts()
{
    const EntryCounts counts = CountEntries(*bookmarks_);
    StatusBar1->setPanelText(1, LinksText(counts));
    StatusBar1->setPanelText(0, CategoriesText(counts));
}

void TForm1::Popup(QWidget* button, QMenu* menu)
{
    if (isActiveWindow()) {
        if (QWidget* focused = focusWidget())
            cancelMode(focused);
    }
    menu->exec(button->mapToGlobal(QPoint(-1, button->height())));
}

void TForm1::VTGetText(BookmarkView* sender, BookmarkNode* node, int column, QString& cellText)
{
    const QModelIndex cell = sender->bookmarks()->indexOf(node, column);
    if (cell.isValid() && column < ColumnCount)
        cellText = cell.data().toString();
}

void TForm1::VTGetImageIndex(BookmarkView* sender, BookmarkNode* node, int column, int& imageIndex)
{
    // -1 is the view's way of asking for the row's icon without a column.
    if (column == ColumnName || column == -1)
        imageIndex = BookmarkDelegate::imageOf(sender->bookmarks()->indexOf(node, ColumnName));
}

void TForm1::VTPaintText(BookmarkView* sender, QColor& textColor, BookmarkNode* node, int column)
{
    const bool selectedWithFocus = sender->isNodeSelected(node) && sender->hasFocus();
    textColor = BookmarkDelegate::textColor(sender->bookmarks()->indexOf(node, column),
                                            selectedWithFocus, textColor);
}

void TForm1::VTAfterCellPaint(BookmarkView* sender, QPainter& targetCanvas, BookmarkNode* node,
                              int column, const QRect& cellRect)
{
    BookmarkDelegate::paintLamp(targetCanvas, ImageList1,
                                sender->bookmarks()->indexOf(node, column), cellRect);
}

void TForm1::VTDblClick()
{
    BookmarkNode* node = BookmarkModel::nodeOf(VT->currentIndex());
    const BookmarkEntry* entry = BookmarkModel::entry(node);
    if (entry && !entry->IsFolder && VT->isNodeSelected(node))
        OpenLink(this, entry->Link);
}

void TForm1::btVerifyClick()
{
    Popup(btVerify, pmnVerify);
}

void TForm1::btHelpClick()
{
    Popup(btHelp, pmHelp);
}

void TForm1::btOptionsClick()
{
    if (optionsDialog_)
        optionsDialog_->showModal();
}

void TForm1::btHomePageClick()
{
    OpenHomePage(this);
}

void TForm1::btSupportClick()
{
    OpenSupportMail(this);
}

void TForm1::pmnVerifyPopup()
{
    setVerifyMenuHints();
    tidy_->refreshItems();
}

void TForm1::mnAboutClick()
{
    TfrAbout::showAbout(this);
}

void TForm1::setOptionsDialog(TfrOptions* dialog)
{
    optionsDialog_ = dialog;
    dialog->setCheckedFolder([] { return FavoritesPath; });
    const auto refresh = [this] { run_->setProxySettings(optionsDialog_->proxySettings()); };
    connect(dialog, &TfrOptions::proxySettingsChanged, this, refresh);
    refresh();
}

bool TForm1::deletesToTrash() const
{
    return !optionsDialog_ || optionsDialog_->useTrash();
}

void TForm1::mnCheckAgainClick()
{
    ChosenEntries chosen = ChosenRows(*VT, Reach::Links);
    BookmarkNode* first = chosen.entries.empty() ? nullptr : chosen.entries.front();
    run_->checkAgain(std::move(chosen));
    VT->focusOn(first);
}

void TForm1::VTKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Delete)
        deletion_->deleteSelection({});
}

void TForm1::copySelectedLinks()
{
    QStringList links;
    for (const BookmarkNode* link : LinksOf(*bookmarks_, ChosenRows(*VT, Reach::Anywhere)))
        links << link->entry.Link;
    // The clipboard keeps what it held when nothing here is a link.
    if (!links.isEmpty())
        QGuiApplication::clipboard()->setText(links.join(u'\n'));
}

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
    memory_->restoreExpandedFolders(remembered.window);
}

void TForm1::mnOpenFolderClick()
{
    const std::filesystem::path folder = folderChooser_
                                             ? folderChooser_(this, FavoritesPath)
                                             : AskForFavoritesFolder(this, FavoritesPath);
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

void TForm1::closeEvent(QCloseEvent* event)
{
    // Gone from the screen first: joining the workers may take a moment.
    hide();
    run_->abortAll();
    archive_->stop();
    // The folders remembered open are those of the whole tree.
    hideFindBar();
    run_->returnToIdle();
    results_->save();
    memory_->save();
    QWidget::closeEvent(event);
}
