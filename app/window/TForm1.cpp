#include "TForm1.h"

#include "AppFonts.h"
#include "Artwork.h"
#include "BookmarkDelegate.h"
#include "BookmarkHeader.h"
#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenFolder.h"
#include "EntryCounts.h"
#include "FavoritesLocation.h"
#include "FavoritesScan.h"
#include "FindBar.h"
#include "HeaderStrip.h"
#include "IconIds.h"
#include "KeptVerdicts.h"
#include "KnownFolders.h"
#include "MenuStyle.h"
#include "MessageBoxes.h"
#include "MovedLinks.h"
#include "PictureButton.h"
#include "ScreenFit.h"
#include "ScreenPicture.h"
#include "StatusPanels.h"
#include "TexturedBackground.h"
#include "TfrAbout.h"
#include "TfrOptions.h"
#include "VersionBlock.h"
#include "WebActions.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QScreen>
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

// The framework's wording of an error: a full stop is added unless the text
// already ends in one (or in anything that sorts before it).
QString errorText(const QString& message)
{
    if (!message.isEmpty() && message.back() <= QLatin1Char('.'))
        return message;
    return message + QLatin1Char('.');
}

} // namespace

TForm1::TForm1(QWidget* parent) : TForm1(FindStartFolder({}), parent) {}

TForm1::TForm1(const std::filesystem::path& favoritesFolder, QWidget* parent)
    : QWidget(parent), engines_(DefaultProbeEngines())
{
    setupWindow();
    setupControls();
    setupMenus();
    setupConnections();
    setupShortcuts();
    FormCreate(favoritesFolder);
    // Also when FormCreate stopped early: the window's place does not depend on it.
    restoreWindowState();
}

TForm1::~TForm1()
{
    // Before any child goes: a worker must not outlive the tree it reports on.
    abortAllRuns();
    // The view goes before the tree it shows, which was made first.
    delete VT;
    VT = nullptr;
    FavoritesPath.clear();
}

void TForm1::setupWindow()
{
    setWindowTitle(QStringLiteral("Orvanta"));
    setWindowIcon(ApplicationIcon());
    setFont(WindowFont());
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The window opens where it was laid out, not centred; on a scaled screen
    // the design size with the frame can exceed the screen, so it is kept
    // within.
    const QRect fitted = FitToArea({designLeft, designTop, designWidth, designHeight},
                                   screen()->availableGeometry(), LikelyFrameMargins);
    move(fitted.topLeft());
    resize(fitted.size());
    // A folder dragged here from a file manager is shown instead.
    setAcceptDrops(true);
}

void TForm1::setupControls()
{
    const Qt::Edges leftTop = Qt::LeftEdge | Qt::TopEdge;
    const Qt::Edges allEdges = leftTop | Qt::RightEdge | Qt::BottomEdge;

    // Created bottom to top: the pictures and the label lie below the tree,
    // the status bar and the buttons.
    const qreal ratio = devicePixelRatioF();
    RzBackground1 =
        new TexturedBackground(ScreenPicture(QPixmap::fromImage(TextureImage()), ratio), this);
    Image1 = new HeaderStrip(ScreenPicture(QPixmap::fromImage(HeaderStripImage()), ratio), this);
    Label1 = new QLabel(QStringLiteral(ORVANTA_COPYRIGHT), this);
    Label1->setTextFormat(Qt::PlainText);
    Label1->adjustSize();
    bookmarks_ = new BookmarkModel(this);
    movedLinks_ = new MovedLinks(*bookmarks_, this);
    verdicts_ = new KeptVerdicts(*bookmarks_, this);
    VT = new BookmarkView(bookmarks_, this);
    VT->header()->setFont(HeaderFont(ratio));
    VT->setEmptyText(
        QStringLiteral("No Favorites folder. Press Ctrl+O to choose one, or drop a folder here."));
    StatusBar1 = new StatusPanels({120, 120}, this);
    // Not anchored: it takes its place only while shown (applyAnchors).
    findBar = new FindBar(this);
    findBar->hide();
    btVerify = makeButton(QStringLiteral("verify"), QStringLiteral("Verifying links"));
    btDelete = makeButton(QStringLiteral("delete"), QStringLiteral("Delete all dead links"));
    btOptions = makeButton(QStringLiteral("options"), QStringLiteral("Options"));
    btHelp = makeButton(QStringLiteral("help"), QStringLiteral("Help"));
    btHomePage = makeButton(QStringLiteral("homepage"), QStringLiteral("Web page"));
    btSupport = makeButton(QStringLiteral("support"), QStringLiteral("Support"));

    // Geometry at the design client size of 647 x 563.
    place(RzBackground1, {0, 0, 647, 544}, allEdges);
    place(Image1, {0, 0, 647, 34}, leftTop | Qt::RightEdge);
    // The label sizes itself to its text; its right edge stays at 639.
    place(Label1, {639 - Label1->width(), 37, Label1->width(), 13}, Qt::TopEdge | Qt::RightEdge);
    place(VT, {8, 54, 631, 482}, allEdges);
    place(StatusBar1, {0, 544, 647, 19}, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    place(btVerify, {8, 0, 29, 29}, leftTop);
    place(btDelete, {40, 0, 29, 29}, leftTop);
    place(btOptions, {72, 0, 29, 29}, leftTop);
    place(btHelp, {104, 0, 29, 29}, leftTop);
    place(btHomePage, {592, 5, 21, 21}, leftTop);
    place(btSupport, {618, 5, 21, 21}, leftTop);

    setTabOrder(btVerify, btDelete);
    setTabOrder(btDelete, btOptions);
    setTabOrder(btOptions, btHomePage);
    setTabOrder(btHomePage, btSupport);
    setTabOrder(btSupport, VT);
    setTabOrder(VT, btHelp);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
}

PictureButton* TForm1::makeButton(const QString& picture, const QString& tooltip)
{
    const qreal ratio = devicePixelRatioF();
    return new PictureButton(ScreenPicture(ButtonPicture(picture, false), ratio),
                             ScreenPicture(ButtonPicture(picture, true), ratio), tooltip, this);
}

void TForm1::setupMenus()
{
    pmnVerify = new QMenu(this);
    N2 = pmnVerify->addSeparator();
    mnVerifyLinks = pmnVerify->addAction(QStringLiteral("Verify links"));
    N1 = pmnVerify->addSeparator();
    mnStopVerify = pmnVerify->addAction(QStringLiteral("Stop"));
    mnStopVerify->setEnabled(false);
    N6 = pmnVerify->addSeparator();
    mnUpdateMoved = pmnVerify->addAction(QStringLiteral("Update all moved links"));
    mnUpdateMoved->setEnabled(false);
    mnSelectDuplicates = pmnVerify->addAction(QStringLiteral("Select duplicates"));
    pmnVerify->addSeparator();
    mnSaveReport = pmnVerify->addAction(QStringLiteral("Save report…"));

    pmHelp = new QMenu(this);
    mnAbout = pmHelp->addAction(QStringLiteral("About..."));
    N3 = pmHelp->addSeparator();
    N3->setProperty(MenuStyle::HintProperty, QStringLiteral("Other our products"));
    mnQMPE = pmHelp->addAction(QStringLiteral("Quillmark Portable Edition"));
    N4 = pmHelp->addSeparator();
    mnQMPC = pmHelp->addAction(QStringLiteral("Quillmark PC"));
    N5 = pmHelp->addSeparator();

    setupContextMenu();

    // Made after the menus, so it is destroyed after them: a widget does not
    // own the style it is given.
    menuStyle_ = new MenuStyle();
    menuStyle_->setParent(this);
    for (QMenu* menu : {pmnVerify, pmHelp, pmVT}) {
        menu->setSeparatorsCollapsible(false);
        menu->setStyle(menuStyle_);
    }
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
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(btDelete, &QAbstractButton::clicked, this, &TForm1::btDeleteClick);
    connect(findBar, &FindBar::filterChanged, this, &TForm1::applyFind);
    connect(findBar, &FindBar::closeAsked, this, &TForm1::hideFindBar);
    connect(bookmarks_, &BookmarkModel::nodeAboutToBeRemoved, this, &TForm1::forgetViewBelow);
    VT->installEventFilter(this);
}

void TForm1::place(QWidget* widget, const QRect& design, Qt::Edges anchors)
{
    anchored_.append({widget, design, anchors});
    widget->setGeometry(design);
}

void TForm1::applyAnchors()
{
    const int dx = width() - designWidth;
    const int dy = height() - designHeight;
    for (const Anchored& control : anchored_) {
        QRect r = control.design;
        if (control.anchors.testFlag(Qt::RightEdge)) {
            if (control.anchors.testFlag(Qt::LeftEdge))
                r.setWidth(r.width() + dx);
            else
                r.translate(dx, 0);
        }
        if (control.anchors.testFlag(Qt::BottomEdge)) {
            if (control.anchors.testFlag(Qt::TopEdge))
                r.setHeight(r.height() + dy);
            else
                r.translate(0, dy);
        }
        control.widget->setGeometry(r);
    }
    if (!findBar || findBar->isHidden())
        return;
    const int barHeight = findBar->sizeHint().height();
    findBar->setGeometry(0, StatusBar1->y() - barHeight, width(), barHeight);
    VT->setGeometry(VT->geometry().adjusted(0, 0, 0, -barHeight));
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyAnchors();
}

void TForm1::FormCreate(const std::filesystem::path& favoritesFolder)
{
    EnsureDataFolder();
    const QString version = ReadProductVersion(QCoreApplication::applicationFilePath());
    baseTitle_ = windowTitle() + QLatin1Char(' ') + version.left(3);
    setWindowTitle(baseTitle_);
    if (!loadImageLists())
        return;
    loadTree(favoritesFolder);
}

void TForm1::loadTree(const std::filesystem::path& folder)
{
    // Late verdicts of a stopped run on the tree about to go are kept first.
    saveKeptResults();
    FavoritesPath = folder;
    results_.reset();
    const bool exists = DirectoryExists(FavoritesPath);
    showFolderInTitle(exists ? FavoritesPath : std::filesystem::path());
    if (!exists)
        return;
    const std::vector<UnreadableFolder> unreadable = LoadFavorites(*bookmarks_, FavoritesPath);
    VT->expand(bookmarks_->indexOf(bookmarks_->firstNode()));
    ShowCounts();
    QStringList notices{configNotice(), UnreadableFoldersText(unreadable),
                        loadKeptResults(unreadable)};
    notices.removeAll(QString());
    showStatusNotice(notices.join(QStringLiteral("; ")), UnreadableFoldersDetail(unreadable));
}

bool TForm1::loadImageLists()
{
    // The 16 x 16 list holds the pictures in BookmarkImage order: the first
    // five icons, then the amber lamp that came after the busy frames.
    static_assert(IconLampDead - IconLinkEmblem == ImageLampDead);
    static_assert(IconLampUnsure == IconBusyFrameLast + 1 && ImageLampUnsure == ImageLampDead + 1);
    static_assert(IconLast == IconLampUnsure);
    ImageList1.setDevicePixelRatio(devicePixelRatioF());
    ImageList2.setDevicePixelRatio(devicePixelRatioF());
    for (int id = IconFirst; id <= IconLast; ++id) {
        ImageList& list = IsBusyFrameIcon(id) ? ImageList2 : ImageList1;
        if (!list.addIcon(IconResource(id))) {
            ShowMessageBox(this, QMessageBox::Critical, QCoreApplication::applicationName(),
                           errorText(QStringLiteral("Icon resource %1 cannot be read").arg(id)),
                           QMessageBox::Ok);
            return false;
        }
    }
    VT->setNodeImages(ImageList1);
    VT->setHeaderImages(ImageList2);
    return true;
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
    mnVerifyLinks->setProperty(MenuStyle::HintProperty,
                               QStringLiteral("Automatic verifying all bookmarks"));
    mnStopVerify->setProperty(MenuStyle::HintProperty, QStringLiteral("Stop verifying links"));
    mnUpdateMoved->setProperty(MenuStyle::HintProperty,
                               QStringLiteral("Rewrite links that moved for good to their new "
                                              "address"));
    mnSelectDuplicates->setProperty(MenuStyle::HintProperty,
                                    QStringLiteral("Select the extra copies of links, to delete "
                                                   "them"));
    refreshTidyItems();
    mnSaveReport->setProperty(MenuStyle::HintProperty,
                              QStringLiteral("Save the verdicts as CSV, or JSON lines (.json)"));
}

void TForm1::pmHelpPopup()
{
    mnQMPE->setProperty(MenuStyle::HintProperty,
                        QStringLiteral("Bookmarks manager to store your bookmarks on USB Flash "
                                       "Drive\r\n and synchronize it between any popular browsers "
                                       "and any computer."));
    mnQMPC->setProperty(MenuStyle::HintProperty,
                        QStringLiteral("Bookmarks manager to preview and modify all bookmarks "
                                       "of\r\n all supported browsers."));
}

void TForm1::mnAboutClick()
{
    TfrAbout::showAbout(this);
}

void TForm1::mnQMPEClick()
{
    OpenHomePage(this);
}

void TForm1::mnQMPCClick()
{
    OpenHomePage(this);
}
