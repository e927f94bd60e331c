#include "BookmarkDelegate.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "BookmarkViewHandlers.h"
#include "ImageList.h"

#include <QPainter>

BookmarkDelegate::BookmarkDelegate(BookmarkView* view) : QAbstractItemDelegate(view), view_(view) {}

int BookmarkDelegate::imageSpace(int column) const
{
    return column == ColumnName ? view_->nodeImages().width() + imageGap : 0;
}

void BookmarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    BookmarkViewHandlers* handlers = view_->handlers();
    if (!handlers)
        return;
    BookmarkNode* node = BookmarkModel::nodeOf(index);
    const int column = index.column();
    QRect content = option.rect.adjusted(margin, 0, -margin, 0);

    if (column == ColumnName) {
        int imageIndex = -1;
        handlers->VTGetImageIndex(view_, node, column, imageIndex);
        const ImageList& images = view_->nodeImages();
        images.draw(*painter, content.left(),
                    content.top() + (content.height() - images.height()) / 2, imageIndex);
        content.setLeft(content.left() + imageSpace(column));
    }

    QString text;
    handlers->VTGetText(view_, node, column, text);
    content.adjust(textMargin, 0, -textMargin, 0);
    if (!text.isEmpty() && content.width() > 0) {
        QColor color = option.palette.color(QPalette::Text);
        handlers->VTPaintText(view_, color, node, column);
        const QFontMetrics& metrics = option.fontMetrics;
        int textWidth = metrics.horizontalAdvance(text);
        if (textWidth > content.width()) {
            text = metrics.elidedText(text, Qt::ElideRight, content.width());
            textWidth = metrics.horizontalAdvance(text);
        }
        const int x = column == ColumnStatus ? content.left() + (content.width() - textWidth) / 2
                                             : content.left();
        const int baseline =
            option.rect.top() + (option.rect.height() - metrics.height()) / 2 + metrics.ascent();
        painter->setPen(color);
        painter->drawText(QPoint(x, baseline), text);
    }

    handlers->VTAfterCellPaint(view_, *painter, node, column, option.rect);
}

QSize BookmarkDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QString text;
    if (BookmarkViewHandlers* handlers = view_->handlers())
        handlers->VTGetText(view_, BookmarkModel::nodeOf(index), index.column(), text);
    const int textWidth = text.isEmpty() ? 0 : option.fontMetrics.horizontalAdvance(text);
    return QSize(2 * margin + imageSpace(index.column()) + 2 * textMargin + textWidth, rowHeight);
}
