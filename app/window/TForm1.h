#pragma once

#include "ImageList.h"
#include "ResultsStore.h"
#include "SearchIndex.h"
#include "TMyThread.h"
#include "UnreadableFolder.h"
#include "WindowState.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class BookmarkModel;
class BookmarkNode;
class BookmarkView;
struct ChosenEntries;
class FindBar;
class HeaderStrip;
class KeptVerdicts;
class MenuStyle;
struct LinkUpdateOutcome;
class MovedLinks;
class PictureButton;
class QAction;
class QColor;
class QLabel;
class QMenu;
class QPainter;
class QTimer;
enum class Reach;
class StatusPanels;
class TexturedBackground;
class TfrOptions;
class VerificationRun;

// Engines on libcurl's multi interface with the default time bounds: what a
// run uses unless a test puts in others.
ProbeEngineFactory DefaultProbeEngines();

// The Favorites folder the window shows; the scan reads it. Set at start-up
// and again when another folder is dropped on the window.
extern std::filesystem::path FavoritesPath;

// The main window: the bookmark view with its toolbar, menus and status bar.
// Creating it runs FormCreate, so the tree is loaded before it is shown.
class TForm1 final : public QWidget
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
    void pmHelpPopup();
    void mnAboutClick();
    void mnQMPEClick();
    void mnQMPCClick();

    // Verification run.
    void mnVerifyLinksClick();
    void mnStopVerifyClick();
    void ResetStatuses();
    void VerifyDone(VerificationRun* run);
    void Timer1Timer();
    // Writes the verdicts of the links as they stand as CSV, or JSON lines
    // for a file named .json, in the command line's formats.
    void mnSaveReportClick();
    // Asks where the report goes; empty when the user cancels.
    using ReportFileChooser = std::function<std::filesystem::path(QWidget*)>;
    void setReportFileChooser(ReportFileChooser chooser)
    {
        reportFileChooser_ = std::move(chooser);
    }
    // Where the times of verdicts come from; tests let days pass with it.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // Where every new run gets its engine; tests put local ones in.
    void setProbeEngines(ProbeEngineFactory engines) { engines_ = std::move(engines); }
    // Lets tests make a worker's creation fail (see VerificationRun).
    void setWorkerStackSize(uint bytes) { workerStackSize_ = bytes; }

    // Tidying: moved links updated (and the last update undone), duplicates
    // selected for the Delete key.
    void mnUpdateMovedClick();
    void undoLinkUpdate();
    void mnSelectDuplicatesClick();

    // The bookmark view's context menu (right click, the Menu key and
    // Shift+F10): it acts on the selected rows. at is in the view's
    // viewport; a click on a row outside the selection selects that row alone.
    void VTContextPopup(const QPoint& at);
    // Opens it at the current row, as the keys do.
    void VTContextKey();
    // Enables what applies to the selection.
    void pmVTPopup();
    // Probes the selected links, and all links of selected folders, again
    // in a run of their own.
    void mnCheckAgainClick();
    void mnUpdateSelectedClick();
    void mnShowInFileManagerClick();

    // Deletion.
    void VTKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void btDeleteClick();

    // Puts the links of the selected rows (a folder row's: those shown below
    // it), in tree order, on the clipboard, one a line (Ctrl+C).
    void copySelectedLinks();

    // The find bar (Ctrl+F, "/" in the tree): shown, it narrows the tree to
    // what it asks for; hidden, the whole tree is back with the folders open
    // and the rows selected as they were before it was shown.
    void showFindBar();
    void hideFindBar();

    static constexpr int designLeft = 204; // where the window opens unless it remembers
    static constexpr int designTop = 110;
    static constexpr int designWidth = 647; // client area the layout is drawn for
    static constexpr int designHeight = 563;

    // The window's members, by the names the rest of the program uses.
    TexturedBackground* RzBackground1 = nullptr;
    HeaderStrip* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    BookmarkView* VT = nullptr;
    StatusPanels* StatusBar1 = nullptr;
    FindBar* findBar = nullptr;
    PictureButton* btVerify = nullptr;
    PictureButton* btDelete = nullptr;
    PictureButton* btOptions = nullptr;
    PictureButton* btHelp = nullptr;
    PictureButton* btHomePage = nullptr;
    PictureButton* btSupport = nullptr;
    ImageList ImageList1{16, 16}; // node icons and status lamps
    ImageList ImageList2{20, 20}; // busy frames of the Status header
    QMenu* pmnVerify = nullptr;
    QAction* N2 = nullptr;
    QAction* mnVerifyLinks = nullptr;
    QAction* N1 = nullptr;
    QAction* mnStopVerify = nullptr;
    QAction* N6 = nullptr;
    QAction* mnUpdateMoved = nullptr;
    QAction* mnSelectDuplicates = nullptr;
    QAction* mnSaveReport = nullptr;
    QMenu* pmHelp = nullptr;
    QAction* mnAbout = nullptr;
    QAction* N3 = nullptr;
    QAction* mnQMPE = nullptr;
    QAction* N4 = nullptr;
    QAction* mnQMPC = nullptr;
    QAction* N5 = nullptr;
    QMenu* pmVT = nullptr;
    QAction* mnOpenLink = nullptr;
    QAction* mnCopyLink = nullptr;
    QAction* mnCheckAgain = nullptr;
    QAction* mnUpdateSelected = nullptr;
    QAction* mnShowInFileManager = nullptr;
    QAction* mnMoveToTrash = nullptr;
    QAction* mnOpenAnotherFolder = nullptr;
    QTimer* Timer1 = nullptr;

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Anchored
    {
        QWidget* widget;
        QRect design;      // geometry at the design client size
        Qt::Edges anchors; // window edges it keeps its distance to
    };

    void setupWindow();
    void setupControls();
    void setupMenus();
    void setupContextMenu();
    void setupConnections();
    // The keys that work anywhere in the window, apart from the menus.
    void setupShortcuts();
    PictureButton* makeButton(const QString& picture, const QString& tooltip);
    void place(QWidget* widget, const QRect& design, Qt::Edges anchors);
    void applyAnchors();
    void FormCreate(const std::filesystem::path& favoritesFolder);
    void loadTree(const std::filesystem::path& folder);
    // The title names the folder shown unless it is the usual one.
    void showFolderInTitle(const std::filesystem::path& shown);
    void restoreWindowState();
    // Reads what earlier runs on FavoritesPath found and shows it on the
    // links, holding what is known below the folders the scan could not read;
    // returns what the third panel should say about it.
    QString loadKeptResults(const std::vector<UnreadableFolder>& unreadable);
    // Why Config.ini is neither read nor written, for the third panel, the
    // first time only.
    QString configNotice();
    // why, unless the window said it before: a folder it may not use is
    // named once, not at every tree loaded.
    QString sayOnce(const QString& why);
    // Writes the kept results when anything changed, less the links gone
    // from the tree.
    void saveKeptResults();
    // Whether deleted entries go to the Trash, as the Options dialog says now.
    bool deletesToTrash() const;
    // Opens the folders the state remembers, when it remembers them for the
    // tree just loaded.
    void restoreExpandedFolders(const WindowState& state);
    WindowState windowState() const;
    void saveWindowState() const;
    bool loadImageLists();
    // A run over the links of the subtrees of tops, or the whole tree for none.
    void startRun(std::vector<BookmarkNode*> tops);
    void returnToIdle();
    void abortAllRuns();
    void showRunTally(VerificationRun* run);
    // Says in the third panel what the window just did, in place of a run's counts.
    void showStatusNotice(const QString& text, const QString& toolTip = {});
    // Enables what needs a finished run that found moved links.
    void refreshTidyItems();
    // Asks, then rewrites the moved links chosen accepts (every one inside
    // the Favorites folder for "Update all moved links") and reports what was
    // done. leftOutside: moved links outside the folder that were left out.
    void updateMovedLinks(const std::function<bool(BookmarkNode*)>& chosen, qsizetype leftOutside);
    // Deletes the selection after asking; the links restsOnVerdict picks go
    // only while their shortcuts are what the run judged.
    void deleteSelection(const std::function<bool(const BookmarkNode*)>& restsOnVerdict);
    // The selected rows in tree order, those below another selected row left out.
    std::vector<BookmarkNode*> selectedTops() const;
    // What the selected rows stand for, as the filter shows them.
    ChosenEntries chosenRows(Reach reach) const;
    // done and failed finish "3 links …" in the status bar and in the box
    // that names each link left alone.
    void reportLinkUpdate(const LinkUpdateOutcome& outcome, const QString& done,
                          const QString& failed);

    // What the tree showed before the find bar, by node, so that it survives
    // the filter's rows; nodes leaving the tree meanwhile are dropped.
    struct ViewBefore
    {
        std::vector<BookmarkNode*> open;
        std::vector<BookmarkNode*> selected;
        BookmarkNode* current = nullptr;
    };
    void applyFind();
    // The filter made again for what a run, a deletion or an update changed.
    void refreshFind();
    void rememberView();
    void restoreView();
    void forgetViewBelow(BookmarkNode* top);

    QList<Anchored> anchored_;
    ViewBefore viewBefore_;
    BookmarkModel* bookmarks_ = nullptr; // the tree VT shows
    MenuStyle* menuStyle_ = nullptr;
    MovedLinks* movedLinks_ = nullptr;      // what the last run found moved, and the last update
    SearchIndex searchIndex_;               // the tree's texts while the find bar is open
    KeptVerdicts* verdicts_ = nullptr;      // what Save report writes
    std::unique_ptr<ResultsStore> results_; // what runs on the folder shown found, kept
    Clock clock_ = SystemClock();
    QDateTime sessionStart_; // verdicts kept from before it are from an earlier session
    QStringList said_;       // what sayOnce said
    QString baseTitle_;      // the title before any folder is named
    FolderChooser folderChooser_;
    ReportFileChooser reportFileChooser_;
    TfrOptions* optionsDialog_ = nullptr;
    // The newest run begun, current or stopped and still finishing: the one
    // whose counts the third status panel shows, until it ends.
    VerificationRun* latestRun_ = nullptr;
    ProbeEngineFactory engines_;
    std::shared_ptr<SharedProxySettings> proxySettings_ = std::make_shared<SharedProxySettings>();
    uint workerStackSize_ = 0;
};
