#pragma once

#include "ColumnSharing.h"
#include "ImageList.h"

#include <QItemSelection>
#include <QTreeView>
#include <array>
#include <optional>

class BookmarkHeader;
class BookmarkModel;
class BookmarkNode;
class QRubberBand;

// The tree-grid of bookmarks. It shows the bookmark tree its owner holds and
// paints the rows itself: selection, grid lines and dotted tree lines here,
// cell contents through its delegate from the model's roles. Widening or narrowing the view is
// shared by the Name and Link columns; the Status column keeps its width within its limits.
class BookmarkView final : public QTreeView
{
    Q_OBJECT

public:
    BookmarkView(BookmarkModel* bookmarks, QWidget* parent);

    BookmarkModel* bookmarks() const { return bookmarks_; }

    // Node icons and status lamps.
    void setNodeImages(const ImageList& images);
    const ImageList& nodeImages() const { return nodeImages_; }

    // Pictures for the Status header, and which one it shows (-1: none).
    void setHeaderImages(const ImageList& images);
    void setStatusHeaderImage(int index);
    int statusHeaderImage() const;

    bool isNodeSelected(BookmarkNode* node) const;

    // Said in the middle of the rows' area while the tree has no rows.
    void setEmptyText(const QString& text);

    // Name, Link and Status; widths put back are held to each column's limits.
    // Name and Link give the widths their sharing has come to, which may be
    // below zero in a very narrow view (they then show zero pixels wide).
    std::array<int, 3> columnWidths() const;
    void setColumnWidths(const std::array<int, 3>& widths);

    // Ends a mouse drag in progress (a selection, a rubber band, panning), as
    // before a popup menu takes the mouse.
    void cancelMode();

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    // Every row, those inside closed folders too, so that what acts on the
    // selection (copying, deleting) reaches them.
    void selectAll() override;
    // Opens every folder that has rows below it, with one layout for all:
    // unlike expandAll(), which keeps a persistent index for every row and
    // so makes each later change of the model pay for all of them.
    void openAllFolders();
    // Gives the tree the focus where the work just done is: node's row (else
    // the current row, else the first shown link) current, selected unless
    // it already is, and in sight; so Delete, Enter and the arrows act on it.
    void focusOn(BookmarkNode* node);

    static constexpr int statusMinimumWidth = 50;
    static constexpr int statusMaximumWidth = 100;

signals:
    // Any double click in the rows' area, after the view's own handling
    // (which opens or closes a folder).
    void dblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setupColumns();
    void paintTreeLines(QPainter* painter, const QRect& rect, const QModelIndex& index,
                        QStyle::State state) const;
    void shareWidthChange(int delta);
    void sectionResized(int section, int oldSize, int newSize);
    QPoint contentOffset() const;
    void pan(const QPoint& to);
    void endPan();
    void stretchBand(const QPoint& to, bool synthesized);
    void selectRowsSpanned(const QRect& band);
    QModelIndex lastShownRow() const;
    QModelIndex firstShownLink() const;
    // Reached by Tab from before, with nothing selected: the current row (the
    // first, if none) selected, so that the keys' place shows.
    void showTabbedInRow(const QWidget* before);
    void endBand();

    BookmarkModel* bookmarks_;
    BookmarkHeader* header_;
    ImageList nodeImages_;
    QString emptyText_;
    QBrush dottedLine_;
    int sharedWidth_ = -1;             // viewport width the columns were last fitted to
    SharedColumn shared_[2];           // Name and Link, as the sharing has them
    std::optional<QPoint> panFrom_;    // middle-button drag: where the mouse was last
    std::optional<QPoint> bandOrigin_; // rubber band: where it began, in content coordinates
    QItemSelection bandBase_;          // what a band with Ctrl or Shift adds to
    QRubberBand* band_ = nullptr;      // made on the first band, shown only while dragging
    bool bandScrolling_ = false;       // the band has set the view scrolling at an edge
    bool tabbedIn_ = false;            // the focus came by Tab (or a window's first focus)
};
