#pragma once

#include <QColor>
#include <QString>

class BookmarkNode;
class BookmarkView;
class QPainter;
class QRect;

// What the bookmark view asks its owner cell by cell while it paints. The
// view keeps no text of its own, so every repaint shows the entries as they
// are. Each answer must be cheap: these run for every visible cell.
class BookmarkViewHandlers
{
public:
    // cellText comes in empty; left alone, the cell shows nothing.
    virtual void VTGetText(BookmarkView* sender, BookmarkNode* node, int column,
                           QString& cellText) = 0;
    // imageIndex comes in as -1 (no icon) and indexes the view's node images.
    virtual void VTGetImageIndex(BookmarkView* sender, BookmarkNode* node, int column,
                                 int& imageIndex) = 0;
    // textColor comes in as the view's own colour for the cell.
    virtual void VTPaintText(BookmarkView* sender, QColor& textColor, BookmarkNode* node,
                             int column) = 0;
    // Runs after the cell is painted completely, to draw over it.
    virtual void VTAfterCellPaint(BookmarkView* sender, QPainter& targetCanvas, BookmarkNode* node,
                                  int column, const QRect& cellRect) = 0;

protected:
    ~BookmarkViewHandlers() = default;
};
