#pragma once

#include "ImageList.h"

#include <QList>
#include <QRect>
#include <filesystem>

class BookmarkModel;
class BookmarkView;
class ContextMenu;
class FindBar;
class HeaderStrip;
class MenuStyle;
class MovedLinks;
class PictureButton;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QWidget;
class StatusPanels;
class TexturedBackground;

// The main window's controls and menus in their design places, by the names
// the rest of the program uses; the window only composes them.
struct MainWindowUi
{
    static constexpr int designLeft = 204; // where the window opens unless it remembers
    static constexpr int designTop = 110;
    static constexpr int designWidth = 647; // client area the layout is drawn for
    static constexpr int designHeight = 563;

    // Makes the controls and menus on window, the view showing tree; the
    // context menu enables what moved and the folder shown allow.
    void setupUi(QWidget* window, BookmarkModel* tree, const MovedLinks& moved,
                 const std::filesystem::path& favorites);
    // Places the controls for the window's client size, the find bar, while
    // shown, above the status bar.
    void applyAnchors(QSize client);
    // False, after saying so, when an icon cannot be read.
    bool loadImageLists(QWidget* window);
    // The hints the menus show beside their items.
    void setVerifyMenuHints();
    void setHelpMenuHints();

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
    QAction* mnSaveForBrowser = nullptr;
    QAction* mnSaveReport = nullptr;
    QMenu* pmHelp = nullptr;
    QAction* mnAbout = nullptr;
    QAction* N3 = nullptr;
    QAction* mnQMPE = nullptr;
    QAction* N4 = nullptr;
    QAction* mnQMPC = nullptr;
    QAction* N5 = nullptr;
    ContextMenu* contextMenu = nullptr;
    QMenu* pmVT = nullptr;
    QAction* mnOpenLink = nullptr;
    QAction* mnCopyLink = nullptr;
    QAction* mnCheckAgain = nullptr;
    QAction* mnUpdateSelected = nullptr;
    QAction* mnShowInFileManager = nullptr;
    QAction* mnMoveToTrash = nullptr;
    QAction* mnOpenAnotherFolder = nullptr;
    QTimer* Timer1 = nullptr;

private:
    struct Anchored
    {
        QWidget* widget;
        QRect design;      // geometry at the design client size
        Qt::Edges anchors; // window edges it keeps its distance to
    };

    void setupWindow(QWidget* window);
    void setupControls(QWidget* window, BookmarkModel* tree);
    void setupMenus(QWidget* window, const MovedLinks& moved,
                    const std::filesystem::path& favorites);
    void place(QWidget* widget, const QRect& design, Qt::Edges anchors);

    QList<Anchored> anchored_;
    MenuStyle* menuStyle_ = nullptr;
};
