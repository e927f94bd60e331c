#include "MainWindowUi.h"

#include "AppFonts.h"
#include "Artwork.h"
#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ContextMenu.h"
#include "FindBar.h"
#include "HeaderStrip.h"
#include "IconIds.h"
#include "MenuStyle.h"
#include "MessageBoxes.h"
#include "PictureButton.h"
#include "ScreenFit.h"
#include "ScreenPicture.h"
#include "StatusPanels.h"
#include "TexturedBackground.h"
#include "VersionBlock.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>

namespace {

// The framework's wording of an error: a full stop is added unless the text
// already ends in one (or in anything that sorts before it).
QString errorText(const QString& message)
{
    if (!message.isEmpty() && message.back() <= QLatin1Char('.'))
        return message;
    return message + QLatin1Char('.');
}

PictureButton* makeButton(QWidget* window, const QString& picture, const QString& tooltip)
{
    const qreal ratio = window->devicePixelRatioF();
    return new PictureButton(ScreenPicture(ButtonPicture(picture, false), ratio),
                             ScreenPicture(ButtonPicture(picture, true), ratio), tooltip, window);
}

} // namespace

void MainWindowUi::setupUi(QWidget* window, BookmarkModel* tree, const MovedLinks& moved,
                           const std::filesystem::path& favorites)
{
    setupWindow(window);
    setupControls(window, tree);
    setupMenus(window, moved, favorites);
}

void MainWindowUi::setupWindow(QWidget* window)
{
    window->setWindowTitle(QStringLiteral("Orvanta"));
    window->setWindowIcon(ApplicationIcon());
    window->setFont(WindowFont());
    window->setAttribute(Qt::WA_OpaquePaintEvent);
    // The window opens where it was laid out, not centred; on a scaled screen
    // the design size with the frame can exceed the screen, so it is kept
    // within.
    const QRect fitted = FitToArea({designLeft, designTop, designWidth, designHeight},
                                   window->screen()->availableGeometry(), LikelyFrameMargins);
    window->move(fitted.topLeft());
    window->resize(fitted.size());
    // A folder dragged here from a file manager is shown instead.
    window->setAcceptDrops(true);
}

void MainWindowUi::setupControls(QWidget* window, BookmarkModel* tree)
{
    const Qt::Edges leftTop = Qt::LeftEdge | Qt::TopEdge;
    const Qt::Edges allEdges = leftTop | Qt::RightEdge | Qt::BottomEdge;

    // Created bottom to top: the pictures and the label lie below the tree,
    // the status bar and the buttons.
    const qreal ratio = window->devicePixelRatioF();
    RzBackground1 =
        new TexturedBackground(ScreenPicture(QPixmap::fromImage(TextureImage()), ratio), window);
    Image1 = new HeaderStrip(ScreenPicture(QPixmap::fromImage(HeaderStripImage()), ratio), window);
    Label1 = new QLabel(QStringLiteral(ORVANTA_COPYRIGHT), window);
    Label1->setTextFormat(Qt::PlainText);
    Label1->adjustSize();
    VT = new BookmarkView(tree, window);
    VT->header()->setFont(HeaderFont(ratio));
    VT->setEmptyText(
        QStringLiteral("No Favorites folder. Press Ctrl+O to choose one, or drop a folder here."));
    StatusBar1 = new StatusPanels({120, 120}, window);
    // Not anchored: it takes its place only while shown (applyAnchors).
    findBar = new FindBar(window);
    findBar->hide();
    btVerify = makeButton(window, QStringLiteral("verify"), QStringLiteral("Verifying links"));
    btDelete =
        makeButton(window, QStringLiteral("delete"), QStringLiteral("Delete all dead links"));
    btOptions = makeButton(window, QStringLiteral("options"), QStringLiteral("Options"));
    btHelp = makeButton(window, QStringLiteral("help"), QStringLiteral("Help"));
    btHomePage = makeButton(window, QStringLiteral("homepage"), QStringLiteral("Web page"));
    btSupport = makeButton(window, QStringLiteral("support"), QStringLiteral("Support"));

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

    QWidget::setTabOrder(btVerify, btDelete);
    QWidget::setTabOrder(btDelete, btOptions);
    QWidget::setTabOrder(btOptions, btHomePage);
    QWidget::setTabOrder(btHomePage, btSupport);
    QWidget::setTabOrder(btSupport, VT);
    QWidget::setTabOrder(VT, btHelp);

    Timer1 = new QTimer(window);
    Timer1->setInterval(100);
}

void MainWindowUi::setupMenus(QWidget* window, const MovedLinks& moved,
                              const std::filesystem::path& favorites)
{
    pmnVerify = new QMenu(window);
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
    mnSaveForBrowser = pmnVerify->addAction(QStringLiteral("Save for a browser…"));
    mnSaveReport = pmnVerify->addAction(QStringLiteral("Save report…"));

    pmHelp = new QMenu(window);
    mnAbout = pmHelp->addAction(QStringLiteral("About..."));
    N3 = pmHelp->addSeparator();
    N3->setProperty(MenuStyle::HintProperty, QStringLiteral("Other our products"));
    mnQMPE = pmHelp->addAction(QStringLiteral("Quillmark Portable Edition"));
    N4 = pmHelp->addSeparator();
    mnQMPC = pmHelp->addAction(QStringLiteral("Quillmark PC"));
    N5 = pmHelp->addSeparator();

    contextMenu = new ContextMenu(*VT, moved, favorites, window);
    pmVT = contextMenu->menu;
    mnOpenLink = contextMenu->openLink;
    mnCopyLink = contextMenu->copyLink;
    mnCheckAgain = contextMenu->checkAgain;
    mnUpdateSelected = contextMenu->updateSelected;
    mnShowInFileManager = contextMenu->showInFolder;
    mnMoveToTrash = contextMenu->moveToTrash;
    mnOpenAnotherFolder = contextMenu->openAnotherFolder;

    // Made after the menus, so it is destroyed after them: a widget does not
    // own the style it is given.
    menuStyle_ = new MenuStyle();
    menuStyle_->setParent(window);
    for (QMenu* menu : {pmnVerify, pmHelp, pmVT}) {
        menu->setSeparatorsCollapsible(false);
        menu->setStyle(menuStyle_);
    }
}

void MainWindowUi::place(QWidget* widget, const QRect& design, Qt::Edges anchors)
{
    anchored_.append({widget, design, anchors});
    widget->setGeometry(design);
}

void MainWindowUi::applyAnchors(QSize client)
{
    const int dx = client.width() - designWidth;
    const int dy = client.height() - designHeight;
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
    findBar->setGeometry(0, StatusBar1->y() - barHeight, client.width(), barHeight);
    VT->setGeometry(VT->geometry().adjusted(0, 0, 0, -barHeight));
}

bool MainWindowUi::loadImageLists(QWidget* window)
{
    // The 16 x 16 list holds the pictures in BookmarkImage order: the first
    // five icons, then the amber and moved lamps that came after the busy frames.
    static_assert(IconLampDead - IconLinkEmblem == ImageLampDead);
    static_assert(IconLampUnsure == IconBusyFrameLast + 1 && ImageLampUnsure == ImageLampDead + 1);
    static_assert(IconLampMoved == IconLampUnsure + 1 && ImageLampMoved == ImageLampUnsure + 1);
    static_assert(IconLast == IconLampMoved);
    ImageList1.setDevicePixelRatio(window->devicePixelRatioF());
    ImageList2.setDevicePixelRatio(window->devicePixelRatioF());
    for (int id = IconFirst; id <= IconLast; ++id) {
        ImageList& list = IsBusyFrameIcon(id) ? ImageList2 : ImageList1;
        if (!list.addIcon(IconResource(id))) {
            ShowMessageBox(window, QMessageBox::Critical, QCoreApplication::applicationName(),
                           errorText(QStringLiteral("Icon resource %1 cannot be read").arg(id)),
                           QMessageBox::Ok);
            return false;
        }
    }
    VT->setNodeImages(ImageList1);
    VT->setHeaderImages(ImageList2);
    return true;
}

void MainWindowUi::setVerifyMenuHints()
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
    mnSaveForBrowser->setProperty(MenuStyle::HintProperty,
                                  QStringLiteral("Save the bookmarks as an HTML file that every "
                                                 "browser imports"));
    mnSaveReport->setProperty(MenuStyle::HintProperty,
                              QStringLiteral("Save the verdicts as CSV, or JSON lines (.json)"));
}

void MainWindowUi::setHelpMenuHints()
{
    mnQMPE->setProperty(MenuStyle::HintProperty,
                        QStringLiteral("Bookmarks manager to store your bookmarks on USB Flash "
                                       "Drive\r\n and synchronize it between any popular browsers "
                                       "and any computer."));
    mnQMPC->setProperty(MenuStyle::HintProperty,
                        QStringLiteral("Bookmarks manager to preview and modify all bookmarks "
                                       "of\r\n all supported browsers."));
}
