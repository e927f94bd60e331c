// The bookmark view's own mouse handling: panning with the middle button and
// the rubber band that selects rows from empty space.
#include "BookmarkView.h"

#include "BookmarkModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScrollBar>
#include <algorithm>

namespace {

// The rectangle with corners a and b, both inside it whichever way the drag
// went (QRect::normalized leaves a flipped rectangle one pixel short).
QRect between(const QPoint& a, const QPoint& b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

} // namespace

void BookmarkView::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::MiddleButton) {
        // Panning selects nothing.
        panFrom_ = at;
        viewport()->setCursor(Qt::SizeAllCursor);
        event->accept();
        return;
    }
    // Clears the selection unless Ctrl or Shift is held.
    QTreeView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || indexAt(at).isValid())
        return;
    bandOrigin_ = at + contentOffset();
    const bool adding = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    bandBase_ = adding ? selectionModel()->selection() : QItemSelection();
}

void BookmarkView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (panFrom_) {
        pan(at);
        event->accept();
        return;
    }
    if (bandOrigin_ && event->buttons().testFlag(Qt::LeftButton)) {
        stretchBand(at, event->source() == Qt::MouseEventSynthesizedByQt);
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void BookmarkView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && panFrom_) {
        endPan();
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton)
        endBand();
    QTreeView::mouseReleaseEvent(event);
}

void BookmarkView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A quick second press of the middle button pans again; it opens nothing.
    if (event->button() == Qt::MiddleButton) {
        mousePressEvent(event);
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
    emit dblClick();
}

QPoint BookmarkView::contentOffset() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void BookmarkView::pan(const QPoint& to)
{
    // As wheel panning does, the view travels the way the mouse goes, by as
    // far as it went.
    const QPoint moved = to - *panFrom_;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + moved.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() + moved.y());
    panFrom_ = to;
}

void BookmarkView::endPan()
{
    if (!panFrom_)
        return;
    panFrom_.reset();
    viewport()->unsetCursor();
}

void BookmarkView::stretchBand(const QPoint& to, bool synthesized)
{
    const QRect band = between(*bandOrigin_ - contentOffset(), to);
    if (!band_)
        band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    band_->setGeometry(band);
    band_->show();
    selectRowsSpanned(band);

    // Near an edge the view scrolls on its own, and sends moves back here
    // (marked as made by Qt) so the band follows what comes into view.
    setState(DragSelectingState);
    const int margin = autoScrollMargin();
    const bool atEdge = !viewport()->rect().adjusted(margin, margin, -margin, -margin).contains(to);
    if (!synthesized && atEdge != bandScrolling_) {
        if (atEdge)
            startAutoScroll();
        else
            stopAutoScroll();
        bandScrolling_ = atEdge;
    }
}

void BookmarkView::selectRowsSpanned(const QRect& band)
{
    selectionModel()->select(bandBase_, QItemSelectionModel::ClearAndSelect);
    const QModelIndex first = model()->index(0, 0);
    if (!first.isValid())
        return;
    // Whole rows are selected, so the band spans a row wherever it crosses it.
    const int top = std::max(band.top(), visualRect(first).top());
    const int bottom = std::min(band.bottom(), visualRect(lastShownRow()).bottom());
    if (top > bottom)
        return;
    const int x = header()->sectionViewportPosition(ColumnStatus);
    setSelection(QRect(QPoint(x, top), QPoint(x, bottom)),
                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QModelIndex BookmarkView::lastShownRow() const
{
    QModelIndex last = model()->index(model()->rowCount() - 1, 0);
    while (isExpanded(last) && model()->rowCount(last) > 0)
        last = model()->index(model()->rowCount(last) - 1, 0, last);
    return last;
}

void BookmarkView::endBand()
{
    if (!bandOrigin_)
        return;
    bandOrigin_.reset();
    bandBase_.clear();
    if (band_)
        band_->hide();
    if (bandScrolling_)
        stopAutoScroll();
    bandScrolling_ = false;
    setState(NoState);
}
