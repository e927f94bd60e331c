#pragma once

#include <QAbstractItemDelegate>

class BookmarkView;
class ImageList;

// Paints one cell of the bookmark view from the model's roles: the node icon
// (tree column only), the text in the view's colours, then the status lamp
// over the finished cell.
class BookmarkDelegate final : public QAbstractItemDelegate
{
    Q_OBJECT

public:
    explicit BookmarkDelegate(BookmarkView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The picture a cell shows, -1 for none.
    static int imageOf(const QModelIndex& index);
    // The colour of a cell's text; viewColor is the view's own. A cell
    // without an entry (an invalid index) keeps it unless selectedWithFocus.
    static QColor textColor(const QModelIndex& index, bool selectedWithFocus,
                            const QColor& viewColor);
    // Draws the lamp of a Status cell centred in cellRect; other cells get none.
    static void paintLamp(QPainter& painter, const ImageList& images, const QModelIndex& index,
                          const QRect& cellRect);
    // Top-left corner of a lamp of width imageWidth centred in a cell.
    static QPoint lampOrigin(const QRect& cellRect, int imageWidth);

    static constexpr int rowHeight = 18;
    static constexpr int margin = 4;     // between the cell's edges and its content
    static constexpr int textMargin = 4; // between the content's edges and the text
    static constexpr int imageGap = 2;   // after the node icon

private:
    int imageSpace(int column) const;
    // While duplicate groups are shown, draws where a link lives (and whether
    // it is the copy kept) dimmed after its name; returns the room left for
    // the name, all of content otherwise.
    QRect paintDuplicatePlace(QPainter& painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index, const QRect& content,
                              bool selectedWithFocus) const;
    bool selectedWithFocus(const QStyleOptionViewItem& option) const;
    // A folder's Status cell: its counts as small lamps and numbers. False
    // for any other cell.
    bool paintFolderCounts(QPainter& painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const;

    BookmarkView* view_;
};
