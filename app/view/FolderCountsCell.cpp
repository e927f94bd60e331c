#include "FolderCountsCell.h"

#include "BookmarkEntry.h"
#include "ImageList.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>

namespace {

// The sizes of one way of drawing the counts, in pixels.
struct Spacing
{
    int lampSide;
    int lampGap;  // between a lamp and its number
    int groupGap; // between a number and the next lamp
};

constexpr Spacing plainSpacing{7, 1, 4};
// The digits' own side bearings keep them off the lamp.
constexpr Spacing compactSpacing{5, 0, 2};
// Below this the digits can no longer be told apart.
constexpr int smallestPixelSize = 6;

FolderCountsLayout layOut(const BookmarkEntry& folder, const QFont& font, const Spacing& spacing)
{
    FolderCountsLayout layout;
    layout.font = font;
    layout.lampSide = spacing.lampSide;
    const QFontMetrics metrics(font);
    const std::pair<qint32, BookmarkImage> counts[] = {{folder.DeadInside, ImageLampDead},
                                                       {folder.UnsureInside, ImageLampUnsure},
                                                       {folder.MovedInside, ImageLampMoved}};
    int x = 0;
    for (const auto& [count, image] : counts) {
        if (count <= 0)
            continue;
        if (!layout.groups.isEmpty())
            x += spacing.groupGap;
        FolderCountsLayout::Group group{image, QString::number(count), x, 0};
        x += spacing.lampSide + spacing.lampGap;
        group.numberLeft = x;
        x += metrics.horizontalAdvance(group.number);
        layout.groups << group;
    }
    layout.width = x;
    return layout;
}

// The lamp's round centre, without its pale ring, at side pixels: the ring
// would be a blur at that size.
QImage smallLamp(const QPixmap& lamp, int side, qreal ratio)
{
    const qreal scale = lamp.devicePixelRatio();
    const QRectF centre(3 * scale, 3 * scale, 10 * scale, 10 * scale);
    QImage image(QSize(side, side) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(0, 0, side, side), lamp, centre);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRectF(0, 0, side, side));
    return image;
}

} // namespace

FolderCountsLayout LayOutFolderCounts(const BookmarkEntry& folder, const QFont& font, int cellWidth)
{
    FolderCountsLayout layout = layOut(folder, font, plainSpacing);
    if (layout.width <= cellWidth - 2 * FolderCountsMargin)
        return layout;
    // Many links in a folder: smaller lamps and gaps over the whole cell,
    // then smaller digits, rather than digits lost.
    layout = layOut(folder, font, compactSpacing);
    QFont smaller = font;
    for (int size = QFontInfo(font).pixelSize() - 1;
         layout.width > cellWidth && size >= smallestPixelSize; --size) {
        smaller.setPixelSize(size);
        layout = layOut(folder, smaller, compactSpacing);
    }
    return layout;
}

void PaintFolderCounts(QPainter& painter, const ImageList& images, const FolderCountsLayout& layout,
                       const QRect& cellRect, const QColor& textColor)
{
    if (layout.groups.isEmpty())
        return;
    const int left = cellRect.left() + (cellRect.width() - layout.width) / 2;
    const int middle = cellRect.top() + cellRect.height() / 2;
    const QFontMetrics metrics(layout.font);
    const int baseline =
        cellRect.top() + (cellRect.height() - metrics.height()) / 2 + metrics.ascent();
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    painter.save();
    painter.setFont(layout.font);
    painter.setPen(textColor);
    for (const FolderCountsLayout::Group& group : layout.groups) {
        if (group.image < images.count()) {
            painter.drawImage(QPoint(left + group.lampLeft, middle - layout.lampSide / 2),
                              smallLamp(images.image(group.image), layout.lampSide, ratio));
        }
        painter.drawText(QPoint(left + group.numberLeft, baseline), group.number);
    }
    painter.restore();
}
