#include "BookmarkView.h"

#include "BookmarkDelegate.h"
#include "BookmarkHeader.h"
#include "BookmarkModel.h"
#include "ColumnSharing.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

// Calls visit with every index that has rows below it (the invisible root
// first) and their count, closed folders included.
template <typename Visit> void forEachParent(const QAbstractItemModel& model, Visit visit)
{
    QList<QModelIndex> parents{QModelIndex()};
    while (!parents.isEmpty()) {
        const QModelIndex parent = parents.takeLast();
        const int rows = model.rowCount(parent);
        if (rows == 0)
            continue;
        visit(parent, rows);
        for (int row = 0; row < rows; ++row)
            parents.append(model.index(row, 0, parent));
    }
}

const QColor focusedSelectionFill(0xBF, 0xFF, 0xC5);
const QColor focusedSelectionBorder(0x66, 0xD8, 0x56);
const QColor treeLineColor(0xDB, 0xD3, 0xB7);
const QColor buttonBorderColor(0x90, 0x90, 0x90);
const int expandButtonSize = 9;

// Every other pixel, offset by one on alternate rows, so one-pixel lines
// filled with it come out dotted wherever they start.
QBrush makeDottedBrush(const QColor& color)
{
    QImage pattern(2, 2, QImage::Format_ARGB32_Premultiplied);
    pattern.fill(Qt::transparent);
    pattern.setPixelColor(0, 0, color);
    pattern.setPixelColor(1, 1, color);
    return QBrush(pattern);
}

int depthOf(QModelIndex index)
{
    int depth = 0;
    for (index = index.parent(); index.isValid(); index = index.parent())
        ++depth;
    return depth;
}

bool hasNextSibling(const QModelIndex& index)
{
    return index.row() + 1 < index.model()->rowCount(index.parent());
}

} // namespace

BookmarkView::BookmarkView(BookmarkModel* bookmarks, QWidget* parent)
    : QTreeView(parent), bookmarks_(bookmarks), header_(new BookmarkHeader(this)),
      nodeImages_(16, 16), dottedLine_(makeDottedBrush(treeLineColor))
{
    setHeader(header_);
    setModel(bookmarks_);
    setItemDelegate(new BookmarkDelegate(this));
    // Told after the focus-in, with the control the focus came from.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* before, QWidget* now) {
        if (now == this)
            showTabbedInRow(before);
    });

    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::white);
    setPalette(colors);
    // A two-pixel sunken edge, as a client edge on the platform the layout was
    // drawn for.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);

    setUniformRowHeights(true);
    setIndentation(18);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setExpandsOnDoubleClick(true);
    setAnimated(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setSortingEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setupColumns();
}

void BookmarkView::setupColumns()
{
    // Name and Link have no limits: they follow the sharing down to nothing.
    header_->setMinimumSectionSize(0);
    connect(header_, &QHeaderView::sectionResized, this, &BookmarkView::sectionResized);
    setColumnWidths({265, 265, 80});
}

std::array<int, 3> BookmarkView::columnWidths() const
{
    return {shared_[ColumnName].width, shared_[ColumnLink].width,
            header_->sectionSize(ColumnStatus)};
}

void BookmarkView::setColumnWidths(const std::array<int, 3>& widths)
{
    for (int column : {ColumnName, ColumnLink}) {
        shared_[column] = SharedColumn{widths[column], 0.0};
        header_->resizeSection(column, ShownWidth(shared_[column]));
    }
    header_->resizeSection(ColumnStatus,
                           std::clamp(widths[2], statusMinimumWidth, statusMaximumWidth));
}

void BookmarkView::setNodeImages(const ImageList& images)
{
    nodeImages_ = images;
    viewport()->update();
}

void BookmarkView::setHeaderImages(const ImageList& images)
{
    header_->setImages(images);
}

void BookmarkView::setStatusHeaderImage(int index)
{
    header_->setStatusImage(index);
}

int BookmarkView::statusHeaderImage() const
{
    return header_->statusImage();
}

bool BookmarkView::isNodeSelected(BookmarkNode* node) const
{
    return node && selectionModel()->isSelected(bookmarks_->indexOf(node));
}

void BookmarkView::cancelMode()
{
    endPan();
    endBand();
    if (state() == NoState)
        return;
    stopAutoScroll();
    setState(NoState);
}

void BookmarkView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // Bringing a row into view never scrolls sideways to a column.
    const int x = horizontalScrollBar()->value();
    QTreeView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(x);
    // Brought up from below, a row would keep its last line of pixels out of sight.
    const QRect row = visualRect(index);
    const int below = row.bottom() - viewport()->rect().bottom();
    if (hint == EnsureVisible && below > 0 && row.height() <= viewport()->height())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + below);
}

void BookmarkView::openAllFolders()
{
    // While a layout is pending, expand() only records the folder.
    scheduleDelayedItemsLayout();
    // The nodes, not the rows: a row of the view costs an index, a node not.
    for (BookmarkNode* node : bookmarks_->nodesInOrder()) {
        if (!node->entry.IsFolder)
            continue;
        const QModelIndex row = bookmarks_->indexOf(node);
        if (row.isValid() && bookmarks_->rowCount(row) > 0)
            expand(row);
    }
}

void BookmarkView::selectAll()
{
    QItemSelection all;
    const int lastColumn = model()->columnCount() - 1;
    forEachParent(*model(), [&](const QModelIndex& parent, int rows) {
        all.select(model()->index(0, 0, parent), model()->index(rows - 1, lastColumn, parent));
    });
    selectionModel()->select(all, QItemSelectionModel::ClearAndSelect);
}

void BookmarkView::setEmptyText(const QString& text)
{
    emptyText_ = text;
    viewport()->update();
}

void BookmarkView::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (emptyText_.isEmpty() || model()->rowCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    const int margin = 2 * fontMetrics().averageCharWidth();
    painter.drawText(viewport()->rect().adjusted(margin, 0, -margin, 0),
                     Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
}

void BookmarkView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const
{
    const QRect row = option.rect;
    const int treeLeft = header_->sectionViewportPosition(ColumnName);
    const int branchWidth = indentation() * (depthOf(index) + 1);
    const int contentLeft = treeLeft + branchWidth;
    const int rowEnd = header_->length() - header_->offset();
    const QRect band(contentLeft, row.top(), rowEnd - contentLeft, row.height());
    const QColor buttonFace = palette().color(QPalette::Button);

    painter->fillRect(band.left(), band.bottom(), band.width(), 1, buttonFace);
    const bool selected = selectionModel()->isSelected(index);
    if (selected && band.width() > 0) {
        const bool focused = hasFocus();
        const QRect box(band.left(), band.top(), band.width(), band.height() - 1);
        painter->fillRect(box, focused ? focusedSelectionFill : buttonFace);
        const QColor border = focused ? focusedSelectionBorder : buttonFace;
        painter->fillRect(box.left(), box.top(), box.width(), 1, border);
        painter->fillRect(box.left(), box.bottom(), box.width(), 1, border);
        painter->fillRect(box.left(), box.top(), 1, box.height(), border);
        painter->fillRect(box.right(), box.top(), 1, box.height(), border);
    }
    paintTreeLines(painter, QRect(treeLeft, row.top(), branchWidth, row.height()), index,
                   option.state);

    QStyleOptionViewItem cell = option;
    cell.state.setFlag(QStyle::State_Selected, selected);
    QAbstractItemDelegate* delegate = itemDelegate();
    for (int column = 0; column < ColumnCount; ++column) {
        if (header_->isSectionHidden(column))
            continue;
        int left = header_->sectionViewportPosition(column);
        int width = header_->sectionSize(column);
        if (column == ColumnName) {
            left += branchWidth;
            width -= branchWidth;
        }
        if (width <= 0 || left >= viewport()->width() || left + width <= 0)
            continue;
        cell.rect = QRect(left, row.top(), width, row.height());
        painter->setClipRect(cell.rect);
        delegate->paint(painter, cell, index.siblingAtColumn(column));
    }
    painter->setClipping(false);
}

void BookmarkView::paintTreeLines(QPainter* painter, const QRect& rect, const QModelIndex& index,
                                  QStyle::State state) const
{
    const int indent = indentation();
    const int level = rect.width() / indent - 1;
    const int middleY = rect.top() + rect.height() / 2;
    const int cellLeft = rect.left() + level * indent;
    const int middleX = cellLeft + indent / 2;

    // The node's own cell: a branch to the right, the line from the previous
    // sibling (or from the middle for the very first row) and on to the next.
    painter->fillRect(middleX, middleY, cellLeft + indent - middleX, 1, dottedLine_);
    const int lineTop = level == 0 && index.row() == 0 ? middleY : rect.top();
    const int lineBottom = state.testFlag(QStyle::State_Sibling) ? rect.bottom() : middleY;
    painter->fillRect(middleX, lineTop, 1, lineBottom - lineTop + 1, dottedLine_);

    // Ancestors with siblings still to come keep their lines running through.
    QModelIndex ancestor = index.parent();
    for (int l = level - 1; l >= 0 && ancestor.isValid(); --l, ancestor = ancestor.parent()) {
        if (hasNextSibling(ancestor))
            painter->fillRect(rect.left() + l * indent + indent / 2, rect.top(), 1, rect.height(),
                              dottedLine_);
    }

    if (!state.testFlag(QStyle::State_Children))
        return;
    const int half = expandButtonSize / 2;
    const QRect button(middleX - half, middleY - half, expandButtonSize, expandButtonSize);
    painter->fillRect(button, Qt::white);
    painter->setPen(buttonBorderColor);
    painter->drawRect(button.adjusted(0, 0, -1, -1));
    painter->fillRect(middleX - 2, middleY, 5, 1, Qt::black);
    if (!state.testFlag(QStyle::State_Open))
        painter->fillRect(middleX, middleY - 2, 1, 5, Qt::black);
}

void BookmarkView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    // A hidden view's sizes are not final yet; sharing starts from the width
    // the view first shows with.
    if (!isVisible())
        return;
    const int width = viewport()->width();
    if (sharedWidth_ >= 0 && width != sharedWidth_)
        shareWidthChange(width - sharedWidth_);
    sharedWidth_ = width;
}

void BookmarkView::shareWidthChange(int delta)
{
    for (int column : {ColumnName, ColumnLink}) {
        shared_[column] = ShareWidthChange(shared_[column], delta, 2);
        header_->resizeSection(column, ShownWidth(shared_[column]));
    }
}

void BookmarkView::sectionResized(int section, int, int newSize)
{
    if (section != ColumnStatus) {
        // A width the sharing did not give (the user dragged the border)
        // is where the sharing goes on from.
        if (newSize != ShownWidth(shared_[section]))
            shared_[section] = SharedColumn{newSize, 0.0};
        return;
    }
    const int bounded = std::clamp(newSize, statusMinimumWidth, statusMaximumWidth);
    if (bounded != newSize)
        header_->resizeSection(section, bounded);
}

void BookmarkView::focusOn(BookmarkNode* node)
{
    QModelIndex row = node ? bookmarks_->indexOf(node) : QModelIndex();
    if (!row.isValid())
        row = currentIndex();
    if (!row.isValid())
        row = firstShownLink();
    if (row.isValid()) {
        QItemSelectionModel* selection = selectionModel();
        selection->setCurrentIndex(row, selection->isSelected(row)
                                            ? QItemSelectionModel::NoUpdate
                                            : QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
        scrollTo(row);
    }
    setFocus(Qt::OtherFocusReason);
}

QModelIndex BookmarkView::firstShownLink() const
{
    const QModelIndex first = model()->index(0, 0);
    for (QModelIndex row = first; row.isValid(); row = indexBelow(row)) {
        if (!BookmarkModel::nodeOf(row)->entry.IsFolder)
            return row;
    }
    return first;
}

void BookmarkView::showTabbedInRow(const QWidget* before)
{
    // Only a Tab from another control: a window given its first focus is
    // also said to be reached by Tab, and must stay as it was.
    if (!tabbedIn_ || !before || before->window() != window() || selectionModel()->hasSelection())
        return;
    // The selection draws the current row, as the tree draws no focus rectangle.
    const QModelIndex row = currentIndex().isValid() ? currentIndex() : model()->index(0, 0);
    if (!row.isValid())
        return;
    selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                               QItemSelectionModel::Rows);
    scrollTo(row);
}

void BookmarkView::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    tabbedIn_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    // The selection's colours depend on the focus, on every selected row.
    viewport()->update();
}

void BookmarkView::focusOutEvent(QFocusEvent* event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}
