#pragma once

#include <QFont>
#include <QList>
#include <QString>

class ImageList;
class QColor;
class QPainter;
class QRect;
struct BookmarkEntry;

// A folder's Status cell as the eye reads it: for each of its dead, not
// sure and moved counts that is not zero, a small lamp of that colour and
// the number. The numbers are always drawn whole; where they do not fit the
// cell at the view's font, smaller lamps, gaps and digits are used.
struct FolderCountsLayout
{
    struct Group
    {
        int image; // a BookmarkImage: the lamp this count is shown with
        QString number;
        int lampLeft; // from the start of the first group
        int numberLeft;
    };
    QFont font;
    int lampSide = 0;
    int width = 0; // from the first lamp to the end of the last number
    QList<Group> groups;
};

// The space left free on either side of the counts in their plain form;
// the compact form takes the whole cell.
constexpr int FolderCountsMargin = 2;

FolderCountsLayout LayOutFolderCounts(const BookmarkEntry& folder, const QFont& font,
                                      int cellWidth);
// Draws the layout centred in cellRect.
void PaintFolderCounts(QPainter& painter, const ImageList& images, const FolderCountsLayout& layout,
                       const QRect& cellRect, const QColor& textColor);
