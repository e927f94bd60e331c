#include "BookmarkDelegate.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "FolderCountsCell.h"
#include "ImageList.h"

#include <QPainter>
#include <algorithm>

namespace {

const QColor nameTextColor(0x23, 0x23, 0x23);
const QColor linkTextColor(0x48, 0x48, 0x48);
const QColor dimmedTextColor(0x80, 0x80, 0x80);
const QColor dimmedOnFocusColor(0x40, 0x40, 0x40);

int TextBaseline(const QStyleOptionViewItem& option)
{
    const QFontMetrics& metrics = option.fontMetrics;
    return option.rect.top() + (option.rect.height() - metrics.height()) / 2 + metrics.ascent();
}

} // namespace

BookmarkDelegate::BookmarkDelegate(BookmarkView* view) : QAbstractItemDelegate(view), view_(view) {}

int BookmarkDelegate::imageSpace(int column) const
{
    return column == ColumnName ? view_->nodeImages().width() + imageGap : 0;
}

int BookmarkDelegate::imageOf(const QModelIndex& index)
{
    const QVariant image = index.data(BookmarkModel::ImageIndexRole);
    return image.isValid() ? image.toInt() : ImageNone;
}

QColor BookmarkDelegate::textColor(const QModelIndex& index, bool selectedWithFocus,
                                   const QColor& viewColor)
{
    // Black stands out on the green of a focused selection; the greys would not.
    if (selectedWithFocus)
        return Qt::black;
    if (index.isValid() && index.column() == ColumnName)
        return nameTextColor;
    if (index.isValid() && index.column() == ColumnLink)
        return linkTextColor;
    return viewColor;
}

void BookmarkDelegate::paintLamp(QPainter& painter, const ImageList& images,
                                 const QModelIndex& index, const QRect& cellRect)
{
    if (index.column() != ColumnStatus)
        return;
    const QPoint at = lampOrigin(cellRect, images.width());
    images.draw(painter, at.x(), at.y(), imageOf(index));
}

QPoint BookmarkDelegate::lampOrigin(const QRect& cellRect, int imageWidth)
{
    const int left = cellRect.left();
    const int right = left + cellRect.width();
    const int top = cellRect.top();
    const int bottom = top + cellRect.height();
    // The width serves for the height too: the lamps are square.
    return QPoint(left + (right - left - imageWidth) / 2, top + (bottom - top - imageWidth) / 2);
}

bool BookmarkDelegate::selectedWithFocus(const QStyleOptionViewItem& option) const
{
    return option.state.testFlag(QStyle::State_Selected) && view_->hasFocus();
}

bool BookmarkDelegate::paintFolderCounts(QPainter& painter, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    if (index.column() != ColumnStatus)
        return false;
    const BookmarkEntry* folder = BookmarkModel::entry(BookmarkModel::nodeOf(index));
    if (!folder || !folder->IsFolder)
        return false;
    const QColor color =
        textColor(index, selectedWithFocus(option), option.palette.color(QPalette::Text));
    PaintFolderCounts(painter, view_->nodeImages(),
                      LayOutFolderCounts(*folder, option.font, option.rect.width()), option.rect,
                      color);
    return true;
}

void BookmarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    if (paintFolderCounts(*painter, option, index))
        return;
    const int column = index.column();
    const ImageList& images = view_->nodeImages();
    QRect content = option.rect.adjusted(margin, 0, -margin, 0);

    if (column == ColumnName) {
        images.draw(*painter, content.left(),
                    content.top() + (content.height() - images.height()) / 2, imageOf(index));
        content.setLeft(content.left() + imageSpace(column));
    }

    QString text = index.data().toString();
    content.adjust(textMargin, 0, -textMargin, 0);
    if (!text.isEmpty() && content.width() > 0) {
        const bool withFocus = selectedWithFocus(option);
        content = paintDuplicatePlace(*painter, option, index, content, withFocus);
        const QFontMetrics& metrics = option.fontMetrics;
        if (metrics.horizontalAdvance(text) > content.width())
            text = metrics.elidedText(text, Qt::ElideRight, content.width());
        painter->setPen(textColor(index, withFocus, option.palette.color(QPalette::Text)));
        painter->drawText(QPoint(content.left(), TextBaseline(option)), text);
    }

    paintLamp(*painter, images, index, option.rect);
}

QRect BookmarkDelegate::paintDuplicatePlace(QPainter& painter, const QStyleOptionViewItem& option,
                                            const QModelIndex& index, const QRect& content,
                                            bool selectedWithFocus) const
{
    const QString place = index.data(BookmarkModel::DuplicatePlaceRole).toString();
    if (place.isEmpty())
        return content;
    const QFontMetrics& metrics = option.fontMetrics;
    const int gap = 2 * metrics.horizontalAdvance(u' ');
    const int nameWidth = metrics.horizontalAdvance(index.data().toString());
    // The name keeps at least half the cell; the place has the rest.
    const int placeWidth = metrics.horizontalAdvance(place);
    const int nameRoom =
        std::min(nameWidth, std::max(content.width() - gap - placeWidth, content.width() / 2));
    const QRect placeRect = content.adjusted(nameRoom + gap, 0, 0, 0);
    if (placeRect.width() > 0) {
        painter.setPen(selectedWithFocus ? dimmedOnFocusColor : dimmedTextColor);
        painter.drawText(QPoint(placeRect.left(), TextBaseline(option)),
                         metrics.elidedText(place, Qt::ElideRight, placeRect.width()));
    }
    return QRect(content.left(), content.top(), nameRoom, content.height());
}

QSize BookmarkDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data().toString();
    const int textWidth = text.isEmpty() ? 0 : option.fontMetrics.horizontalAdvance(text);
    return QSize(2 * margin + imageSpace(index.column()) + 2 * textMargin + textWidth, rowHeight);
}
