#include "ImageList.h"

#include "ScreenPicture.h"

#include <QImage>
#include <QPainter>

ImageList::ImageList(int width, int height) : width_(width), height_(height) {}

bool ImageList::addIcon(const QByteArray& iconFile)
{
    QImage picture = QImage::fromData(iconFile, "ICO");
    if (picture.isNull())
        return false;
    if (picture.size() != QSize(width_, height_))
        picture = picture.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    images_.append(ScreenPicture(
        QPixmap::fromImage(std::move(picture).convertToFormat(QImage::Format_ARGB32_Premultiplied)),
        devicePixelRatio_));
    return true;
}

void ImageList::draw(QPainter& painter, int x, int y, int index) const
{
    if (index < 0 || index >= count())
        return;
    painter.drawPixmap(x, y, images_.at(index));
}
