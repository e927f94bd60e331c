#include "BookmarkHeader.h"

#include "BookmarkModel.h"
#include "ImageList.h"
#include "ScreenPicture.h"

#include <QPainter>
#include <QStyleOptionHeader>
#include <algorithm>

namespace {
const int headerHeight = 20;
const int imageTextGap = 2;
} // namespace

BookmarkHeader::BookmarkHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(false);
    setSectionsClickable(false);
    setSortIndicatorShown(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void BookmarkHeader::setImages(const ImageList& images)
{
    images_.clear();
    for (int i = 0; i < images.count(); ++i)
        images_.append(images.image(i));
    viewport()->update();
}

void BookmarkHeader::setStatusImage(int index)
{
    if (index == statusImage_)
        return;
    statusImage_ = index;
    viewport()->update();
}

QSize BookmarkHeader::sizeHint() const
{
    return QSize(QHeaderView::sizeHint().width(), headerHeight);
}

void BookmarkHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    if (logicalIndex == ColumnStatus)
        option.textAlignment = Qt::AlignCenter;

    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    QStyleOptionHeader label = option;
    label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    if (logicalIndex == ColumnStatus && statusImage_ >= 0 && statusImage_ < images_.size()) {
        // The style would shrink the frame to a small icon; it is drawn at its
        // own size, centred together with the caption.
        const QPixmap& frame = images_.at(statusImage_);
        const QSize frameSize = LogicalSize(frame);
        const int group =
            frameSize.width() + imageTextGap + fontMetrics().horizontalAdvance(option.text);
        const int left = label.rect.left() + std::max(0, (label.rect.width() - group) / 2);
        painter->drawPixmap(left, rect.top() + (rect.height() - frameSize.height()) / 2, frame);
        label.rect.setLeft(left + frameSize.width() + imageTextGap);
        label.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    painter->restore();
}
