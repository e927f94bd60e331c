#pragma once

#include <QAbstractItemDelegate>

class BookmarkView;

// Paints one cell of the bookmark view from its owner's answers: the node
// icon (tree column only), the text in the colour the owner picks, then
// whatever the owner draws over the finished cell. It reads the node from
// the index directly and never goes through the model's data(), so a cell
// costs no lookups beyond the handlers' own.
class BookmarkDelegate final : public QAbstractItemDelegate
{
    Q_OBJECT

public:
    explicit BookmarkDelegate(BookmarkView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int rowHeight = 18;
    static constexpr int margin = 4;     // between the cell's edges and its content
    static constexpr int textMargin = 4; // between the content's edges and the text
    static constexpr int imageGap = 2;   // after the node icon

private:
    int imageSpace(int column) const;

    BookmarkView* view_;
};
