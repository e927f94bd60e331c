#pragma once

#include "ArchiveCopies.h"
#include "BrowserSaver.h"
#include "ContextMenu.h"
#include "DeleteActions.h"
#include "KeptResults.h"
#include "MainWindowUi.h"
#include "ReportSaver.h"
#include "RunControl.h"
#include "TMyThread.h"
#include "TidyActions.h"
#include "TreeFind.h"
#include "WindowMemory.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class BookmarkModel;
class BookmarkNode;
class KeptVerdicts;
class MovedLinks;
class QColor;
class QPainter;
class TfrOptions;

// The Favorites folder the window shows; the scan reads it. Set at start-up
// and again when another folder is dropped on the window.
extern std::filesystem::path FavoritesPath;

// The main window: the bookmark view with its toolbar, menus and status bar.
// Creating it runs FormCreate, so the tree is loaded before it is shown. It
// lays out its controls (MainWindowUi) and hands each feature to a class of
// its own; its handlers pass the work on.
class TForm1 final : public QWidget, public MainWindowUi
{
    Q_OBJECT

public:
    // Shows the folder FindFavoritesFolder finds without a folder named.
    explicit TForm1(QWidget* parent = nullptr);
    explicit TForm1(const std::filesystem::path& favoritesFolder, QWidget* parent = nullptr);
    ~TForm1() override;

    // The dialog behind btOptions, made after this window (it reads its
    // settings from the data folder that FormCreate makes sure of).
    // Its proxy controls feed the settings every probe reads when it begins.
    void setOptionsDialog(TfrOptions* dialog);

    void ShowCounts();

    // Stops a run in progress and shows folder in place of the current tree,
    // its root entry expanded (with the folders remembered open for it) and
    // its counts in the status bar.
    void openFavorites(const std::filesystem::path& folder);

    // Asks for another Favorites folder (Ctrl+O), shows it and remembers it
    // for the next start.
    void mnOpenFolderClick();
    // Asks which folder to show, starting from the one given; empty when the
    // user cancels. Tests put in their own.
    using FolderChooser =
        std::function<std::filesystem::path(QWidget*, const std::filesystem::path&)>;
    void setFolderChooser(FolderChooser chooser) { folderChooser_ = std::move(chooser); }

    // Drops menu down under button, one pixel left of the button's left edge;
    // returns when the menu has closed.
    void Popup(QWidget* button, QMenu* menu);

    // What the bookmark view shows, cell by cell, asked of the one place that
    // knows it (the model's roles, the delegate's colours and lamp). Without
    // an entry, cellText and textColor stay as given and imageIndex is -1.
    void VTGetText(BookmarkView* sender, BookmarkNode* node, int column, QString& cellText);
    void VTGetImageIndex(BookmarkView* sender, BookmarkNode* node, int column, int& imageIndex);
    void VTPaintText(BookmarkView* sender, QColor& textColor, BookmarkNode* node, int column);
    void VTAfterCellPaint(BookmarkView* sender, QPainter& targetCanvas, BookmarkNode* node,
                          int column, const QRect& cellRect);
    void VTDblClick();

    void btVerifyClick();
    void btHelpClick();
    void btOptionsClick();
    void btHomePageClick();
    void btSupportClick();
    void pmnVerifyPopup();
    void pmHelpPopup() { setHelpMenuHints(); }
    void mnAboutClick();
    void mnQMPEClick() { btHomePageClick(); }
    void mnQMPCClick() { btHomePageClick(); }

    // Verification run.
    void mnVerifyLinksClick() { run_->verifyLinks(); }
    void mnStopVerifyClick() { run_->stop(); }
    void ResetStatuses() { run_->resetStatuses(); }
    void VerifyDone(VerificationRun* run) { run_->done(run); }
    void Timer1Timer() { run_->nextHeaderFrame(); }
    // Writes the verdicts of the links as they stand as CSV, or JSON lines
    // for a file named .json, in the command line's formats.
    void mnSaveReportClick() { report_->save(); }
    // Asks where the report goes; empty when the user cancels.
    using ReportFileChooser = ReportSaver::FileChooser;
    void setReportFileChooser(ReportFileChooser chooser)
    {
        report_->setFileChooser(std::move(chooser));
    }
    // Writes the tree as the HTML bookmarks file browsers import.
    void mnSaveForBrowserClick() { browserSaver_->save(); }
    void setBrowserFileChooser(BrowserSaver::FileChooser chooser)
    {
        browserSaver_->setFileChooser(std::move(chooser));
    }
    // Where the times of verdicts come from; tests let days pass with it.
    void setClock(Clock clock) { results_->setClock(std::move(clock)); }
    // Where every new run gets its engine; tests put local ones in.
    void setProbeEngines(ProbeEngineFactory engines) { run_->setProbeEngines(std::move(engines)); }
    // The archived copies of dead links; tests ask their stand-in quickly.
    ArchiveCopies& archivedCopies() { return *archive_; }
    // Lets tests make a worker's creation fail (see VerificationRun).
    void setWorkerStackSize(uint bytes) { run_->setWorkerStackSize(bytes); }

    // Tidying: moved links updated (and the last update undone), duplicates
    // selected for the Delete key.
    void mnUpdateMovedClick() { tidy_->updateAllMoved(); }
    void undoLinkUpdate() { tidy_->undo(); }
    void mnSelectDuplicatesClick() { tidy_->selectDuplicates(); }

    // The bookmark view's context menu (right click, the Menu key and
    // Shift+F10): it acts on the selected rows. at is in the view's
    // viewport; a click on a row outside the selection selects that row alone.
    void VTContextPopup(const QPoint& at) { contextMenu->popupAt(at); }
    // Opens it at the current row, as the keys do.
    void VTContextKey() { contextMenu->popupAtCurrent(); }
    // Enables what applies to the selection.
    void pmVTPopup() { contextMenu->enableItems(); }
    // Probes the selected links, and all links of selected folders, again
    // in a run of their own.
    void mnCheckAgainClick();
    void mnUpdateSelectedClick() { tidy_->updateSelected(); }
    void mnShowInFileManagerClick() { contextMenu->showInFileManager(); }

    // Deletion.
    void VTKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void btDeleteClick() { deletion_->deleteDeadLinks(); }

    // Puts the links of the selected rows (a folder row's: those shown below
    // it), in tree order, on the clipboard, one a line (Ctrl+C).
    void copySelectedLinks();

    // The find bar (Ctrl+F, "/" in the tree): shown, it narrows the tree to
    // what it asks for; hidden, the whole tree is back with the folders open
    // and the rows selected as they were before it was shown.
    void showFindBar() { find_->show(); }
    // The find bar shown with a "Show:" choice made, as `--show` asks.
    void showFindBar(FindChoice choice) { find_->showChoice(choice); }
    void hideFindBar() { find_->hide(); }

    // The current run, or none; a stopped run that is still finishing its
    // last probe is not current.
    VerificationRun* VerifyThread = nullptr;
    // The Status header's animation frame; never reset, so a later run goes
    // on where the last one stopped.
    int HeaderFrame = -1;
    // The last run checked links but no server answered any of them; the
    // question before deleting every dead link warns with it.
    bool lastRunReachedNoServer = false;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Hands each feature what it needs of the window.
    void setupFeatures();
    void setupConnections();
    void FormCreate(const std::filesystem::path& favoritesFolder);
    void loadTree(const std::filesystem::path& folder);
    // The title names the folder shown unless it is the usual one.
    void showFolderInTitle(const std::filesystem::path& shown);
    // Why Config.ini is neither read nor written, for the third panel, the
    // first time only.
    QString configNotice();
    // Whether deleted entries go to the Trash, as the Options dialog says now.
    bool deletesToTrash() const;
    // Says in the third panel what the window just did, in place of a run's counts.
    void showStatusNotice(const QString& text, const QString& toolTip = {})
    {
        run_->showNotice(text, toolTip);
    }

    BookmarkModel* bookmarks_ = nullptr; // the tree VT shows
    MovedLinks* movedLinks_ = nullptr;   // what the last run found moved, and the last update
    KeptVerdicts* verdicts_ = nullptr;   // what Save report writes
    QString baseTitle_;                  // the title before any folder is named
    FolderChooser folderChooser_;
    TfrOptions* optionsDialog_ = nullptr;
    std::unique_ptr<KeptResults> results_;
    std::unique_ptr<RunControl> run_;
    std::unique_ptr<ArchiveCopies> archive_;
    std::unique_ptr<TreeFind> find_;
    std::unique_ptr<TidyActions> tidy_;
    std::unique_ptr<DeleteActions> deletion_;
    std::unique_ptr<ReportSaver> report_;
    std::unique_ptr<BrowserSaver> browserSaver_;
    std::unique_ptr<WindowMemory> memory_;
};
